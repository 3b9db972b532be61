// Reading a preferences store from the JSON parser's events, without a document tree.
#include <climits>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "PreferenceStoreFormat.h"

namespace standin::store {

namespace {

using nlohmann::json;

// Builds the preferences from the parser's events, member by member, checking the layout as it
// goes. Members of other names are passed over.
class StoreReader {
 public:
  explicit StoreReader(znk::Preferences& root) : root_(root) {}

  const std::string& reason() const { return reason_; }

  bool null() { return Scalar(Kind::kNull); }
  bool boolean(bool value) {
    flag_ = value;
    return Scalar(Kind::kBool);
  }
  bool number_integer(json::number_integer_t value) {
    number_ = value;
    return Scalar(Kind::kInt);
  }
  bool number_unsigned(json::number_unsigned_t value) {
    number_ =
        value > json::number_unsigned_t(INT_MAX) ? std::int64_t{INT_MAX} + 1 : std::int64_t(value);
    return Scalar(Kind::kInt);
  }
  bool number_float(json::number_float_t /*value*/, const json::string_t& /*text*/) {
    return Scalar(Kind::kOther);
  }
  bool string(json::string_t& value) {
    text_ = std::move(value);
    return Scalar(Kind::kString);
  }
  bool binary(json::binary_t& /*value*/) { return Scalar(Kind::kOther); }
  bool key(json::string_t& name) {
    frames_.back().key = std::move(name);
    return true;
  }
  bool start_object(std::size_t /*elements*/) { return Open(true); }
  bool start_array(std::size_t /*elements*/) { return Open(false); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& error) {
    return Fail(error.what());
  }

 private:
  enum class Kind { kNull, kBool, kInt, kString, kOther };
  enum class Part { kRoot, kValues, kValue, kBytes, kLists, kList, kSets, kSet, kSkipped };

  struct Frame {
    Part part;
    znk::Preferences* preferences = nullptr;  // kRoot, kValues, kSet; kValue: the owner
    znk::PreferenceList* list = nullptr;      // kList, kSets
    std::string key;                          // of the member being read
    std::string valueKey;                     // kValue: the key it is stored under
  };

  // What a {"value": ..., "protected": ...} or {"bytes": ...} object has shown so far.
  struct PendingValue {
    bool hasText = false;
    bool isInt = false;
    int number = 0;
    std::string text;
    bool isProtected = false;
    bool hasBytes = false;
    std::string bytes;
  };

  bool Fail(std::string reason) {
    if (reason_.empty()) reason_ = std::move(reason);
    return false;
  }

  bool Scalar(Kind kind) {
    if (frames_.empty()) return Fail("the store is not a JSON object");
    Frame& frame = frames_.back();
    const std::string& key = frame.key;
    switch (frame.part) {
      case Part::kRoot:
      case Part::kList:
      case Part::kSet:
        if (key == "protected") {
          if (kind != Kind::kBool) return Fail("\"protected\" is not true or false");
          (frame.list != nullptr ? frame.list->isProtected : frame.preferences->isProtected) =
              flag_;
          return true;
        }
        return IsContainer(frame.part, key) ? Misplaced(key) : true;
      case Part::kValues:
        return StoreScalar(*frame.preferences, key, kind);
      case Part::kValue:
        if (key == "value") {
          if (kind == Kind::kInt && !InRange()) {
            return Fail("value " + frame.valueKey + " is too big");
          }
          if (kind != Kind::kInt && kind != Kind::kString) return Misplaced(frame.valueKey);
          pending_.hasText = true;
          pending_.isInt = kind == Kind::kInt;
          pending_.number = int(number_);
          pending_.text = std::move(text_);
        } else if (key == "protected") {
          if (kind != Kind::kBool) return Fail("\"protected\" is not true or false");
          pending_.isProtected = flag_;
        } else if (key == "bytes") {
          if (kind != Kind::kString) return Misplaced(frame.valueKey);
          pending_.hasBytes = true;
          pending_.bytes = std::move(text_);
        }
        return true;
      case Part::kBytes:
        if (key != "bytes") return true;
        if (kind != Kind::kString) return Misplaced(frames_[frames_.size() - 2].valueKey);
        pending_.hasBytes = true;
        pending_.bytes = std::move(text_);
        return true;
      case Part::kLists:
        return Fail("list " + key + " is not an object");
      case Part::kSets:
        return Fail("a set is not an object");
      case Part::kSkipped:
        return true;
    }
    return true;
  }

  bool StoreScalar(znk::Preferences& preferences, const std::string& key, Kind kind) {
    if (kind == Kind::kString) {
      preferences.SetString(key, text_, false);
      return true;
    }
    if (kind != Kind::kInt) return Misplaced(key);
    if (!InRange()) return Fail("value " + key + " is too big");
    preferences.SetInt(key, int(number_), false);
    return true;
  }

  bool InRange() const { return number_ >= INT_MIN && number_ <= INT_MAX; }

