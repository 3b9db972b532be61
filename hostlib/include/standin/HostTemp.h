#pragma once

// The host's own temporary folder (du::FileSystem::GetTempDir(true)) is made on first use; this
// removes it with everything in it. The next use makes a new one.
namespace standin {

void RemoveHostTempDir();

}  // namespace standin
