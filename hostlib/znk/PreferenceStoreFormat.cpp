#include "PreferenceStoreFormat.h"

#include <stdexcept>

namespace standin::store {

namespace {

using nlohmann::json;

// Texts are bytes; JSON strings hold UTF-8 only, so other bytes go as hex.
json TextJson(const std::string& text) {
  try {
    json probe = text;
    (void)probe.dump();
    return probe;
  } catch (const json::exception&) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : text) {
      hex += digits[c >> 4];
      hex += digits[c & 15];
    }
    return json{{"bytes", hex}};
  }
}

std::string TextFromJson(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  const std::string hex = value.at("bytes").get<std::string>();
  if (hex.size() % 2 != 0) throw std::runtime_error("odd number of hex digits");
  std::string text;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return text;
}

json ValuesJson(const znk::Preferences& preferences) {
  json values = json::object();
  for (const auto& [key, value] : preferences.GetValues()) {
    json plain = value.isInt ? json(value.number) : TextJson(value.text);
    values[key] = value.isProtected ? json{{"value", plain}, {"protected", true}} : plain;
  }
  return values;
}

void ValuesFromJson(const json& values, znk::Preferences& preferences) {
  for (const auto& [key, stored] : values.items()) {
    const bool wrapped = stored.is_object() && stored.contains("value");
    const json& plain = wrapped ? stored.at("value") : stored;
    if (plain.is_number_integer()) {
      preferences.SetInt(key, plain.get<int>(), false);
    } else {
      preferences.SetString(key, TextFromJson(plain), false);
    }
    if (wrapped && stored.value("protected", false)) preferences.ProtectValue(key);
  }
}

}  // namespace

json ToJson(const znk::Preferences& preferences) {
  json document = {{"values", ValuesJson(preferences)}, {"lists", json::object()}};
  if (preferences.isProtected) document["protected"] = true;
  for (const auto& [name, list] : preferences.GetLists()) {
    json sets = json::array();
    for (unsigned int i = 0; i < list->GetNumPreferences(false); ++i) {
      const du::SmartPtr<znk::Preferences> set = list->GetPreferences(i, false);
      json item = {{"values", ValuesJson(*set)}};
      if (set->isProtected) item["protected"] = true;
      sets.push_back(std::move(item));
    }
    json stored = {{"sets", std::move(sets)}};
    if (list->isProtected) stored["protected"] = true;
    document["lists"][name] = std::move(stored);
  }
  return document;
}

void FromJson(const json& document, znk::Preferences& preferences) {
  if (!document.is_object()) throw std::runtime_error("the store is not a JSON object");
  preferences.isProtected = document.value("protected", false);
  ValuesFromJson(document.value("values", json::object()), preferences);
  // Named locals: a range-for over a member of a temporary would read freed memory.
  const json lists = document.value("lists", json::object());
  for (const auto& [name, stored] : lists.items()) {
    bool ignored = false;
    const du::SmartPtr<znk::PreferenceList> list =
        preferences.GetPreferenceList(name, true, ignored, true);
    list->isProtected = stored.value("protected", false);
    const json sets = stored.value("sets", json::array());
    for (const json& item : sets) {
      const du::SmartPtr<znk::Preferences> set = list->AddPreferences();
      set->isProtected = item.value("protected", false);
      ValuesFromJson(item.value("values", json::object()), *set);
    }
  }
}

}  // namespace standin::store
