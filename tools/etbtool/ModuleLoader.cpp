#include "ModuleLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "standin/Fetch.h"

namespace etbtool {

namespace {

std::string LastDlError() {
  const char* text = dlerror();
  std::string line = text != nullptr ? text : "unknown error";
  // dlerror may run over several lines; the tool promises one.
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = "cannot load module: " + LastDlError();
    return nullptr;
  }
  auto create = reinterpret_cast<CreateFunction>(dlsym(handle, "ZnDllCreateComponent"));
  auto init = reinterpret_cast<VoidFunction>(dlsym(handle, "ZnDllInit"));
  auto terminate = reinterpret_cast<VoidFunction>(dlsym(handle, "ZnDllTerminate"));
  if (create == nullptr || init == nullptr || terminate == nullptr) {
    const char* missing = create == nullptr ? "ZnDllCreateComponent"
                          : init == nullptr ? "ZnDllInit"
                                            : "ZnDllTerminate";
    error = "module " + path + " does not export " + missing;
    dlclose(handle);
    return nullptr;
  }
  init();
  return std::unique_ptr<LoadedModule>(new LoadedModule(path, handle, create, terminate));
}

LoadedModule::LoadedModule(std::string path, void* handle, CreateFunction create,
                           VoidFunction terminate)
    : path_(std::move(path)), handle_(handle), create_(create), terminate_(terminate) {}

LoadedModule::~LoadedModule() {
  // A fetch still out holds a component whose code is about to go: drop it while it is there.
  standin::CancelFetches();
  terminate_();
  dlclose(handle_);
}

bool LoadedModule::Create(const std::string& role, const std::string& kind,
                          const std::string& format,
                          du::SmartPtr<znloader::AnnotationParser>& component) const {
  du::SmartPtr<du::RefCounted> made;
  if (!create_(role, kind, format, made)) return false;
  // The factory hands out the reference-counted base; the parser interface is found from there.
  component = dynamic_cast<znloader::AnnotationParser*>(made.get());
  return !component.IsNull();
}

std::string ResolveModulePath(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* fromEnvironment = std::getenv("ETBTOOL_MODULE");
      fromEnvironment != nullptr && *fromEnvironment != '\0') {
    return fromEnvironment;
  }
  namespace fs = std::filesystem;
  std::error_code ignored;
  const fs::path executableDir = fs::read_symlink("/proc/self/exe", ignored).parent_path();
  const fs::path besideExecutable = executableDir / "libetbplugin.so";
  if (fs::exists(besideExecutable, ignored)) return besideExecutable.string();
  return (executableDir / ".." / "lib" / "etbplugin" / "libetbplugin.so").lexically_normal();
}

}  // namespace etbtool
