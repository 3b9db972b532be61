#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <climits>
#include <cstring>
#include <ostream>
#include <vector>

namespace etbtool {

namespace {

const char* const kCommands[] = {"probe", "load", "save", "session", "prefs", "demo"};
const char* const kPrefsActions[] = {"show", "import", "export"};

bool OneOf(const std::string& word, const std::vector<std::string>& words) {
  for (const std::string& known : words) {
    if (word == known) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : ", ") + word;
  return joined;
}

// CLI11 reports a missing or unknown command word as "a subcommand is required"; say which
// word is wrong instead. Empty when the words are fine.
std::string CommandWordMistake(int argc, char** argv) {
  const std::vector<std::string> commands(std::begin(kCommands), std::end(kCommands));
  const std::vector<std::string> actions(std::begin(kPrefsActions), std::end(kPrefsActions));
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--help" || word == "-h" || word == "--version") return "";
    if (word == "--module") {
      ++i;
    } else if (word.rfind("--module=", 0) != 0) {
      words.push_back(word);
    }
  }
  if (words.empty()) return "no command given; one of: " + Joined(commands);
  if (!OneOf(words[0], commands)) {
    return "unknown command '" + words[0] + "'; one of: " + Joined(commands);
  }
  if (words[0] == "prefs") {
    if (words.size() < 2) return "prefs needs an action; one of: " + Joined(actions);
    if (!OneOf(words[1], actions)) {
      return "unknown prefs action '" + words[1] + "'; one of: " + Joined(actions);
    }
  }
  return "";
}

// Entry indexes: 0, 1, 2, ...
const CLI::Validator kEntryIndex(
    [](std::string& text) -> std::string {
      const bool digits = !text.empty() && text.size() <= 9 &&
                          text.find_first_not_of("0123456789") == std::string::npos;
      return digits ? "" : "'" + text + "' is no entry index (0, 1, 2, ...)";
    },
    "INDEX");

}  // namespace

std::optional<Invocation> ParseCommandLine(int argc, char** argv, std::ostream& out,
                                           std::ostream& err, int& exitStatus) {
  Invocation invocation;
  CLI::App app{"etbtool: a command-line host for the ETB annotation plug-in module"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("etbtool ") + ETBTOOL_VERSION);
  app.add_option("--module", invocation.modulePath,
                 "plug-in module to load (default: $ETBTOOL_MODULE, else the installed one)");

  CLI::App* probe = app.add_subcommand("probe", "ask the factory for a component by three words");
  probe->add_option("ROLE", invocation.role, "loader or saver")->required();
  probe->add_option("KIND", invocation.kind, "annotation or preferences")->required();
  probe->add_option("FORMAT", invocation.format, "etb or zip")->required();

  LoadOptions& load = invocation.load;
  CLI::App* loadCommand = app.add_subcommand("load", "load an ETB file as a host does, print it");
  loadCommand->add_option("FILE", load.file, "the ETB file")->required();
  loadCommand->add_option("--model", load.model,
                          "the product file the structure came from (.ed/.edz: convert texts)");
  loadCommand->add_flag("--json", load.json, "print the JSON document");
  loadCommand->add_flag("--summary", load.summary, "print only the outcome and the counts");

  SaveOptions& save = invocation.save;
  CLI::App* saveCommand = app.add_subcommand("save", "load an ETB file and save it again");
  saveCommand->add_option("IN", save.input, "the ETB file to load")->required();
  saveCommand->add_option("OUT", save.output, "the ETB file to write")->required();
  saveCommand->add_option("--model", save.model, "the product file the structure came from");
  saveCommand->add_flag("--convert", save.convert, "convert texts for .ed/.edz products");
  CLI::Option* defaultTable =
      saveCommand->add_flag("--default", save.defaultTable, "save as a default table");
  saveCommand
      ->add_option("--partial", save.partialIndex,
                   "save every entry but entry I and those excluded from partial saves")
      ->check(kEntryIndex)
      ->excludes(defaultTable);
  saveCommand->add_option("--mark", save.markIndex, "with --default: mark entry I")
      ->check(kEntryIndex)
      ->needs(defaultTable);

  LoadOptions& session = invocation.load;
  CLI::App* sessionCommand =
      app.add_subcommand("session", "load a zip session archive as a host does");
  sessionCommand->add_option("ARCHIVE", session.file, "the session archive")->required();
  sessionCommand->add_option("--model", session.model, "the product file the structure came from");
  sessionCommand->add_flag("--json", session.json, "print the JSON document");

  PrefsOptions& prefs = invocation.prefs;
  prefs.store = DefaultPreferenceStore();
  CLI::App* prefsCommand =
      app.add_subcommand("prefs", "the host's preference list of annotation entries");
  prefsCommand->require_subcommand(1);
  const auto addStore = [&prefs](CLI::App* command) {
    command->add_option("--store", prefs.store, "the preferences store (JSON)")
        ->capture_default_str();
  };
  CLI::App* prefsShow = prefsCommand->add_subcommand("show", "print the preference entries");
  prefsShow->add_flag("--json", prefs.json, "print the JSON document");
  addStore(prefsShow);
  CLI::App* prefsImport =
      prefsCommand->add_subcommand("import", "make an ETB file's entries the preference entries");
  prefsImport->add_option("FILE", prefs.file, "the ETB file")->required();
  addStore(prefsImport);
  CLI::App* prefsExport =
      prefsCommand->add_subcommand("export", "write the preference entries to an ETB file");
  prefsExport->add_option("OUT", prefs.file, "the ETB file to write")->required();
  addStore(prefsExport);

  CLI::App* demo = app.add_subcommand("demo", "a guided tour of the module on bundled samples");

  if (const std::string mistake = CommandWordMistake(argc, argv); !mistake.empty()) {
    err << "etbtool: " << mistake << " (see etbtool --help)\n";
    exitStatus = kExitUsage;
    return std::nullopt;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {  // --help or --version
    exitStatus = app.exit(done, out, err);
    return std::nullopt;
  } catch (const CLI::ParseError& error) {
    err << "etbtool: " << error.what() << " (see etbtool --help)\n";
    exitStatus = kExitUsage;
    return std::nullopt;
  }

  using Command = Invocation::Command;
  invocation.command = probe->parsed()            ? Command::kProbe
                       : loadCommand->parsed()    ? Command::kLoad
                       : saveCommand->parsed()    ? Command::kSave
                       : sessionCommand->parsed() ? Command::kSession
                       : prefsCommand->parsed()   ? Command::kPrefs
                                                  : Command::kDemo;
  (void)demo;
  if (prefsCommand->parsed()) {
    prefs.action = prefsShow->parsed() ? "show" : prefsImport->parsed() ? "import" : "export";
  }
  return invocation;
}

}  // namespace etbtool
