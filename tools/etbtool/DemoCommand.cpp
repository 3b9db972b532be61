#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>

#include "AnnotationLoad.h"
#include "Commands.h"
#include "DemoSamples.h"
#include "OutputFile.h"
#include "TablePrinter.h"
#include "TerminalText.h"
#include "du/FileSystem.h"
#include "standin/ComponentWords.h"
#include "standin/Temporaries.h"

namespace etbtool {

namespace {

using Words = standin::ComponentWords;

// Words that come close and must name nothing: the factory neither trims nor folds case.
const Words kNearMisses[] = {
    {"Loader", "annotation", "etb"},  {"loader ", "annotation", "etb"},
    {"loader", "annotation", "ETB"},  {"saver", "annotation", "zip"},
    {"loader", "preferences", "zip"}, {"reader", "annotation", "etb"},
};

// A fresh folder for the tour's files, removed when the tour ends.
class TourFolder {
 public:
  TourFolder() {
    std::string pattern = du::FileSystem::GetTempDir(false) + "/etbtool-demo-XXXXXX";
    const standin::TerminationSignalsHeld held;  // an interrupted tour removes it too
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
      slot_ = standin::TrackTemporary(path_, true);
    }
  }
  TourFolder(const TourFolder&) = delete;
  TourFolder& operator=(const TourFolder&) = delete;
  ~TourFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    standin::ForgetTemporary(slot_);
  }
  // Writes a file into the folder; empty when that failed.
  std::string Write(const std::string& name, const std::string& bytes) const {
    if (path_.empty()) return std::string();
    const std::string file = path_ + "/" + name;
    OutputFile output(file);
    if (output.stream() != nullptr) std::fwrite(bytes.data(), 1, bytes.size(), output.stream());
    return output.Commit() ? file : std::string();
  }

 private:
  std::string path_;
  standin::TemporarySlot slot_ = -1;
};

void PrintWords(std::ostream& out, const Words& words) {
  out << "  " << std::left << std::setw(10) << ('"' + std::string(words.role) + '"')
      << std::setw(14) << ('"' + std::string(words.kind) + '"') << std::setw(8)
      << ('"' + std::string(words.format) + '"');
}

bool TourFactory(const LoadedModule& module, std::ostream& out) {
  out << "Step 1. The component factory (ZnDllCreateComponent)\n"
      << "  role      kind          format  component                   OnProgress\n";
  bool asExpected = true;
  for (const Words& words : standin::kAnnotationComponents) {
    PrintWords(out, words);
    du::SmartPtr<znloader::AnnotationParser> component;
    if (!module.Create(words.role, words.kind, words.format, component)) {
      out << "no component (unexpected)\n";
      asExpected = false;
      continue;
    }
    out << std::setw(28) << component->GetDebugClassName().safe_c_str()
        << (component->OnProgress(0, 50) ? "true" : "false") << '\n';
  }
  out << "\n  Near misses, which name no component:\n";
  for (const Words& words : kNearMisses) {
    PrintWords(out, words);
    du::SmartPtr<znloader::AnnotationParser> component;
    const bool made = module.Create(words.role, words.kind, words.format, component);
    out << (made ? "a component (unexpected)" : "no component") << '\n';
    asExpected = asExpected && !made;
  }
  return asExpected;
}

bool TourLoad(const LoadedModule& module, const TourFolder& folder, std::ostream& out) {
  out << "\nStep 2. Loading an ETB file (\"loader\", \"annotation\", \"etb\")\n"
      << "  The sample holds a multi-line comment, extra texts, a view-state source\n"
      << "  record (a .zna file of type 3) and a line that is no record. The host fetches\n"
      << "  the file and delivers it; the loader reads it into the table:\n\n";
  const std::string file = folder.Write("demo.etb", DemoEtbSample());
  const LoadedTable loaded = LoadAnnotationFile(module, file, "");
  PrintLoad(out, loaded, false);
  out << "\n  The view-state record is no entry: it became a source on the structure's root\n"
      << "  node, and the loader gives every source type 2 (a file), whatever type (1, 3\n"
      << "  or 4) its record had.\n";
  unsigned int count = 0;
  loaded.table->GetNumEntries(count);
  return loaded.report.success && count == 3;
}

