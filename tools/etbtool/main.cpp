#include <CLI/CLI.hpp>
#include <iostream>

#include "Commands.h"
#include "ModuleLoader.h"
#include "standin/HostTemp.h"

namespace {

int Run(int argc, char** argv) {
  using namespace etbtool;
  CLI::App app{"etbtool: a command-line host for the ETB annotation plug-in module"};
  app.require_subcommand(1);

  std::string modulePath;
  app.add_option("--module", modulePath,
                 "plug-in module to load (default: $ETBTOOL_MODULE, else the bundled one)");

  std::string role, kind, format;
  CLI::App* probe = app.add_subcommand("probe", "ask the factory for a component by three words");
  probe->add_option("ROLE", role, "loader or saver")->required();
  probe->add_option("KIND", kind, "annotation or preferences")->required();
  probe->add_option("FORMAT", format, "etb or zip")->required();

  LoadOptions load;
  CLI::App* loadCommand =
      app.add_subcommand("load", "load an ETB file as a host does and print it");
  loadCommand->add_option("FILE", load.file, "the ETB file")->required();
  loadCommand->add_option("--model", load.model,
                          "the product file the structure was loaded from (.ed/.edz: convert)");
  loadCommand->add_flag("--json", load.json, "print the JSON document");
  loadCommand->add_flag("--summary", load.summary, "print only the outcome and the counts");

  LoadOptions session;
  CLI::App* sessionCommand =
      app.add_subcommand("session", "load a zip session archive as a host does");
  sessionCommand->add_option("ARCHIVE", session.file, "the session archive")->required();
  sessionCommand->add_option("--model", session.model, "the product file the structure came from");
  sessionCommand->add_flag("--json", session.json, "print the JSON document");

  PrefsOptions prefs;
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

  SaveOptions save;
  CLI::App* saveCommand = app.add_subcommand("save", "load an ETB file and save it again");
  saveCommand->add_option("IN", save.input, "the ETB file to load")->required();
  saveCommand->add_option("OUT", save.output, "the ETB file to write")->required();
  saveCommand->add_option("--model", save.model, "the product file the structure came from");
  saveCommand->add_flag("--convert", save.convert, "convert texts for .ed/.edz products");
  CLI::Option* partial = saveCommand->add_option(
      "--partial", save.partialIndex, "save every entry but entry I (0-based) and the excluded");
  CLI::Option* defaultTable =
      saveCommand->add_flag("--default", save.defaultTable, "save as a default table");
  saveCommand->add_option("--mark", save.markIndex, "with --default: mark entry I (0-based)")
      ->needs(defaultTable);
  partial->check(CLI::NonNegativeNumber)->excludes(defaultTable);

  CLI::App* demo = app.add_subcommand("demo", "a guided tour of the module on bundled samples");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << "etbtool: " << error.what() << " (see etbtool --help)\n";
    return kExitUsage;
  }

  std::string error;
  const std::unique_ptr<LoadedModule> module =
      LoadedModule::Load(ResolveModulePath(modulePath), error);
  if (!module) {
    std::cerr << "etbtool: " << error << '\n';
    return kExitUsage;
  }

  int status = kExitUsage;
  if (probe->parsed()) status = RunProbe(*module, role, kind, format, std::cout);
  if (loadCommand->parsed()) status = RunLoad(*module, load, std::cout);
  if (sessionCommand->parsed()) status = RunSession(*module, session, std::cout);
  if (prefsCommand->parsed()) {
    prefs.action = prefsShow->parsed() ? "show" : prefsImport->parsed() ? "import" : "export";
    status = RunPrefs(*module, prefs, std::cout);
  }
  if (saveCommand->parsed()) status = RunSave(*module, save, std::cout);
  if (demo->parsed()) status = RunDemo(*module, std::cout);
  standin::RemoveHostTempDir();  // the download cache goes with the host
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "etbtool: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "etbtool: unexpected failure\n";
  }
  return etbtool::kExitUsage;
}
