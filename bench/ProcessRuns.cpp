// Whole-process figures: runs each command RUNS times, the commands taking turns so that a busy
// neighbour slows them alike, and prints per command the median, least and most wall time and
// peak resident set (the kernel's maxrss of the process):
//   EtbProcessRuns RUNS NAME 'COMMAND' [NAME 'COMMAND' ...]
//   -> NAME median_s min_s max_s median_rss_kib min_rss_kib max_rss_kib
// A command runs under /bin/sh with its output thrown away; one that fails stops the runs.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
  double seconds;
  long rssKiB;
};

// One run of `command`; false when it could not run or did not exit with 0.
bool RunOnce(const std::string& command, Run& run) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string exec = "exec " + command;
    ::execl("/bin/sh", "sh", "-c", exec.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return false;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.rssKiB = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <class T>
T Median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fputs("usage: EtbProcessRuns RUNS NAME COMMAND [NAME COMMAND ...]\n", stderr);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const int commands = (argc - 2) / 2;
  std::vector<std::vector<double>> seconds(static_cast<std::size_t>(commands));
  std::vector<std::vector<long>> rss(static_cast<std::size_t>(commands));
  for (int r = 0; r < runs; ++r) {
    for (int c = 0; c < commands; ++c) {
      Run run{};
      if (!RunOnce(argv[3 + 2 * c], run)) {
        std::fprintf(stderr, "EtbProcessRuns: %s failed\n", argv[3 + 2 * c]);
        return 1;
      }
      seconds[std::size_t(c)].push_back(run.seconds);
      rss[std::size_t(c)].push_back(run.rssKiB);
    }
  }
  for (int c = 0; c < commands; ++c) {
    const auto& s = seconds[std::size_t(c)];
    const auto& m = rss[std::size_t(c)];
    std::printf("%s %.4f %.4f %.4f %ld %ld %ld\n", argv[2 + 2 * c], Median(s),
                *std::min_element(s.begin(), s.end()), *std::max_element(s.begin(), s.end()),
                Median(m), *std::min_element(m.begin(), m.end()),
                *std::max_element(m.begin(), m.end()));
  }
  return 0;
}
