#include "etb/ProductEncoding.h"

#include <cctype>
#include <string>

#include "du/FileSpecifier.h"
#include "du/Symbol.h"

namespace etb {

bool ProductUsesSystemEncoding(const du::SmartPtr<znk::Structure>& structure) {
  if (structure.IsNull()) return false;
  du::Symbol source;
  structure->GetFileSource(source);
  std::string extension;
  du::FileSpec(source.safe_c_str()).GetFileExtension(&extension);
  // Asked for every line a loader reads: compared in place rather than through a folded copy.
  const auto is = [&extension](std::size_t i, char lower) {
    return std::tolower(static_cast<unsigned char>(extension[i])) == lower;
  };
  return (extension.size() == 2 || extension.size() == 3) && is(0, 'e') && is(1, 'd') &&
         (extension.size() == 2 || is(2, 'z'));
}

}  // namespace etb
