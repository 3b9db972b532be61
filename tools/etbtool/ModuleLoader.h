#pragma once

#include <memory>
#include <string>

#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "znloader/AnnotationParser.h"

namespace etbtool {

// The plug-in module, loaded with dlopen and initialised; terminated and unloaded on
// destruction. Components made through it must be dropped before it goes.
class LoadedModule {
 public:
  // Null, with `error` set to one line saying what was wrong, when the file cannot be loaded or
  // lacks an entry point.
  static std::unique_ptr<LoadedModule> Load(const std::string& path, std::string& error);

  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule();

  // Asks the factory; false when the words name no component or the host's pool was dry.
  bool Create(const std::string& role, const std::string& kind, const std::string& format,
              du::SmartPtr<znloader::AnnotationParser>& component) const;

  using CreateFunction = bool (*)(const std::string&, const std::string&, const std::string&,
                                  du::SmartPtr<du::RefCounted>&);

  const std::string& path() const { return path_; }
  // The raw factory, for callers that need the reference-counted base itself.
  CreateFunction factory() const { return create_; }

 private:
  using VoidFunction = void (*)();

  LoadedModule(std::string path, void* handle, CreateFunction create, VoidFunction terminate);

  std::string path_;
  void* handle_;
  CreateFunction create_;
  VoidFunction terminate_;
};

// Where the module is looked for: --module, else $ETBTOOL_MODULE, else beside the executable
// (build tree) or in ../lib/etbplugin (installed tree).
std::string ResolveModulePath(const std::string& option);

}  // namespace etbtool