bool TourSave(const LoadedModule& module, const TourFolder& folder, std::ostream& out) {
  out << "\nStep 3. Saving and reloading (\"saver\", \"annotation\", \"etb\")\n"
      << "  The saver writes one record per entry through a temporary file that replaces\n"
      << "  the target only when complete. Comments are not part of what it writes:\n\n";
  const LoadedTable loaded =
      LoadAnnotationFile(module, folder.Write("demo.etb", DemoEtbSample()), "");
  du::SmartPtr<znloader::AnnotationParser> saver;
  const std::string savedFile = folder.Write("saved.etb", "");
  const bool saved =
      module.Create("saver", "annotation", "etb", saver) &&
      saver->SaveAnnotationTable(loaded.table, du::SmartPtr<znk::AnnoSetTableEntry>(), savedFile,
                                 true, false);
  std::ifstream written(savedFile);
  for (std::string line; std::getline(written, line);) {
    // Long records are cut to the terminal's width; the file holds them whole.
    out << "  | " << FitToWidth(line, 74, false) << '\n';
  }
  out << "\n  Reloaded:\n";
  const LoadedTable reloaded = LoadAnnotationFile(module, savedFile, "");
  PrintLoad(out, reloaded, false);
  out << "\n  The same entries, without their comments, and no view-state source: the saver\n"
      << "  writes entries only, and a view-state source is none.\n";
  unsigned int before = 0;
  unsigned int after = 0;
  loaded.table->GetNumEntries(before);
  reloaded.table->GetNumEntries(after);
  return saved && reloaded.report.success && before == after;
}

bool TourSession(const LoadedModule& module, const TourFolder& folder, std::ostream& out) {
  out << "\nStep 4. A zip session (\"loader\", \"annotation\", \"zip\", then \"etb\")\n"
      << "  The zip loader fetches the archive and unpacks its .etb and .ast members into\n"
      << "  the host's temporary folder; the ETB loader then reads the session-state\n"
      << "  file. Its entry (type 15 on file, 16 as session state) goes to the structure,\n"
      << "  not to the table:\n\n";
  const LoadedSession loaded =
      LoadSessionArchive(module, folder.Write("session.zip", DemoSessionArchive()), "");
  PrintSession(out, loaded);
  return loaded.zipReport.success && loaded.report.success &&
         !loaded.structure->GetSessionStateAnnoEntry().IsNull();
}

bool TourPreferences(const LoadedModule& module, const TourFolder& folder, std::ostream& out) {
  out << "\nStep 5. A preferences round trip (\"saver\" and \"loader\", \"preferences\", \"etb\")\n"
      << "  The sample's entries become preference entries, the preferences saver writes\n"
      << "  them to the list \"Global/Annotations/List\" of a fresh store, and the\n"
      << "  preferences loader reads them back (protected entries are not written):\n\n";
  PrefsOptions prefs;
  prefs.store = folder.Write("preferences.json", "");
  std::filesystem::remove(prefs.store);
  prefs.action = PrefsAction::kImport;
  prefs.file = folder.Write("demo.etb", DemoEtbSample());
  const bool imported = RunPrefs(module, prefs, out) == kExitSuccess;
  prefs.action = PrefsAction::kShow;
  const bool shown = RunPrefs(module, prefs, out) == kExitSuccess;
  out << "\n  The preference list keeps no component: every id comes back 0 and every\n"
      << "  component name empty.\n";
  return imported && shown;
}

}  // namespace

int RunDemo(const LoadedModule& module, std::ostream& out) {
  out << "etbtool demo: a tour of the plug-in module\n"
      << "module: " << module.path() << "\n\n";
  const TourFolder folder;
  const bool factoryOk = TourFactory(module, out);
  const bool loadOk = TourLoad(module, folder, out);
  const bool saveOk = TourSave(module, folder, out);
  const bool sessionOk = TourSession(module, folder, out);
  const bool preferencesOk = TourPreferences(module, folder, out);
  const bool allOk = factoryOk && loadOk && saveOk && sessionOk && preferencesOk;
  out << '\n'
      << (allOk ? "Every step did what it should." : "A step went wrong (see above).") << '\n';
  return allOk ? kExitSuccess : kExitFailure;
}

}  // namespace etbtool
