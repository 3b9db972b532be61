#pragma once

#include <string>

#include "du/FileReader.h"
#include "du/LineReader.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"
#include "etbplugin_export.h"
#include "znk/AnnoSetTable.h"
#include "znk/AsyncEvent.h"
#include "znloader/AnnotationParser.h"

namespace etb {

struct ETBParser_Scanner;

// Loader of ETB annotation files ("loader", "annotation", "etb"): fetches the file the table's
// structure names and reads it into the table, or reads the structure's session-state file.
class ETBPLUGIN_EXPORT Parser : public znloader::AnnotationParser {
 public:
  Parser();
  // A copy shares the table and event but gets a file reader of its own: a reader belongs to
  // exactly one parser.
  Parser(const Parser& other);
  Parser& operator=(const Parser& other);
  ~Parser() override;

  bool OnProgress(unsigned long long requestId, unsigned char progress) override;
  void OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) override;
  void LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                           znk::AsyncEvent* event) override;
  void LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& table,
                        znk::AsyncEvent* event) override;

  // Reads the ETB file into the table with this parser's own reader. True when the file was
  // opened and read to its end, however many of its lines made entries.
  bool Parse(const du::Symbol& fileName);

 private:
  // Parses a delivered file with a fresh parser, reports to the event and ends the load.
  void ParseETBFile(const du::Symbol& fileName);
  bool Open(const du::Symbol& fileName);
  bool Close();
  // The common first steps of both loads.
  void RememberLoad(const du::SmartPtr<znk::AnnoSetTable>& newTable, znk::AsyncEvent* newEvent,
                    bool readingSessionState);
  // Forgets the event and releases the table: the parser is idle again.
  void EndLoad();

  // One line of the file (LineParser.cpp); may pull comment continuation lines from `lines`.
  void ParseLine(char* line, du::LineReader& lines);
  std::string ReadRemainingComment(ETBParser_Scanner& scanner, du::LineReader& lines);

  du::FileReader* reader;
  du::SmartPtr<znk::AnnoSetTable> table;
  znk::AsyncEvent* event;
  bool sessionState;
};

}  // namespace etb
