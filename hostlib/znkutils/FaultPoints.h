#pragma once

#include "standin/FileSystemFaults.h"

// Where the host's file operations ask whether a test wants them to fail.
namespace standin::fault {

bool Fires(FileSystemOperation operation);

}  // namespace standin::fault
