#include "znk/World.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <mutex>
#include <vector>

#include "PreferenceStoreFormat.h"
#include "dp/ZnTracer.h"
#include "du/FileSystem.h"
#include "standin/FileFailure.h"
#include "standin/InputFile.h"
#include "standin/InputLimits.h"
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
  std::string saveFailure;  // why the last save could not be stored; "" when it could
};

Store& TheStore() {
  static Store* store = new Store;  // never destroyed: the world may be used during exit
  return *store;
}

const dp::ZnTracer kWorldTracer("znk", "World");

std::atomic<std::uint64_t> storeSizeLimit{std::uint64_t{256} << 20};

// The system's reason for the failure just seen.
std::string SystemReason() { return std::strerror(errno != 0 ? errno : EIO); }

// Reads the file's bytes into `text` and answers why it cannot: "" when it could. The size is
// known first; the reading itself stops too, for a file that grows meanwhile.
std::string ReadAtMost(int fd, std::uint64_t limit, std::string& text) {
  const auto tooLarge = [limit] {
    return "larger than the store limit of " + std::to_string(limit) + " bytes";
  };
  struct stat info {};
  if (::fstat(fd, &info) != 0) return SystemReason();
  if (std::uint64_t(info.st_size) > limit) return tooLarge();
  text.reserve(std::size_t(info.st_size));
  std::vector<char> block(std::size_t{1} << 16);
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return SystemReason();
    if (got == 0) return "";
    text.append(block.data(), std::size_t(got));
    if (text.size() > limit) return tooLarge();
  }
}

// Writes the store through the host's file operations: a temporary file, then a copy that is
// flushed to disk beside the store and renamed over it. The store is never half-written.
// Answers why not when it cannot: "" on success.
std::string WriteStore(const std::string& path, const std::string& text) {
  standin::TakeFileFailure();
  const std::string temporary = du::FileSystem::MkTempFile(nullptr, "store-", ".json");
  if (temporary.empty()) return "no temporary file: " + standin::TakeFileFailure().reason;
  errno = 0;
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  std::string problem;
  if (!out.good()) {
    problem =
        std::string("cannot write a temporary copy: ") + std::strerror(errno != 0 ? errno : EIO);
  } else if (!du::FileSystem::CopyFile(temporary, path)) {
    problem = standin::TakeFileFailure().reason;
  }
  du::FileSystem::Unlink(temporary, false);
  return problem;
}

}  // namespace

namespace znk {

World::World() : preferences_(new Preferences) {}

World::~World() = default;

du::SmartPtr<Preferences> World::GetPreferences() const { return preferences_; }

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
  store.saveFailure.clear();
  if (store.path.empty()) return true;
  std::string text;
  if (!store.savable) {
    store.saveFailure = "the store could not be read, so it is never overwritten";
  } else if (!standin::store::ToText(*preferences_, text)) {
    store.saveFailure = "a key or list name is not UTF-8";
  } else {
    store.saveFailure = WriteStore(store.path, text);
  }
  if (store.saveFailure.empty()) return true;
  kWorldTracer(dp::TRACE_ERROR) << "Failed to save preferences store " << store.path << ": "
                                << store.saveFailure;
  return false;
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
  const standin::InputFile input = standin::OpenInputFile(path);
  if (input.error == ENOENT) return "";  // no store yet: an empty one
  if (input.fd < 0) {
    store.savable = false;
    return input.reason;
  }
  std::string text;
  std::string problem = ReadAtMost(input.fd, storeSizeLimit.load(), text);
  ::close(input.fd);
  if (!problem.empty()) {
    store.savable = false;
    return problem;
  }
  try {
    store::FromText(text, *world->GetPreferences());
  } catch (const std::exception& error) {
    store.savable = false;
    store.world = znk::WorldAccess::Make();  // nothing of a half-read store stays
    return std::string("not a valid preferences store: ") + error.what();
  }
  return "";
}

void SetPreferenceStoreSizeLimit(std::uint64_t bytes) { storeSizeLimit.store(bytes); }

std::uint64_t GetPreferenceStoreSizeLimit() { return storeSizeLimit.load(); }

std::string PreferenceSaveFailure() {
  Store& store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  return store.saveFailure;
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
    store.saveFailure.clear();
  }
}

}  // namespace standin
