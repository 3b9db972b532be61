#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "JsonReport.h"
#include "OutputFile.h"
#include "PhaseStats.h"
#include "TablePrinter.h"
#include "TimedWork.h"
#include "standin/FileFailure.h"
#include "standin/PreferenceStore.h"

namespace etbtool {

namespace {

// The preference entries of the store, loaded through ("loader","preferences","etb").
LoadedTable LoadPreferenceList(const LoadedModule& module) {
  LoadedTable loaded;
  loaded.table = standin::NewAnnotationTable("");
  loaded.structure = loaded.table->GetStructure();
  standin::TraceCapture capture;
  standin::LoadOutcome outcome;
  du::SmartPtr<znloader::AnnotationParser> loader;
  if (module.Create("loader", "preferences", "etb", loader)) {
    const TimedParse parse(0);  // the preferences loader reads the store before it returns
    outcome = standin::LoadAnnotationTable(*loader, loaded.table);
  }
  loaded.report = ReportOf(outcome);
  loaded.traces = capture.Lines();
  return loaded;
}

int Show(const LoadedModule& module, const PrefsOptions& options, std::ostream& out) {
  const LoadedTable loaded = LoadPreferenceList(module);
  PhaseStats::Get().Start("output");
  if (options.json) {
    PrintJson(out, LoadJson(loaded, false));
  } else {
    PrintLoad(out, loaded, false);
  }
  PhaseStats::Get().Start("teardown");  // the list goes as this returns
  return loaded.report.success ? kExitSuccess : kExitFailure;
}

int Import(const LoadedModule& module, const PrefsOptions& options, std::ostream& out) {
  const LoadedTable loaded = LoadAnnotationFile(module, options.file, "");
  PrintFetchFailures(loaded, std::cerr);
  if (!loaded.report.success) {
    out << "failure: " << loaded.report.message << " (" << options.file << "), nothing imported\n";
    return kExitFailure;
  }
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  if (count == 0) {  // saving no entries would keep the list as it is, not empty it
    std::cerr << "etbtool: " << options.file
              << " holds no entry to import; the store is as it was\n";
    return kExitUsage;
  }
  unsigned int protectedCount = 0;
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
    entry->isPreference = true;
    protectedCount += entry->accessState == 2 ? 1 : 0;
  }
  du::SmartPtr<znloader::AnnotationParser> saver;
  bool saved = false;
  if (module.Create("saver", "preferences", "etb", saver)) {
    const TimedSave timed(count, options.store);
    saved = saver->SaveAnnotationTable(loaded.table, du::SmartPtr<znk::AnnoSetTableEntry>(), "",
                                       true, false);
  }
  PhaseStats::Get().Start("output");
  if (!saved) {
    out << "failure: the preference list of " << options.store
        << " is protected or cannot be had\n";
    return kExitFailure;
  }
  // The saver cannot tell (the host's save answers it nothing it acts on); the host can.
  if (const std::string failure = standin::PreferenceSaveFailure(); !failure.empty()) {
    out << "failure: " << options.store << " could not be written: " << failure << '\n';
    return kExitFailure;
  }
  const unsigned int written = count - protectedCount;
  out << "imported: " << written << (written == 1 ? " entry" : " entries");
  if (protectedCount > 0) out << " (" << protectedCount << " protected, left out)";
  out << "\nstore: " << options.store << '\n';
  PhaseStats::Get().Start("teardown");  // the table goes as this returns
  return kExitSuccess;
}

// The ETB saver writes file entries only, so the list is written through host-side copies that
// are no preference entries.
int Export(const LoadedModule& module, const PrefsOptions& options, std::ostream& out) {
  const LoadedTable loaded = LoadPreferenceList(module);
  du::SmartPtr<znk::AnnoSetTable> copies(new znk::AnnoSetTable(loaded.structure));
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  for (unsigned int i = 0; i < count; ++i) {
    const du::SmartPtr<znk::AnnoSetTableEntry> entry = loaded.table->GetEntry(i);
    znk::AnnoSetTableEntryData data;
    data.componentId = entry->GetCompId();
    data.componentName = entry->GetCompName();
    data.propertyName = entry->GetPropName();
    data.propertyValue = entry->GetCombinedPropValueAndListString();
    data.name = entry->GetName();
    data.reservedText = du::Symbol::EMPTY;
    data.annotationType = entry->annotationType;
    du::SmartPtr<znk::AnnoSetTableEntry> copy;
    znk::AnnoSetTableEntry::Create(copy, data, entry->file, entry->accessState, entry->secondState,
                                   false);
    if (copy.IsNull()) continue;
    copy->comment = entry->comment;
    copies->AddEntry(copy);
  }
  du::SmartPtr<znloader::AnnotationParser> saver;
  bool saved = false;
  standin::TakeFileFailure();
  if (module.Create("saver", "annotation", "etb", saver)) {
    const TimedSave timed(count, options.file);
    saved = saver->SaveAnnotationTable(copies, du::SmartPtr<znk::AnnoSetTableEntry>(), options.file,
                                       true, false);
  }
  PhaseStats::Get().Start("output");
  if (!saved) PrintWriteFailure("save", options.file, std::cerr);
  out << (saved ? "exported: " : "failure: the save returned false: ") << count
      << (count == 1 ? " entry" : " entries") << " to " << options.file << '\n';
  PhaseStats::Get().Start("teardown");  // the lists go as this returns
  return saved ? kExitSuccess : kExitFailure;
}

// The preferences store's default path: $XDG_CONFIG_HOME/etbtool/preferences.json, else
// ~/.config/etbtool/preferences.json (the password database's home when HOME is unset); empty
// when there is no absolute folder for it.
std::string DefaultPreferenceStore() {
  // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say: it would move with the folder
  // etbtool was started in, as a store under an unset HOME would.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return std::string(config) + "/etbtool/preferences.json";
  std::string home;
  if (const char* fromEnvironment = std::getenv("HOME"); fromEnvironment != nullptr) {
    home = fromEnvironment;
  } else {
    passwd entry{};
    passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
      home = found->pw_dir;
    }
  }
  if (home.empty() || home.front() != '/') return "";
  return home + "/.config/etbtool/preferences.json";
}

}  // namespace

int RunPrefs(const LoadedModule& module, PrefsOptions options, std::ostream& out) {
  if (options.store.empty()) options.store = DefaultPreferenceStore();
  if (options.store.empty()) {
    std::cerr << "etbtool: no home folder for the preferences store (HOME is unset or not an "
                 "absolute path): give --store PATH\n";
    return kExitUsage;
  }
  if (options.action == PrefsAction::kImport) {  // the one that writes the store
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(options.store).parent_path(),
                                        ignored);
  }
  const std::string problem = standin::UsePreferenceStore(options.store);
  if (!problem.empty()) {
    std::cerr << "etbtool: " << options.store << ": " << problem << '\n';
    return kExitUsage;
  }
  int status = kExitUsage;
  switch (options.action) {
    case PrefsAction::kShow:
      status = Show(module, options, out);
      break;
    case PrefsAction::kImport:
      status = Import(module, options, out);
      break;
    case PrefsAction::kExport:
      status = Export(module, options, out);
      break;
  }
  PhaseStats::Get().Start("teardown");
  standin::ResetWorld();
  return status;
}

}  // namespace etbtool
