#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace testing_support {

// Makes a FIFO at `path` and runs `work`, which must not wait for a writer. Should it wait, a
// writer comes after two seconds to let it go on, so that the test fails instead of hanging:
// false then.
template <typename Work>
bool DoneWithoutAWriter(const std::string& path, Work work) {
  if (::mkfifo(path.c_str(), 0600) != 0) return false;
  std::atomic<bool> done{false};
  std::atomic<bool> neededAWriter{false};
  std::thread watchdog([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (std::chrono::steady_clock::now() < deadline) continue;
      // Opening for writing without waiting succeeds only while a reader waits in its open.
      const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        neededAWriter = true;
        ::close(fd);
      }
    }
  });
  work();
  done = true;
  watchdog.join();
  ::unlink(path.c_str());
  return !neededAWriter;
}

}  // namespace testing_support
