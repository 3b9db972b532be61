#include "du/FileSpecifier.h"

namespace du {

const char FileSpec::DIR_SEP_CHAR = '/';

FileSpec::FileSpec(const char* path) : path_(path != nullptr ? path : "") {}

bool FileSpec::GetFileExtension(std::string* extension) const {
  const std::size_t nameStart = path_.rfind(DIR_SEP_CHAR);
  const std::size_t dot = path_.rfind('.');
  const bool found =
      dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
  if (extension != nullptr) *extension = found ? path_.substr(dot + 1) : std::string();
  return found;
}

}  // namespace du
