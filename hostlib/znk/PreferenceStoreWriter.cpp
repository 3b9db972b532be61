// Writing a preferences store: the text is appended directly, without a document tree.
#include <cstdint>
#include <string>

#include "PreferenceStoreFormat.h"

namespace standin::store {

namespace {

// Whether `text` is well-formed UTF-8, which is all a JSON string may hold.
bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (byte >= 0xc2 && byte <= 0xdf) {
      length = 2, code = byte & 0x1fU;
    } else if (byte >= 0xe0 && byte <= 0xef) {
      length = 3, code = byte & 0x0fU;
    } else if (byte >= 0xf0 && byte <= 0xf4) {
      length = 4, code = byte & 0x07U;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xc0U) != 0x80) return false;
      code = code << 6 | (next & 0x3fU);
    }
    // Overlong forms, surrogates and code points past the last one are not UTF-8.
    static const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
      return false;
    }
    i += length;
  }
  return true;
}

constexpr char kHexDigits[] = "0123456789abcdef";

// A JSON string of UTF-8 text.
void AppendString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

// Texts are bytes; those that are not UTF-8 go as {"bytes": HEX}.
void AppendText(std::string& out, const std::string& text) {
  if (IsUtf8(text)) return AppendString(out, text);
  out += "{\"bytes\": \"";
  for (const char c : text) {
    out += kHexDigits[static_cast<unsigned char>(c) >> 4];
    out += kHexDigits[static_cast<unsigned char>(c) & 15];
  }
  out += "\"}";
}

// False when a key cannot be written: JSON keys are UTF-8.
bool AppendValues(std::string& out, const znk::Preferences& preferences) {
  out += '{';
  bool first = true;
  for (const auto& [key, value] : preferences.GetValues()) {
    if (!IsUtf8(key)) return false;
    out += first ? "" : ", ";
    first = false;
    AppendString(out, key);
    out += ": ";
    if (value.isProtected) out += "{\"value\": ";
    if (value.isInt) {
      out += std::to_string(value.number);
    } else {
      AppendText(out, value.text);
    }
    if (value.isProtected) out += ", \"protected\": true}";
  }
  out += '}';
  return true;
}

}  // namespace

bool ToText(const znk::Preferences& preferences, std::string& text) {
  text = "{\n  \"values\": ";
  if (!AppendValues(text, preferences)) return false;
  if (preferences.isProtected) text += ",\n  \"protected\": true";
  text += ",\n  \"lists\": {";
  bool firstList = true;
  for (const auto& [name, list] : preferences.GetLists()) {
    if (!IsUtf8(name)) return false;
    text += firstList ? "\n    " : ",\n    ";
    firstList = false;
    AppendString(text, name);
    text += list->isProtected ? ": {\"protected\": true, \"sets\": [" : ": {\"sets\": [";
    const unsigned int count = list->GetNumPreferences(false);
    for (unsigned int i = 0; i < count; ++i) {
      const du::SmartPtr<znk::Preferences> set = list->GetPreferences(i, false);
      text += i == 0 ? "\n      {\"values\": " : ",\n      {\"values\": ";
      if (!AppendValues(text, *set)) return false;
      text += set->isProtected ? ", \"protected\": true}" : "}";
    }
    text += count == 0 ? "]}" : "\n    ]}";
  }
  text += firstList ? "}\n}\n" : "\n  }\n}\n";
  return true;
}

}  // namespace standin::store
