#include "du/URL.h"

#include <unistd.h>

#include <string>

namespace du {

Symbol GetURLForFileSource(const Symbol& source, const Symbol& /*base*/) {
  if (source.length() == 0) return Symbol();
  const std::string text(source.c_str(), source.length());
  if (text.find("://") != std::string::npos) return source;
  if (text[0] == '/') return Symbol("file://" + text);
  std::string cwd(4096, '\0');
  while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (cwd.size() > (1U << 20)) return Symbol("file://" + text);
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(cwd.find('\0'));
  return Symbol("file://" + cwd + (cwd == "/" ? "" : "/") + text);
}

}  // namespace du
