#include "etb/Parser.h"

#include "dp/ZnTracer.h"
#include "du/URL.h"
#include "etb/FormatConstants.h"
#include "etb/TraceLine.h"
#include "znk/Structure.h"

namespace etb {

namespace {

const dp::ZnTracer kTracer("etb", "Parser");
// What the reader is opened with: no special mode, and the block size the host suggests.
constexpr int kOpenMode = 0;
constexpr unsigned int kBlockSize = 0x2000;

}  // namespace

Parser::Parser() : reader(nullptr), event(nullptr), sessionState(false) {
  reader = new du::FileReader();
}

Parser::Parser(const Parser& other)
    : znloader::AnnotationParser(other),
      reader(new du::FileReader()),
      table(other.table),
      event(other.event),
      sessionState(other.sessionState) {}

Parser& Parser::operator=(const Parser& other) {
  if (this == &other) return *this;
  znloader::AnnotationParser::operator=(other);
  table = other.table;
  event = other.event;
  sessionState = other.sessionState;
  return *this;
}

Parser::~Parser() { delete reader; }

bool Parser::OnProgress(unsigned long long /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void Parser::RememberLoad(const du::SmartPtr<znk::AnnoSetTable>& newTable,
                          znk::AsyncEvent* newEvent, bool readingSessionState) {
  table = newTable;
  event = newEvent;
  sessionState = readingSessionState;
}

void Parser::EndLoad() {
  event = nullptr;
  table.Reset();
}

void Parser::LoadAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& newTable,
                                 znk::AsyncEvent* newEvent) {
  RememberLoad(newTable, newEvent, false);
  du::Symbol fileSource;
  if (!table.IsNull()) {
    const du::SmartPtr<znk::Structure> structure = table->GetStructure();
    if (!structure.IsNull()) structure->GetAnnoSetTableFileSource(fileSource);
  }
  if (!fileSource.IsNull()) {
    // The load goes on in OnComplete, with table and event still remembered.
    GetFile(du::GetURLForFileSource(fileSource, du::Symbol::EMPTY), false, du::Symbol::EMPTY);
    return;
  }
  if (event != nullptr) event->ReportFailure("Failed to get etb file", kLoadFailureCode);
  EndLoad();
}

void Parser::LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& newTable,
                              znk::AsyncEvent* newEvent) {
  RememberLoad(newTable, newEvent, true);
  du::SmartPtr<znk::Structure> structure;
  if (!table.IsNull()) structure = table->GetStructure();
  bool parsed = false;
  if (!structure.IsNull()) {
    du::Symbol etbFile;
    structure->GetSessionStateEtbFileName(etbFile);
    if (!etbFile.IsNull()) parsed = Parse(etbFile);
  }
  if (event != nullptr) {
    if (parsed) {
      event->ReportSuccess();
    } else {
      event->ReportFailure("Failed to get session state file", kLoadFailureCode);
    }
  }
  EndLoad();
}

void Parser::OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) {
  if (status == znk::BaseAsyncEvent::EVENT_DELIVERED) {
    du::Symbol path;
    GetAsyncFileName(requestId, path);
    ParseETBFile(path);
  } else if (status == znk::BaseAsyncEvent::EVENT_FAILED) {
    if (event != nullptr) event->ReportFailure("Failed to get etb file", kLoadFailureCode);
    EndLoad();
  }
}

bool Parser::Parse(const du::Symbol& fileName) {
  if (table.IsNull() || fileName.IsNull()) return false;
  const du::SmartPtr<znk::Structure> structure = table->GetStructure();
  du::Symbol sessionStateURL;
  if (!structure.IsNull()) structure->GetSessionStateURL(sessionStateURL);
  // A table that holds entries already is only read into for a session.
  if (!table->IsEmpty() && sessionStateURL.IsNull()) return false;

  if (!reader->Open(fileName, kOpenMode, kBlockSize)) {
    TraceLine(kTracer(dp::TRACE_WARNING), "Failed to open file: ", fileName);
    return false;
  }
  try {
    du::LineReader lines(reader, 0);
    while (lines.ReadLine()) ParseLine(lines.GetBuffer(), lines);
  } catch (bool) {
    return false;  // what was read stays in the table
  }
  return true;  // the reader stays open until the next Open, Close or the parser's end
}

void Parser::ParseETBFile(const du::Symbol& fileName) {
  if (table.IsNull()) {
    if (event != nullptr) {
      event->ReportFailure("Structure has no associated annotation set table", kLoadFailureCode);
    }
  } else {
    // A reader of its own, so the file is let go of as soon as this parse ends.
    Parser fresh;
    fresh.table = table;
    fresh.sessionState = sessionState;
    const bool parsed = fresh.Parse(fileName);
    if (event != nullptr) {
      if (parsed) {
        event->ReportSuccess();
      } else {
        event->ReportFailure("Failed to parse etb file", kLoadFailureCode);
      }
    }
  }
  EndLoad();
}

// Open and Close belong to the exported class; nothing in the module calls them.
bool Parser::Open(const du::Symbol& fileName) {
  return reader->Open(fileName, kOpenMode, kBlockSize);
}

bool Parser::Close() { return reader->Close(); }

}  // namespace etb
