#include "CommandLine.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "HelpFormatter.h"
#include "TextForms.h"

namespace etbtool {

namespace {

// 0, 1, 2, ... of at most `digits` digits, so that the number fits its variable.
CLI::Validator WholeNumber(const std::string& what, std::size_t digits, const std::string& type) {
  return CLI::Validator(
      [what, digits](std::string& text) -> std::string {
        const bool whole = !text.empty() && text.size() <= digits &&
                           text.find_first_not_of("0123456789") == std::string::npos;
        return whole ? "" : "'" + text + "' is no " + what + " (0, 1, 2, ...)";
      },
      type);
}

const CLI::Validator kEntryIndex = WholeNumber("entry index", 9, "INDEX");

// The names of an app's subcommands, for a message that lists them.
std::string NamesOf(const CLI::App& app) {
  std::string names;
  for (const CLI::App* command : app.get_subcommands({})) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return names;
}

// A command word that names no command: CLI11 leaves it unparsed among `extras` (they are
// allowed, and fall through to the top, so that the mistake can be named here). Empty when the
// words are fine.
std::string CommandWordMistake(const CLI::App& parent, const std::vector<std::string>& extras,
                               const char* what, const char* given) {
  for (const CLI::App* command : parent.get_subcommands({})) {
    if (command->parsed()) return "";
  }
  if (extras.empty()) return std::string(given) + "; one of: " + NamesOf(parent);
  return "unknown " + std::string(what) + " '" + extras.front() + "'; one of: " + NamesOf(parent);
}

// The words of the command a parse got to ("etbtool", "etbtool save", "etbtool prefs import"),
// so that a usage mistake points to the help that covers it.
std::string CommandWords(const CLI::App& app) {
  std::string words = app.get_name();
  for (const CLI::App* at = &app; !at->get_subcommands().empty();) {
    at = at->get_subcommands().front();
    words += " " + at->get_name();
  }
  return words;
}

CLI::App* AddProbe(CLI::App& app, Invocation& invocation) {
  CLI::App* command = app.add_subcommand("probe", "ask the factory for a component by three words");
  command->add_option("ROLE", invocation.role, "loader or saver")->required();
  command->add_option("KIND", invocation.kind, "annotation or preferences")->required();
  command->add_option("FORMAT", invocation.format, "etb or zip")->required();
  return command;
}

CLI::App* AddLoad(CLI::App& app, LoadOptions& load) {
  CLI::App* command = app.add_subcommand("load", "load an ETB file as a host does, print it");
  command->add_option("FILE", load.file, "the ETB file")->required();
  command->add_option("--model", load.model,
                      "the product file the structure came from (.ed/.edz: convert texts)");
  command->add_flag("--json", load.json, "print the JSON document");
  command->add_flag("--summary", load.summary, "print only the outcome and the counts");
  return command;
}

CLI::App* AddSave(CLI::App& app, SaveOptions& save) {
  CLI::App* command = app.add_subcommand("save", "load an ETB file and save it again");
  command->add_option("IN", save.input, "the ETB file to load")->required();
  command->add_option("OUT", save.output, "the ETB file to write")->required();
  command->add_option("--model", save.model, "the product file the structure came from");
  command->add_flag("--convert", save.convert, "convert texts for .ed/.edz products");
  CLI::Option* defaultTable =
      command->add_flag("--default", save.defaultTable, "save as a default table");
  command
      ->add_option("--partial", save.partialIndex,
                   "save every entry but entry I and those excluded from partial saves")
      ->check(kEntryIndex)
      ->excludes(defaultTable);
  command->add_option("--mark", save.markIndex, "with --default: mark entry I")
      ->check(kEntryIndex)
      ->needs(defaultTable);
  return command;
}

CLI::App* AddSession(CLI::App& app, LoadOptions& session) {
  CLI::App* command = app.add_subcommand("session", "load a zip session archive as a host does");
  command->add_option("ARCHIVE", session.file, "the session archive")->required();
  command->add_option("--model", session.model, "the product file the structure came from");
  command->add_flag("--json", session.json, "print the JSON document");
  return command;
}

CLI::App* AddPrefs(CLI::App& app, PrefsOptions& prefs) {
  CLI::App* command =
      app.add_subcommand("prefs", "the host's preference list of annotation entries");
  command->allow_extras();  // an unknown action is named by CommandWordMistake
  const auto add = [command, &prefs](const char* name, const char* help, PrefsAction action) {
    CLI::App* sub = command->add_subcommand(name, help);
    sub->add_option("--store", prefs.store,
                    "the preferences store (JSON; default: "
                    "$XDG_CONFIG_HOME/etbtool/preferences.json, else "
                    "~/.config/etbtool/preferences.json)");
    sub->parse_complete_callback([&prefs, action] { prefs.action = action; });
    return sub;
  };
  add("show", "print the preference entries", PrefsAction::kShow)
      ->add_flag("--json", prefs.json, "print the JSON document");
  add("import", "make an ETB file's entries the preference entries", PrefsAction::kImport)
      ->add_option("FILE", prefs.file, "the ETB file")
      ->required();
  add("export", "write the preference entries to an ETB file", PrefsAction::kExport)
      ->add_option("OUT", prefs.file, "the ETB file to write")
      ->required();
  return command;
}

CLI::App* AddCheck(CLI::App& app, CheckOptions& check) {
  CLI::App* command =
      app.add_subcommand("check", "report the lines of an ETB file the loader reads otherwise");
  command->add_option("FILE", check.file, "the ETB file (-: standard input)")->required();
  command->add_option("--model", check.model,
                      "the product file the structure came from (.ed/.edz: convert texts)");
  command->add_flag("--json", check.json, "print one JSON document");
  command
      ->add_option("--max-findings", check.maxFindings,
                   "show at most N findings; the totals and exit status count all")
      ->check(WholeNumber("count", 18, "N"));
  return command;
}

CLI::App* AddExport(CLI::App& app, ExportOptions& exportTable) {
  CLI::App* command = app.add_subcommand("export", "load an ETB file, write it as CSV or JSON");
  command->add_option("FILE", exportTable.input, "the ETB file")->required();
  command->add_option("OUT", exportTable.output, "the file to write (-: standard output)")
      ->required();
  command
      ->add_option("--format", exportTable.format,
                   "csv or json (default: from OUT's extension; csv for -)")
      ->check(CLI::IsMember({"csv", "json"}));
  command->add_option("--model", exportTable.model, "the product file the structure came from");
  command->add_flag("--escape-formulas", exportTable.escapeFormulas,
                    "CSV: put ' before texts starting with = + - @ ' tab or CR (read back by "
                    "import --escape-formulas)");
  return command;
}

CLI::App* AddImport(CLI::App& app, ImportOptions& importTable) {
  CLI::App* command =
      app.add_subcommand("import", "read a CSV table or a JSON document, save it as ETB");
  command->add_option("IN", importTable.input, "the CSV or JSON file (-: standard input)")
      ->required();
  command->add_option("OUT", importTable.output, "the ETB file to write")->required();
  command->add_option("--model", importTable.model, "the product file the structure came from");
  command->add_flag("--convert", importTable.convert, "convert texts for .ed/.edz products");
  command
      ->add_option_function<std::string>(
          "--delimiter",
          [&importTable](const std::string& text) {
            importTable.delimiter = text == "tab" ? '\t' : text[0];
          },
          "CSV: the field separator, one character or tab (default ,)")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            const bool one =
                text == "tab" ||
                (text.size() == 1 && std::string("\"\r\n").find(text[0]) == std::string::npos);
            return one ? ""
                       : "'" + text +
                             "' is no separator (one character other than a quote or a line break, "
                             "or tab)";
          },
          "CHAR"));
  command->add_flag("--escape-formulas", importTable.escapedFormulas,
                    "CSV: take off the ' that export --escape-formulas put before texts");
  return command;
}

}  // namespace

