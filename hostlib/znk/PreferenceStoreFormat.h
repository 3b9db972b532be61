#pragma once

#include <string>

#include "znk/Preferences.h"

// The text of a preferences store (layout in standin/PreferenceStore.h). Both directions go
// without a document tree: a store holds every preference set of every list, and a tree of it
// cost more than the sets themselves.
namespace standin::store {

// False when the preferences cannot be written: a key or list name that is not UTF-8.
bool ToText(const znk::Preferences& preferences, std::string& text);
// Fills `preferences` from `text`; throws std::runtime_error with the reason when the text is
// not a valid store.
void FromText(const std::string& text, znk::Preferences& preferences);

}  // namespace standin::store
