#pragma once

#include <string>

// The stand-in's preferences store: a JSON file the host chooses. Layout:
//   {"values": {KEY: VALUE, ...}, "lists": {NAME: LIST, ...}, "protected": bool}
//   LIST  = {"protected": bool, "sets": [SET, ...]}
//   SET   = {"protected": bool, "values": {KEY: VALUE, ...}}
//   VALUE = a string, an int, or {"value": string|int, "protected": true};
//           text that is not valid UTF-8 is kept as {"bytes": HEX}.
// "protected" members may be left out (false).
namespace standin {

// A fresh world whose preferences come from `path`. A missing file is an empty store. A file
// that cannot be read (no permission, or no regular file, such as a FIFO: it is never waited
// for), is not a valid store, or is over the size limit (InputLimits.h) leaves the world empty
// and unsavable (so it is never overwritten) and answers a one-line reason; "" on success. An
// empty path: a store in memory only.
std::string UsePreferenceStore(const std::string& path);

// Why the last SaveAndApplyPreferences could not store the preferences ("" when it could, or
// none ran). The failure is also traced (type 3, on "znk::World").
std::string PreferenceSaveFailure();

// How many times SaveAndApplyPreferences ran since the world was made.
int PreferenceSaveCount();

// Drops the world (the next GetWorld makes a new one, with an in-memory store).
void ResetWorld();

}  // namespace standin