std::optional<Invocation> ParseCommandLine(int argc, char** argv, std::ostream& out,
                                           std::ostream& err, int& exitStatus) {
  Invocation invocation;
  // Named, so that help says "etbtool" and not the path it was started by.
  CLI::App app{"etbtool: a command-line host for the ETB annotation plug-in module", "etbtool"};
  app.formatter(std::make_shared<HelpFormatter>());  // the commands share it
  app.allow_extras();  // an unknown command is named by CommandWordMistake
  // --module and --version also after the command, as in "etbtool load a.etb --module M";
  // one command a run, so that a file named like a command is still a file.
  app.fallthrough()->require_subcommand(0, 1);
  bool version = false;
  app.add_flag("--version", version,
               "print the versions of etbtool and of the module it would load");
  app.add_option("--module", invocation.modulePath,
                 "plug-in module to load (default: $ETBTOOL_MODULE, else the installed one)");
  using Command = Invocation::Command;
  const std::pair<CLI::App*, Command> commands[] = {
      {AddProbe(app, invocation), Command::kProbe},
      {AddLoad(app, invocation.load), Command::kLoad},
      {AddSave(app, invocation.save), Command::kSave},
      {AddSession(app, invocation.load), Command::kSession},
      {AddPrefs(app, invocation.prefs), Command::kPrefs},
      {AddCheck(app, invocation.check), Command::kCheck},
      {AddExport(app, invocation.exportTable), Command::kExport},
      {AddImport(app, invocation.importTable), Command::kImport},
      {app.add_subcommand("demo", "a guided tour of the module on bundled samples"),
       Command::kDemo},
  };
  // Set after the commands are added, which would inherit it: only the top help has it.
  app.footer(
      "Exit status:\n"
      "  0  the (last) load reported success, or the save returned true\n"
      "     (check: no warnings)\n"
      "  1  a load reported failure, or a save returned false (check: warnings)\n"
      "  2  a usage mistake, an input of etbtool's own that cannot be read,\n"
      "     or a module that cannot be loaded or is no ETB module\n"
      "  128+N  stopped by signal N (SIGINT, SIGTERM, SIGHUP); temporary files\n"
      "         are removed");
  // --stats on every command that loads or saves: load, save, session and each prefs action.
  const auto addStats = [&invocation](CLI::App* command) {
    command->add_flag("--stats", invocation.stats,
                      "after the command, the time of each phase on stderr");
  };
  for (const auto& [command, which] : commands) {
    if (which == Command::kLoad || which == Command::kSave || which == Command::kSession) {
      addStats(command);
    }
    if (which == Command::kPrefs) {
      for (CLI::App* action : command->get_subcommands([](CLI::App*) { return true; })) {
        addStats(action);
      }
    }
  }

  std::string mistake;
  try {
    app.parse(argc, argv);
    if (version) {
      invocation.command = Invocation::Command::kVersion;
      return invocation;
    }
    // Words a command did not take fall through to the top, which allows extras.
    const std::vector<std::string> extras = app.remaining(true);
    mistake = CommandWordMistake(app, extras, "command", "no command given");
    for (const auto& [command, which] : commands) {
      if (!command->parsed()) continue;
      invocation.command = which;
      if (which == Command::kPrefs) {
        mistake = CommandWordMistake(*command, extras, "prefs action", "prefs needs an action");
      }
      if (which == Command::kExport && invocation.exportTable.format.empty()) {
        // Standard output has no name to tell the format: CSV, the plainer table.
        invocation.exportTable.format = invocation.exportTable.output == "-"
                                            ? "csv"
                                            : FormatOfName(invocation.exportTable.output);
        if (invocation.exportTable.format.empty()) {
          mistake = "--format is needed: " + invocation.exportTable.output +
                    " does not end in .csv or .json";
        }
      }
    }
    if (mistake.empty() && !extras.empty()) mistake = "not expected: " + extras.front();
  } catch (const CLI::Success& done) {  // --help
    exitStatus = app.exit(done, out, err);
    return std::nullopt;
  } catch (const CLI::ParseError& error) {
    mistake = error.what();
  }
  if (!mistake.empty()) {
    err << "etbtool: " << mistake << " (see " << CommandWords(app) << " --help)\n";
    exitStatus = kExitUsage;
    return std::nullopt;
  }
  return invocation;
}

}  // namespace etbtool
