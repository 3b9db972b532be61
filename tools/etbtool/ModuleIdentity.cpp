#include "ModuleIdentity.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstring>

namespace etbtool {

namespace {

constexpr std::uint32_t kVersionNote = 1;  // owner "etbplugin": the version text

struct Search {
  const link_map* module;
  ModuleIdentity* identity;
};

std::size_t Padded(std::size_t size) { return (size + 3) / 4 * 4; }

// Reads the notes of one PT_NOTE segment at `at`, `size` bytes long.
void ReadNotes(const unsigned char* at, std::size_t size, ModuleIdentity& identity) {
  for (std::size_t offset = 0; offset + sizeof(ElfW(Nhdr)) <= size;) {
    ElfW(Nhdr) header;
    std::memcpy(&header, at + offset, sizeof header);
    const auto* owner = reinterpret_cast<const char*>(at + offset + sizeof header);
    const unsigned char* description = at + offset + sizeof header + Padded(header.n_namesz);
    offset += sizeof header + Padded(header.n_namesz) + Padded(header.n_descsz);
    if (offset > size) break;
    const std::string name(owner, header.n_namesz > 0 ? header.n_namesz - 1 : 0);
    if (name == "GNU" && header.n_type == NT_GNU_BUILD_ID) {
      static constexpr char kHex[] = "0123456789abcdef";
      for (std::size_t i = 0; i < header.n_descsz; ++i) {
        identity.buildId += kHex[description[i] >> 4];
        identity.buildId += kHex[description[i] & 0xF];
      }
    } else if (name == "etbplugin" && header.n_type == kVersionNote) {
      identity.version.assign(reinterpret_cast<const char*>(description),
                              strnlen(reinterpret_cast<const char*>(description), header.n_descsz));
    }
  }
}

int ReadLoadedObject(dl_phdr_info* info, std::size_t /*size*/, void* data) {
  auto* search = static_cast<Search*>(data);
  if (info->dlpi_addr != search->module->l_addr ||
      std::strcmp(info->dlpi_name, search->module->l_name) != 0) {
    return 0;
  }
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type == PT_NOTE) {
      // NOLINTNEXTLINE(performance-no-int-to-ptr): the loader gives the image's base as a number
      ReadNotes(reinterpret_cast<const unsigned char*>(info->dlpi_addr + segment.p_vaddr),
                segment.p_memsz, *search->identity);
    }
  }
  return 1;
}

}  // namespace

ModuleIdentity IdentifyModule(const std::string& path) {
  ModuleIdentity identity;
  // Lazy binding and no ZnDllInit: only the image's notes are read.
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    identity.error = error != nullptr ? error : "unknown error";
    return identity;
  }
  link_map* module = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &module) == 0 && module != nullptr) {
    Search search{module, &identity};
    dl_iterate_phdr(&ReadLoadedObject, &search);
    // dlsym also answers from the libraries the file needs: the symbol must be the file's own.
    for (const char* entryPoint : {"ZnDllCreateComponent", "ZnDllInit", "ZnDllTerminate"}) {
      Dl_info where{};
      const void* symbol = dlsym(handle, entryPoint);
      if (symbol == nullptr || dladdr(symbol, &where) == 0 || where.dli_fname == nullptr ||
          std::strcmp(where.dli_fname, module->l_name) != 0) {
        identity.missingEntryPoint = entryPoint;
        break;
      }
    }
  }
  dlclose(handle);
  return identity;
}

}  // namespace etbtool
