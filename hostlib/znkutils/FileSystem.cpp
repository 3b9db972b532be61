#include "du/FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "standin/HostTemp.h"

namespace {

std::mutex hostTempMutex;
std::string hostTempDir;  // guarded by hostTempMutex; empty until first use

std::string SystemTempDir() {
  const char* configured = std::getenv("TMPDIR");
  std::string dir = configured != nullptr && *configured != '\0' ? configured : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

namespace du {

std::string FileSystem::GetTempDir(bool perHost) {
  if (!perHost) return SystemTempDir();
  std::lock_guard<std::mutex> lock(hostTempMutex);
  if (hostTempDir.empty()) {
    std::string pattern = SystemTempDir() + "/znhost-XXXXXX";
    // Without a folder of its own the host falls back to the system's.
    hostTempDir = ::mkdtemp(pattern.data()) != nullptr ? pattern : SystemTempDir();
  }
  return hostTempDir;
}

}  // namespace du

void standin::RemoveHostTempDir() {
  std::lock_guard<std::mutex> lock(hostTempMutex);
  if (hostTempDir.empty() || hostTempDir == SystemTempDir()) {
    hostTempDir.clear();
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(hostTempDir, ignored);
  hostTempDir.clear();
}
