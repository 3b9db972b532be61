#include <CLI/CLI.hpp>
#include <iostream>

#include "Commands.h"
#include "ModuleLoader.h"

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

  if (probe->parsed()) return RunProbe(*module, role, kind, format, std::cout);
  if (demo->parsed()) return RunDemo(*module, std::cout);
  return kExitUsage;
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
