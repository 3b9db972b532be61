// Runs a command with transparent huge pages turned off for it and everything it starts:
//   EtbNoHugePages COMMAND [ARGUMENT ...]
// The flag survives the exec, so the command's allocator and the module's chunks get small pages
// whatever they ask for. Exits 127 when the flag cannot be set or the command cannot start.
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: EtbNoHugePages COMMAND [ARGUMENT ...]\n", stderr);
    return 127;
  }
  if (::prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0) != 0) {
    std::fprintf(stderr, "EtbNoHugePages: prctl(PR_SET_THP_DISABLE): %s\n", std::strerror(errno));
    return 127;
  }
  ::execvp(argv[1], argv + 1);
  std::fprintf(stderr, "EtbNoHugePages: cannot run %s: %s\n", argv[1], std::strerror(errno));
  return 127;
}
