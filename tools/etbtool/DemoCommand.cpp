#include <iomanip>

#include "Commands.h"

namespace etbtool {

namespace {

struct Words {
  const char* role;
  const char* kind;
  const char* format;
};

// Every component the factory hands out.
const Words kComponents[] = {
    {"loader", "annotation", "etb"}, {"loader", "preferences", "etb"},
    {"loader", "annotation", "zip"}, {"saver", "annotation", "etb"},
    {"saver", "preferences", "etb"},
};

// Words that come close and must name nothing: the factory neither trims nor folds case.
const Words kNearMisses[] = {
    {"Loader", "annotation", "etb"},  {"loader ", "annotation", "etb"},
    {"loader", "annotation", "ETB"},  {"saver", "annotation", "zip"},
    {"loader", "preferences", "zip"}, {"reader", "annotation", "etb"},
};

void PrintWords(std::ostream& out, const Words& words) {
  out << "  " << std::left << std::setw(10) << ('"' + std::string(words.role) + '"')
      << std::setw(14) << ('"' + std::string(words.kind) + '"') << std::setw(8)
      << ('"' + std::string(words.format) + '"');
}

}  // namespace

int RunDemo(const LoadedModule& module, std::ostream& out) {
  out << "etbtool demo: a tour of the plug-in module\n"
      << "module: " << module.path() << "\n\n"
      << "Step 1. The component factory (ZnDllCreateComponent)\n"
      << "  role      kind          format  component                   OnProgress\n";
  int status = kExitSuccess;
  for (const Words& words : kComponents) {
    PrintWords(out, words);
    du::SmartPtr<znloader::AnnotationParser> component;
    if (!module.Create(words.role, words.kind, words.format, component)) {
      out << "no component (unexpected)\n";
      status = kExitFailure;
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
    if (made) status = kExitFailure;
  }
  return status;
}

}  // namespace etbtool
