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
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension == "ed" || extension == "edz";
}

}  // namespace etb
