// The module's version as an ELF note (owner "etbplugin", type 1, the version text), in a
// PT_NOTE segment: etbtool --version reads it from the loaded image without calling into the
// module, and it adds nothing to the dynamic symbol table the host binds to.
#include <cstdint>

namespace {

constexpr char kOwner[] = "etbplugin";
constexpr char kVersion[] = ETBPLUGIN_VERSION;

// Name and description are each padded to four bytes, as ELF notes are laid out.
struct VersionNote {
  std::uint32_t ownerSize;
  std::uint32_t versionSize;
  std::uint32_t type;
  char owner[(sizeof kOwner + 3) / 4 * 4];
  char version[(sizeof kVersion + 3) / 4 * 4];
};

[[gnu::section(".note.etbplugin.version"), gnu::used, gnu::aligned(4)]] const VersionNote kNote = {
    sizeof kOwner, sizeof kVersion, 1, "etbplugin", ETBPLUGIN_VERSION};

}  // namespace
