#include "zip/ZipParser.h"

#include <string>
#include <vector>

#include "du/FileSpecifier.h"
#include "du/FileSystem.h"
#include "du/URL.h"
#include "du/ZipReader.h"
#include "etb/FormatConstants.h"
#include "zip/ArchivePath.h"
#include "znk/Structure.h"

namespace zip {

ZipParser::ZipParser() : event(nullptr) {}

ZipParser::ZipParser(const ZipParser& other)
    : znloader::AnnotationParser(other), table(other.table), event(other.event) {}

ZipParser& ZipParser::operator=(const ZipParser& other) {
  if (this == &other) return *this;
  znloader::AnnotationParser::operator=(other);
  table = other.table;
  event = other.event;
  return *this;
}

ZipParser::~ZipParser() = default;

bool ZipParser::OnProgress(unsigned long long /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void ZipParser::LoadSessionState(const du::SmartPtr<znk::AnnoSetTable>& newTable,
                                 znk::AsyncEvent* newEvent) {
  table = newTable;
  event = newEvent;
  du::Symbol sessionURL;
  if (!table.IsNull()) {
    const du::SmartPtr<znk::Structure> structure = table->GetStructure();
    if (!structure.IsNull()) structure->GetSessionStateURL(sessionURL);
  }
  if (!sessionURL.IsNull()) {
    // Table and event stay remembered, also after the completion, until the next load.
    GetFile(du::GetURLForFileSource(sessionURL, du::Symbol::EMPTY), false, du::Symbol::EMPTY);
    return;
  }
  if (event != nullptr)
    event->ReportFailure("Failed to get Dornal session file", etb::kLoadFailureCode);
  event = nullptr;
  table.Reset();
}

namespace {

// A member of at least five bytes whose last four are `extension`, compared byte for byte.
bool HasExtension(const std::string& name, const char* extension) {
  return name.size() >= 5 && name.compare(name.size() - 4, 4, extension) == 0;
}

}  // namespace

void ZipParser::OnComplete(unsigned long long requestId, znk::BaseAsyncEvent::EventStatus status) {
  if (status == znk::BaseAsyncEvent::EVENT_FAILED) {
    if (event != nullptr) event->ReportFailure("Failed to get zip file", etb::kLoadFailureCode);
    return;
  }
  if (status != znk::BaseAsyncEvent::EVENT_DELIVERED) return;

  du::Symbol delivered;
  GetAsyncFileName(requestId, delivered);
  du::ZipReader reader(ArchivePathFor(delivered.safe_c_str()));
  if (table.IsNull()) {
    if (event != nullptr)
      event->ReportFailure("Failed to get annotation table", etb::kLoadFailureCode);
    return;
  }
  const du::SmartPtr<znk::Structure> structure = table->GetStructure();
  std::vector<std::string> names;
  if (reader.ListContents(names)) {
    // Every match is extracted; the last one extracted of each kind is the one that counts.
    for (const std::string& name : names) {
      const bool isAst = HasExtension(name, ".ast");
      if (!isAst && !HasExtension(name, ".etb")) continue;
      const std::string destination =
          du::FileSystem::GetTempDir(true) + du::FileSpec::DIR_SEP_CHAR + name;
      if (!reader.Extract(name, destination) || structure.IsNull()) continue;
      if (isAst) {
        structure->SetSessionStateAstFileName(destination);
      } else {
        structure->SetSessionStateEtbFileName(destination);
      }
    }
  }
  if (event != nullptr) event->ReportSuccess();
}

}  // namespace zip
