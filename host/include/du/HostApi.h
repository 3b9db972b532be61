#pragma once

// Marks the classes and functions that the host libraries export to plug-in modules. A module
// built with hidden visibility still binds to the host's single copy of each of them (one vtable,
// one typeinfo), which cross-library casts rely on.
#define ZN_HOST_API __attribute__((visibility("default")))
