// The stand-in's fetch: FileParser::GetFile puts the source into the download cache at once and
// queues the completion; the host delivers it when it pumps.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "du/FileSystem.h"
#include "du/SmartPtr.h"
#include "standin/Fetch.h"
#include "standin/InputFile.h"
#include "znloader/FileParser.h"

namespace {

namespace fs = std::filesystem;

struct Request {
  unsigned long long id;
  // Keeps the parser alive until its completion has been delivered or cancelled.
  du::SmartPtr<znloader::FileParser> parser;
  znk::BaseAsyncEvent::EventStatus status;
};

struct Service {
  std::mutex mutex;
  unsigned long long nextId = 1;
  std::deque<std::unique_ptr<Request>> pending;
  // Local paths of requests pending or being delivered.
  std::unordered_map<unsigned long long, std::string> paths;
  // Why recent fetches failed, oldest first; a host that never asks keeps only the last few.
  std::deque<std::string> failures;
};

constexpr std::size_t kFailuresKept = 16;

Service& TheService() {
  static Service* service = new Service;  // never destroyed: completions may outlive statics
  return *service;
}

// A local path for a file:// URL or a plain path; empty for any other scheme.
std::string LocalPathOf(const std::string& url) {
  const std::string filePrefix = "file://";
  if (url.compare(0, filePrefix.size(), filePrefix) == 0) return url.substr(filePrefix.size());
  return url.find("://") == std::string::npos ? url : std::string();
}

// Why `source` cannot be fetched, in a user's words; "" when it is a readable regular file. The
// check never waits, so a FIFO without a writer fails the fetch instead of stopping the host.
std::string Unfetchable(const std::string& source) {
  if (source.empty()) return "not a local file";
  const standin::InputFile input = standin::OpenInputFile(source);
  if (input.fd >= 0) {
    ::close(input.fd);
    return "";
  }
  if (input.error == ENOENT || input.error == ENOTDIR) return "no such file";
  if (input.error == EACCES || input.error == EPERM) return "permission denied";
  return input.reason;
}

// The cached copy's name. It always ends in an extension of its own, so that a loader that
// renames the copy by its last '.' (to give an archive its ".zip") stays inside the cache.
std::string CachedName(const std::string& source, unsigned long long id) {
  std::string name = std::to_string(id) + "-" + fs::path(source).filename().string();
  if (name.find('.') == std::string::npos) name += ".download";
  return name;
}

// Puts a readable regular file into the cache; answers why not when it cannot. A second name
// for the file is enough where the cache lies on the same file system: loaders only read their
// copy, and a saver replaces a file by renaming a new one over it, which leaves the cached one
// as it was. Elsewhere the bytes are copied.
std::string Download(const std::string& source, unsigned long long id, std::string& cached) {
  std::string problem = Unfetchable(source);
  if (!problem.empty()) return problem;
  std::error_code error;
  const fs::path cache = fs::path(du::FileSystem::GetTempDir(true)) / "fetch-cache";
  fs::create_directories(cache, error);
  cached = (cache / CachedName(source, id)).string();
  if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, cached.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return "";
  }
  // A signal (a host's timer) can interrupt the copy; that is no reason to fail the fetch.
  bool copied = false;
  do {
    error.clear();
    copied = fs::copy_file(source, cached, fs::copy_options::overwrite_existing, error);
  } while (!copied && error == std::errc::interrupted);
  if (copied && !error) return "";
  return "cannot copy it into the download cache: " + error.message();
}

// Hands the completion to the parser, then drops the cached copy: the parser has had its one
// chance to read it (or to move it somewhere else), and a long-running host must not pile them up.
void Deliver(std::unique_ptr<Request> request, znk::BaseAsyncEvent::EventStatus status) {
  request->parser->OnComplete(request->id, status);
  Service& service = TheService();
  std::string cached;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    const auto found = service.paths.find(request->id);
    if (found == service.paths.end()) return;
    cached = std::move(found->second);
    service.paths.erase(found);
  }
  std::error_code ignored;
  fs::remove(cached, ignored);
}

}  // namespace

namespace znloader {

unsigned long long FileParser::GetFile(const du::Symbol& url, bool /*reserved*/,
                                       const du::Symbol& /*base*/) {
  Service& service = TheService();
  unsigned long long id = 0;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    id = service.nextId++;
  }
  std::string cached;
  const std::string source = LocalPathOf(url.safe_c_str());
  const std::string problem = Download(source, id, cached);
  const bool fetched = problem.empty();
  auto request = std::make_unique<Request>();
  request->id = id;
  request->parser = this;
  request->status =
      fetched ? znk::BaseAsyncEvent::EVENT_DELIVERED : znk::BaseAsyncEvent::EVENT_FAILED;
  std::lock_guard<std::mutex> lock(service.mutex);
  if (fetched) {
    service.paths[id] = cached;
  } else {
    if (service.failures.size() == kFailuresKept) service.failures.pop_front();
    service.failures.push_back((source.empty() ? std::string(url.safe_c_str()) : source) + ": " +
                               problem);
  }
  service.pending.push_back(std::move(request));
  return id;
}

bool FileParser::GetAsyncFileName(unsigned long long requestId, du::Symbol& path) const {
  Service& service = TheService();
  std::lock_guard<std::mutex> lock(service.mutex);
  const auto found = service.paths.find(requestId);
  if (found == service.paths.end()) return false;
  path = found->second;
  return true;
}

}  // namespace znloader

namespace standin {

std::size_t PumpFetches() {
  Service& service = TheService();
  std::deque<std::unique_ptr<Request>> batch;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    batch.swap(service.pending);
  }
  const std::size_t count = batch.size();
  for (std::unique_ptr<Request>& request : batch) {
    const znk::BaseAsyncEvent::EventStatus status = request->status;
    Deliver(std::move(request), status);
  }
  return count;
}

std::vector<std::string> TakeFetchFailures() {
  Service& service = TheService();
  std::lock_guard<std::mutex> lock(service.mutex);
  std::vector<std::string> taken(service.failures.begin(), service.failures.end());
  service.failures.clear();
  return taken;
}

std::vector<unsigned long long> PendingFetches() {
  Service& service = TheService();
  std::lock_guard<std::mutex> lock(service.mutex);
  std::vector<unsigned long long> ids;
  for (const std::unique_ptr<Request>& request : service.pending) ids.push_back(request->id);
  return ids;
}

std::size_t CancelFetches() {
  Service& service = TheService();
  std::deque<std::unique_ptr<Request>> cancelled;
  std::unordered_map<unsigned long long, std::string> copies;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    cancelled.swap(service.pending);
    copies.swap(service.paths);
  }
  // Outside the lock: the parsers are released with the requests, and nobody will read the
  // copies any more.
  std::error_code ignored;
  for (const auto& [id, path] : copies) fs::remove(path, ignored);
  return cancelled.size();
}

}  // namespace standin
