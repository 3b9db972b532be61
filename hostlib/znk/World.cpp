#include "znk/World.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <mutex>

#include "PreferenceStoreFormat.h"
#include "standin/PreferenceStore.h"

namespace znk {

struct WorldAccess {
  static World* Make() { return new World; }
};

}  // namespace znk

namespace {

struct Store {
  std::mutex mutex;
  du::SmartPtr<znk::World> world;  // guarded by mutex
  std::string path;                // "" keeps the store in memory
  bool savable = true;             // false for a file that could not be read as a store
  int saves = 0;
};

Store& TheStore() {
  static Store* store = new Store;  // never destroyed: the world may be used during exit
  return *store;
}

// Writes `text` to `path` through a flushed temporary beside it, renamed into place.
bool WriteAtomically(const std::string& path, const std::string& text) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) done += std::size_t(written);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok =
      ok && ::chmod(temporary.c_str(), 0644) == 0 && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace

namespace znk {

World::World() : preferences_(new Preferences) {}

World::~World() = default;

du::SmartPtr<World> World::GetWorld() {
  Store& store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (store.world.IsNull()) store.world = WorldAccess::Make();
  return store.world;
}

bool World::SaveAndApplyPreferences() {
  Store& store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  ++store.saves;
  if (store.path.empty()) return true;
  if (!store.savable) return false;
  return WriteAtomically(store.path, standin::store::ToJson(*preferences_).dump(2) + "\n");
}

}  // namespace znk

namespace standin {

std::string UsePreferenceStore(const std::string& path) {
  ResetWorld();
  const du::SmartPtr<znk::World> world = znk::World::GetWorld();
  Store& store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  store.path = path;
  store.savable = true;
  if (path.empty()) return "";
  std::ifstream file(path, std::ios::binary);
  if (!file) return "";  // no store yet: an empty one
  try {
    store::FromJson(nlohmann::json::parse(file), *world->GetPreferences());
  } catch (const std::exception& error) {
    store.savable = false;
    store.world = znk::WorldAccess::Make();  // nothing of a half-read store stays
    return std::string("not a valid preferences store: ") + error.what();
  }
  return "";
}

int PreferenceSaveCount() {
  Store& store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  return store.saves;
}

void ResetWorld() {
  Store& store = TheStore();
  du::SmartPtr<znk::World> dropped;
  {
    std::lock_guard<std::mutex> lock(store.mutex);
    dropped = store.world;
    store.world.Reset();
    store.path.clear();
    store.savable = true;
    store.saves = 0;
  }
}

}  // namespace standin
