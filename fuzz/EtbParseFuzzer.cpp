// Arbitrary bytes through the ETB loader as a host drives it: a structure that names the file, a
// pooled parser, a fetch that the host pumps. The first byte chooses the road (the k* bits below);
// the bytes after it are the file. Besides the sanitizers, every input must leave the host as it
// found it, and every load must report exactly once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "FuzzHost.h"
#include "du/FileSystem.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostLoad.h"
#include "standin/HostTemp.h"
#include "standin/RecordingEvent.h"
#include "znk/AnnoSetTable.h"
#include "znk/ComponentNode.h"
#include "znk/Structure.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kConvertingProduct = 1U << 0;  // product read from an ".edz": texts converted
constexpr unsigned kSessionState = 1U << 1;       // LoadSessionState, read in place, no fetch
constexpr unsigned kSessionURL = 1U << 2;         // the structure has a session-state URL
constexpr unsigned kSessionAstFile = 1U << 3;     // ... and a session-state AST file name
// Both bits: the bytes are put behind a line of blanks so that they straddle the line reader's
// first block (64 KiB less the byte kept for a NUL): records split across two blocks occur.
constexpr unsigned kAcrossBlocks = 3U << 4;
// With kAcrossBlocks: no line feed after the blanks, so the first line reaches the block's end
// or runs past it. Blanks, because leading white space leaves the first column's number as it was.
constexpr unsigned kOverlongFirstLine = 1U << 6;
constexpr std::size_t kFirstBlockBytes = 64 * 1024 - 1;

constexpr char kTarget[] = "EtbParseFuzzer";

struct State {
  std::string path;  // the one input file, rewritten for every input
  fuzzhost::Baseline baseline;
};
State* state = nullptr;

[[noreturn]] void Fail(const char* what) { fuzzhost::Fail(kTarget, what); }

std::string FileContent(unsigned mode, const std::uint8_t* data, std::size_t size) {
  std::string content;
  if ((mode & kAcrossBlocks) == kAcrossBlocks) {
    content.assign(kFirstBlockBytes - std::min(size, kFirstBlockBytes) / 2 - 1, ' ');
    if ((mode & kOverlongFirstLine) == 0) content.back() = '\n';
  }
  content.append(reinterpret_cast<const char*>(data), size);
  return content;
}

bool WriteFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}

// memchr, because a loop here would be instrumented and cost more than the load it checks.
std::size_t MostRecordsIn(const std::string& content) {
  std::size_t lines = 1;
  const char* at = content.data();
  const char* const end = at + content.size();
  while ((at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr) {
    ++lines;
    ++at;
  }
  return lines;
}

void LoadOnce(unsigned mode, const std::string& content) {
  du::SmartPtr<znk::Structure> structure(new znk::Structure);
  structure->SetFileSource((mode & kConvertingProduct) != 0 ? "product.edz" : "product.znd");
  if ((mode & kSessionURL) != 0) structure->SetSessionStateURL("file:///sessions/one.zip");
  if ((mode & kSessionAstFile) != 0) structure->SetSessionStateAstFileName("session.ast");
  const bool sessionLoad = (mode & kSessionState) != 0;
  if (sessionLoad) {
    structure->SetSessionStateEtbFileName(state->path);
  } else {
    structure->SetAnnoSetTableFileSource(state->path);
  }
  du::SmartPtr<znk::AnnoSetTable> table(new znk::AnnoSetTable(structure));

  du::SmartPtr<etb::Parser> parser(new etb::Parser);
  if (parser.IsNull()) return;  // the pool ran dry: nothing to fuzz
  standin::LoadOutcome outcome;
  if (sessionLoad) {
    standin::RecordingEvent event;
    parser->LoadSessionState(table, &event);
    outcome = {event.outcome(), event.message(), event.reportCount()};
  } else {
    outcome = standin::LoadAnnotationTable(*parser, table);
  }

  if (outcome.reports != 1) Fail("the load did not report exactly once");
  // The file exists and is readable, whatever its bytes: a load of it never fails.
  if (!outcome.succeeded()) Fail(("the load failed: " + outcome.message).c_str());
  if (table->GetReferenceCount() != 1) Fail("the parser kept the table after the load");
  if (parser->GetReferenceCount() != 1) Fail("the host kept the parser after the load");

  unsigned int entries = 0;
  table->GetNumEntries(entries);
  if (sessionLoad && entries != 0) Fail("a session-state load added entries to the table");
  if (!sessionLoad && !structure->GetSessionStateAnnoEntry().IsNull()) {
    Fail("a table load set the session-state entry");
  }
  du::SmartPtr<znk::ComponentNode> root;
  structure->GetRoot(root);
  const std::size_t made = entries + root->GetViewStateSources().size();
  if (made > MostRecordsIn(content)) Fail("more records than lines");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  state = new State;
  state->path = fuzzhost::ScratchFolder(kTarget) + "/input.etb";
  state->baseline = fuzzhost::Take();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const unsigned mode = size > 0 ? data[0] : 0U;
  const std::string content = size > 0 ? FileContent(mode, data + 1, size - 1) : std::string();
  if (!WriteFile(state->path, content)) Fail("cannot write the input file");

  LoadOnce(mode, content);

  fuzzhost::CheckClean(kTarget, state->baseline);
  fuzzhost::ClearFetchCache();
  return 0;
}
