#pragma once

#include <string>

namespace standin {

// The file a path names once symbolic links at its end are followed: writing a file the user
// named goes to the file the link points at and leaves the link. A dangling link gives the path
// its target would have; "" for a loop (more hops than the kernel allows).
std::string FollowLinks(std::string path);

}  // namespace standin