  bool Misplaced(const std::string& key) { return Fail("member " + key + " has the wrong type"); }

  // The members of the root, a list and a set that hold an object or an array.
  static bool IsContainer(Part part, const std::string& key) {
    switch (part) {
      case Part::kRoot:
        return key == "values" || key == "lists";
      case Part::kList:
        return key == "sets";
      case Part::kSet:
        return key == "values";
      default:
        return false;
    }
  }

  bool Open(bool object) {
    if (frames_.empty()) {
      if (!object) return Fail("the store is not a JSON object");
      frames_.push_back({Part::kRoot, &root_, nullptr, {}, {}});
      return true;
    }
    Frame& frame = frames_.back();
    const std::string key = frame.key;
    Frame next{Part::kSkipped, nullptr, nullptr, {}, {}};
    switch (frame.part) {
      case Part::kRoot:
      case Part::kSet:
        if (key == "values") {
          if (!object) return Misplaced(key);
          next = {Part::kValues, frame.preferences, nullptr, {}, {}};
        } else if (key == "lists" && frame.part == Part::kRoot) {
          if (!object) return Misplaced(key);
          next.part = Part::kLists;
        } else if (key == "protected") {
          return Misplaced(key);
        }
        break;
      case Part::kValues:
        if (!object) return Misplaced(key);
        pending_ = PendingValue();
        next = {Part::kValue, frame.preferences, nullptr, {}, key};
        break;
      case Part::kValue:
        if (key == "value" && object) {
          next.part = Part::kBytes;
        } else if (key == "value" || key == "bytes" || key == "protected") {
          return Misplaced(frame.valueKey);
        }
        break;
      case Part::kBytes:
        if (key == "bytes") return Misplaced(frames_[frames_.size() - 2].valueKey);
        break;
      case Part::kLists: {
        if (!object) return Fail("list " + key + " is not an object");
        bool ignored = false;
        const du::SmartPtr<znk::PreferenceList> list =
            root_.GetPreferenceList(key, true, ignored, true);
        next = {Part::kList, nullptr, list.get(), {}, {}};
        break;
      }
      case Part::kList:
        if (key == "sets") {
          if (object) return Misplaced(key);
          next = {Part::kSets, nullptr, frame.list, {}, {}};
        } else if (key == "protected") {
          return Misplaced(key);
        }
        break;
      case Part::kSets: {
        if (!object) return Fail("a set is not an object");
        const du::SmartPtr<znk::Preferences> set = frame.list->AddPreferences();
        next = {Part::kSet, set.get(), nullptr, {}, {}};
        break;
      }
      case Part::kSkipped:
        break;
    }
    frames_.push_back(std::move(next));
    return true;
  }

  bool Close() {
    const Frame frame = std::move(frames_.back());
    frames_.pop_back();
    if (frame.part == Part::kBytes) {
      // {"value": {"bytes": HEX}}: the bytes are the value's text.
      if (!pending_.hasBytes) return Fail("value " + frames_.back().valueKey + " has no text");
      pending_.hasText = true;
      pending_.isInt = false;
      pending_.hasBytes = false;
      return Decode(pending_.bytes, pending_.text, frames_.back().valueKey);
    }
    if (frame.part != Part::kValue) return true;
    znk::Preferences& owner = *frame.preferences;
    if (pending_.hasText) {
      if (pending_.isInt) {
        owner.SetInt(frame.valueKey, pending_.number, false);
      } else {
        owner.SetString(frame.valueKey, pending_.text, false);
      }
      if (pending_.isProtected) owner.ProtectValue(frame.valueKey);
      return true;
    }
    if (!pending_.hasBytes) return Fail("value " + frame.valueKey + " has no text");
    std::string text;
    if (!Decode(pending_.bytes, text, frame.valueKey)) return false;
    owner.SetString(frame.valueKey, text, false);
    return true;
  }

  bool Decode(const std::string& hex, std::string& text, const std::string& key) {
    const auto digit = [](char c) {
      return c >= '0' && c <= '9'   ? c - '0'
             : c >= 'a' && c <= 'f' ? c - 'a' + 10
             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                    : -1;
    };
    if (hex.size() % 2 != 0) return Fail("value " + key + ": odd number of hex digits");
    text.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
      const int high = digit(hex[i]);
      const int low = digit(hex[i + 1]);
      if (high < 0 || low < 0) return Fail("value " + key + ": not a hex digit");
      text += char(high << 4 | low);
    }
    return true;
  }

  znk::Preferences& root_;
  std::vector<Frame> frames_;
  PendingValue pending_;
  std::string reason_;
  // The last scalar's value.
  bool flag_ = false;
  std::int64_t number_ = 0;
  std::string text_;
};

}  // namespace

void FromText(const std::string& text, znk::Preferences& preferences) {
  StoreReader reader(preferences);
  if (!json::sax_parse(text, &reader)) throw std::runtime_error(reader.reason());
}

}  // namespace standin::store
