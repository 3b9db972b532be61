#pragma once

#include <string>

// libzip used directly, in a file of its own: its `struct zip` and the module's namespace `zip`
// cannot meet in one translation unit.
namespace etbbench {

// An archive holding `memberPath` under the name `memberName` (deflated); false on failure.
bool WriteArchive(const std::string& archive, const std::string& memberPath,
                  const std::string& memberName);

// The member read with libzip and written to `target`, as a host would do it by hand.
bool ExtractByHand(const std::string& archive, const std::string& memberName,
                   const std::string& target);

}  // namespace etbbench
