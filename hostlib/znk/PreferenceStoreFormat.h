#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "znk/Preferences.h"

// The JSON form of a preferences store (see standin/PreferenceStore.h).
namespace standin::store {

nlohmann::json ToJson(const znk::Preferences& preferences);
// Fills `preferences` from `document`; throws std::runtime_error (or a json error) when the
// document is not a valid store.
void FromJson(const nlohmann::json& document, znk::Preferences& preferences);

}  // namespace standin::store
