// Peak memory of one load, in a process of its own so that nothing else has raised the peak:
//   EtbPeakMemory module FILE      load FILE through the module (the host road, with fetch)
//   EtbPeakMemory naive FILE       read FILE with the naive baseline
//   EtbPeakMemory fast FILE        read FILE with the fast baseline
//   EtbPeakMemory skipped FILE N   write N lines that a loader skips
//   EtbPeakMemory records FILE N [CORPUS]   write N generated records of a corpus
// A load prints how far it raised the peak resident set (VmHWM), in KiB, and the records it made.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "EtbGenerator.h"
#include "FastParse.h"
#include "HostRoad.h"
#include "NaiveParse.h"
#include "du/SmartPtr.h"
#include "etb/Parser.h"
#include "standin/Fetch.h"
#include "standin/HostTemp.h"
#include "znk/AnnoSetTable.h"

namespace {

// The process's peak resident set so far, in KiB; -1 when the system does not tell.
long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmHWM:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

int Usage() {
  std::fputs(
      "usage: EtbPeakMemory module|naive|fast FILE | skipped FILE COUNT | records FILE COUNT "
      "[CORPUS]\n",
      stderr);
  return 2;
}

// Answers the records made, or -1 when the load failed.
long LoadThroughModule(const std::string& path) {
  du::SmartPtr<znk::AnnoSetTable> table = etbbench::FetchedTable(path);
  const bool loaded = etbbench::LoadWithNewParser(table).succeeded();
  unsigned int entries = 0;
  table->GetNumEntries(entries);
  etbbench::RemoveFetchedCopies();
  standin::RemoveHostTempDir();
  return loaded ? long(entries) : -1;
}

long LoadNaive(const std::string& path) {
  std::vector<etbbench::NaiveRecord> records;
  return etbbench::NaiveParse(path, records) ? long(records.size()) : -1;
}

long LoadFast(const std::string& path) {
  std::vector<etbbench::NaiveRecord> records;
  return etbbench::FastParse(path, records) ? long(records.size()) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string path = argv[2];
  if (command == "skipped" || command == "records") {
    etbbench::Corpus corpus = etbbench::Corpus::kRepetitive;
    if (argc != 4 &&
        !(argc == 5 && command == "records" && etbbench::CorpusNamed(argv[4], corpus))) {
      return Usage();
    }
    const std::size_t count = std::strtoul(argv[3], nullptr, 10);
    bool ok = false;
    if (command == "skipped") {
      etbbench::WriteSkippedLines(path, count, ok);
    } else {
      etbbench::WriteRecords(path, count, ok, corpus);
    }
    return ok ? 0 : 1;
  }
  long (*const load)(const std::string&) = command == "module"  ? LoadThroughModule
                                           : command == "naive" ? LoadNaive
                                           : command == "fast"  ? LoadFast
                                                                : nullptr;
  if (argc != 3 || load == nullptr) return Usage();

  const long before = PeakResidentKiB();
  const long made = load(path);
  const long after = PeakResidentKiB();
  if (made < 0 || before < 0 || after < 0) {
    std::fprintf(stderr, "EtbPeakMemory: the load of %s failed\n", path.c_str());
    return 1;
  }
  std::printf("%ld %ld\n", after - before, made);
  return 0;
}
