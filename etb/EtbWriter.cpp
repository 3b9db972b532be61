#include "etb/EtbWriter.h"

#include "dp/ZnTracer.h"
#include "etb/BasicBackupFstream.h"
#include "etb/BufferedOutput.h"
#include "etb/FormatConstants.h"
#include "etb/RecordEmitter.h"
#include "etb/SaveSelection.h"
#include "etb/TraceLine.h"

namespace etb {

namespace {

const dp::ZnTracer kEtbWriterTracer("etb", "EtbWriter");

constexpr std::ios_base::openmode kWriteMode =
    std::ios_base::out | std::ios_base::trunc | std::ios_base::binary;
constexpr int kBackupsKept = 10;

// Whether the stream opened; traced when it did not.
bool Opened(const du::BasicBackupFstream<char>& stream, const std::string& fileName,
            const char* what) {
  if (stream.is_open()) return true;
  TraceLine(kEtbWriterTracer(dp::TRACE_ERROR), "Failed to open file: ", fileName, ", to write ",
            what);
  return false;
}

// Commits the stream; false, traced, when the backup or the copy over the target failed.
bool Commit(du::BasicBackupFstream<char>& stream, const std::string& fileName) {
  stream.close(kBackupsKept);
  if (stream.rdstate() == 0) return true;
  TraceLine(kEtbWriterTracer(dp::TRACE_ERROR),
            "Failed to commit annotation set table changes: ", fileName);
  return false;
}

// A host that hands in no table saves no table entries (rather than crashing).
unsigned int EntryCount(const du::SmartPtr<znk::AnnoSetTable>& table) {
  unsigned int count = 0;
  if (!table.IsNull()) table->GetNumEntries(count);
  return count;
}

}  // namespace

EtbWriter::EtbWriter() = default;

EtbWriter::EtbWriter(const EtbWriter& other) = default;

EtbWriter& EtbWriter::operator=(const EtbWriter& other) = default;

EtbWriter::~EtbWriter() = default;

bool EtbWriter::OnProgress(unsigned long long /*requestId*/, unsigned char /*progress*/) {
  return true;
}

void EtbWriter::OnComplete(unsigned long long /*requestId*/,
                           znk::BaseAsyncEvent::EventStatus /*status*/) {}

bool EtbWriter::SaveAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                    const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                    const std::string& fileName, bool addFlag,
                                    bool convertEncoding) {
  if (fileName.empty()) return true;
  du::BasicBackupFstream<char> stream(fileName.c_str(), kWriteMode);
  if (!Opened(stream, fileName, "annotation set table")) return false;
  {
    BufferedOutput records(stream);
    const unsigned int count = EntryCount(table);
    for (unsigned int i = 0; i < count; ++i) {
      const du::SmartPtr<znk::AnnoSetTableEntry> candidate = table->GetEntry(i);
      if (candidate.IsNull() || candidate->isPreference) continue;
      if (SelectedForSave(candidate, entry, addFlag)) {
        WriteETBEntry(records, candidate, table, convertEncoding);
      }
    }
    // The given entry comes last, also when the table holds it too.
    if (addFlag && !entry.IsNull() && !entry->isPreference) {
      WriteETBEntry(records, entry, table, convertEncoding);
    }
  }
  return Commit(stream, fileName);
}

bool EtbWriter::SaveDefaultAnnotationTable(const du::SmartPtr<znk::AnnoSetTable>& table,
                                           const du::SmartPtr<znk::AnnoSetTableEntry>& entry,
                                           bool markEntry, const std::string& fileName) {
  du::BasicBackupFstream<char> stream(fileName.c_str(), kWriteMode);
  if (!Opened(stream, fileName, "default annotation set table")) return false;
  {
    BufferedOutput records(stream);
    const unsigned int count = EntryCount(table);
    for (unsigned int i = 0; i < count; ++i) {
      const du::SmartPtr<znk::AnnoSetTableEntry> candidate = table->GetEntry(i);
      if (candidate.IsNull() || candidate->isPreference || candidate->excludeFromPartialSave) {
        continue;
      }
      // The mark lives in column 9, which the emitter takes from secondState: lend it the mark
      // for the one write, then give the entry its own value back.
      const int ownSecondState = candidate->secondState;
      candidate->secondState = markEntry && candidate.get() == entry.get() ? kMarkedSecondState : 0;
      WriteETBEntry(records, candidate, table, true);
      candidate->secondState = ownSecondState;
    }
  }
  return Commit(stream, fileName);
}

}  // namespace etb
