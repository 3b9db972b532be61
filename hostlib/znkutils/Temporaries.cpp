#include "standin/Temporaries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// Fixed slots, so that the signal handler reads them without a lock or an allocation.
enum SlotState : int { kFree, kFilling, kFile, kFolder };
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX] = {};
};
std::array<Slot, 64> slots;

sigset_t TerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

// The layout the kernel gives getdents64, which unlike readdir is safe in a signal handler.
struct KernelDirectoryEntry {
  std::uint64_t inode;
  std::int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

// Removes `name` under the folder `parent`, and what it holds if it is a folder. Links are
// removed, never followed.
void RemoveTree(int parent, const char* name, int depth) {
  if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM) || depth > 16) {
    return;
  }
  const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder >= 0) {
    alignas(8) char buffer[2048];
    for (long got; (got = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0;) {
      for (long at = 0; at < got;) {
        const auto* entry = reinterpret_cast<const KernelDirectoryEntry*>(buffer + at);
        at += entry->length;
        if (std::strcmp(entry->name, ".") != 0 && std::strcmp(entry->name, "..") != 0) {
          RemoveTree(folder, entry->name, depth + 1);
        }
      }
    }
    ::close(folder);
  }
  ::unlinkat(parent, name, AT_REMOVEDIR);
}

void RemoveAndExit(int signal) {
  standin::RemoveTemporaries();
  ::_exit(128 + signal);
}

}  // namespace

standin::TerminationSignalsHeld::TerminationSignalsHeld() {
  const sigset_t held = TerminationSignals();
  ::pthread_sigmask(SIG_BLOCK, &held, &before_);
}

standin::TerminationSignalsHeld::~TerminationSignalsHeld() {
  ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

standin::TemporarySlot standin::TrackTemporary(const std::string& path, bool folder) {
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    int expected = kFree;
    if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
      std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
      slots[i].state.store(folder ? kFolder : kFile, std::memory_order_release);
      return TemporarySlot(i);
    }
  }
  return -1;
}

void standin::ForgetTemporary(TemporarySlot slot) {
  if (slot >= 0 && std::size_t(slot) < slots.size()) slots[std::size_t(slot)].state.store(kFree);
}

void standin::RemoveTemporaries() {
  const int savedErrno = errno;
  for (Slot& slot : slots) {
    const int state = slot.state.load(std::memory_order_acquire);
    if (state == kFile) ::unlink(slot.path);
    if (state == kFolder) RemoveTree(AT_FDCWD, slot.path, 0);
  }
  errno = savedErrno;
}

void standin::RemoveTemporariesOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveAndExit;
  action.sa_mask = TerminationSignals();  // a second signal waits until the first is handled
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}
