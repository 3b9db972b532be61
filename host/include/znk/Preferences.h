#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"

namespace znk {

class PreferenceList;

// A set of named values (strings and ints), with named lists of further sets. The host reports
// protection (values the user may not change) through the flags of the getters.
class ZN_HOST_API Preferences : public du::RefCounted {
 public:
  Preferences() noexcept;
  Preferences(const Preferences&) = delete;
  Preferences& operator=(const Preferences&) = delete;
  ~Preferences() override;

  // The list `name`, made when missing and `create` is set; null when missing otherwise.
  // `isProtected` is set when the list is protected (it is never cleared here). `forWriting`
  // is a hint.
  du::SmartPtr<PreferenceList> GetPreferenceList(const du::Symbol& name, bool create,
                                                 bool& isProtected, bool forWriting);
  // True when `key` holds a value of that kind; `value` and `isProtected` are then set,
  // otherwise both are left alone.
  bool GetString(const du::Symbol& key, std::string& value, bool& isProtected) const;
  bool GetInt(const du::Symbol& key, int& value, bool& isProtected) const;
  // Stores the value and answers the one it replaced ("" when none); a protected value is left
  // as it is. `reserved` is unused.
  std::string SetString(const du::Symbol& key, const std::string& value, bool reserved);
  void SetInt(const du::Symbol& key, int value, bool reserved);
  // Marks one value as protected.
  void ProtectValue(const du::Symbol& key);

  // The whole set is protected.
  bool isProtected = false;

  struct Value {
    bool isInt = false;
    int number = 0;
    std::string text;
    bool isProtected = false;
  };
  // Sorted by key. A set holds a handful of values: a vector is smaller and quicker than a tree.
  using Values = std::vector<std::pair<std::string, Value>>;
  const Values& GetValues() const noexcept { return values_; }
  const std::map<std::string, du::SmartPtr<PreferenceList>>& GetLists() const noexcept {
    return lists_;
  }

 private:
  const Value* Find(const char* key) const;
  Value& Slot(const char* key);  // made when missing

  Values values_;
  std::map<std::string, du::SmartPtr<PreferenceList>> lists_;
};

// An ordered list of preference sets.
class ZN_HOST_API PreferenceList : public du::RefCounted {
 public:
  PreferenceList() noexcept;
  PreferenceList(const PreferenceList&) = delete;
  PreferenceList& operator=(const PreferenceList&) = delete;
  ~PreferenceList() override;

  // `reserved` arguments are unused by this host.
  unsigned int GetNumPreferences(bool reserved) const noexcept;
  // Empty when `index` is out of range.
  du::SmartPtr<Preferences> GetPreferences(unsigned int index, bool reserved) const;
  // A new, empty set appended at the end.
  du::SmartPtr<Preferences> AddPreferences();
  // Removes the user's sets. Sets that are protected, or hold a protected value, belong to the
  // administrator's layer of the store and stay.
  void Clear(bool reserved, const du::Symbol& reservedName);

  bool isProtected = false;

 private:
  std::vector<du::SmartPtr<Preferences>> sets_;
};

}  // namespace znk
