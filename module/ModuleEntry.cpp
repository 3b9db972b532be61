#include "module/ModuleEntry.h"

#include "etb/EtbPreferencesWriter.h"
#include "etb/EtbWriter.h"
#include "etb/Parser.h"
#include "etb/PreferencesParser.h"
#include "zip/ZipParser.h"

namespace {

// The pooled operator new answers null when the pool is dry; the constructor is then skipped.
template <class Component>
du::RefCounted* Create() {
  return new Component();
}

struct ComponentRow {
  const char* kind;
  const char* format;
  du::RefCounted* (*create)();
};

const ComponentRow kLoaders[] = {
    {"annotation", "etb", &Create<etb::Parser>},
    {"preferences", "etb", &Create<etb::PreferencesParser>},
    {"annotation", "zip", &Create<zip::ZipParser>},
};

const ComponentRow kSavers[] = {
    {"annotation", "etb", &Create<etb::EtbWriter>},
    {"preferences", "etb", &Create<etb::EtbPreferencesWriter>},
};

template <std::size_t N>
const ComponentRow* FindRow(const ComponentRow (&rows)[N], const std::string& kind,
                            const std::string& format) {
  for (const ComponentRow& row : rows) {
    if (kind == row.kind && format == row.format) return &row;
  }
  return nullptr;
}

}  // namespace

bool ZnDllCreateComponent(const std::string& role, const std::string& kind,
                          const std::string& format, du::SmartPtr<du::RefCounted>& out) {
  const ComponentRow* row = nullptr;
  if (role == "loader") {
    row = FindRow(kLoaders, kind, format);
  } else if (role == "saver") {
    row = FindRow(kSavers, kind, format);
  }
  if (row == nullptr) return false;
  out = row->create();
  return true;
}

void ZnDllInit() {}

void ZnDllTerminate() {}
