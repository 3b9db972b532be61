#include "znk/Preferences.h"

#include <algorithm>

namespace znk {

namespace {

constexpr std::size_t kTypicalValues = 8;

// Where `key` is or would go in values sorted by key.
template <typename Values>
auto Position(Values& values, const char* key) {
  return std::lower_bound(
      values.begin(), values.end(), key,
      [](const auto& item, const char* wanted) { return item.first.compare(wanted) < 0; });
}

// The keys whose protection makes a whole annotation entry protected. A protected colour, or a
// key no entry has, protects nothing a loader reads: such a set is the user's, and keeping it
// beside the user's rewritten copy would list its entry twice after every save.
const char* const kEntryKeys[] = {"PropertyName", "PropertyValue",  "Name",
                                  "File",         "AnnotationType", "Comment"};

// An administrator's set: protected as a whole or in a value that protects its entry. No user
// save changes it.
bool IsAdministered(const Preferences& set) {
  if (set.isProtected) return true;
  for (const auto& [key, value] : set.GetValues()) {
    if (!value.isProtected) continue;
    for (const char* entryKey : kEntryKeys) {
      if (key == entryKey) return true;
    }
  }
  return false;
}

}  // namespace

const Preferences::Value* Preferences::Find(const char* key) const {
  const auto found = Position(values_, key);
  return found != values_.end() && found->first == key ? &found->second : nullptr;
}

Preferences::Value& Preferences::Slot(const char* key) {
  auto found = Position(values_, key);
  if (found == values_.end() || found->first != key) {
    // Room for a whole annotation set at once, rather than growing through four blocks.
    if (values_.capacity() == 0) {
      values_.reserve(kTypicalValues);
      found = Position(values_, key);
    }
    found = values_.emplace(found, key, Value());
  }
  return found->second;
}

Preferences::Preferences() noexcept = default;

Preferences::~Preferences() = default;

du::SmartPtr<PreferenceList> Preferences::GetPreferenceList(const du::Symbol& name, bool create,
                                                            bool& isProtectedOut,
                                                            bool /*forWriting*/) {
  const std::string key = name.safe_c_str();
  auto found = lists_.find(key);
  if (found == lists_.end()) {
    if (!create) return du::SmartPtr<PreferenceList>();
    found = lists_.emplace(key, du::SmartPtr<PreferenceList>(new PreferenceList)).first;
  }
  if (found->second->isProtected || isProtected) isProtectedOut = true;
  return found->second;
}

bool Preferences::GetString(const du::Symbol& key, std::string& value, bool& isProtectedOut) const {
  const Value* found = Find(key.safe_c_str());
  if (found == nullptr || found->isInt) return false;
  value = found->text;
  isProtectedOut = found->isProtected;
  return true;
}

bool Preferences::GetInt(const du::Symbol& key, int& value, bool& isProtectedOut) const {
  const Value* found = Find(key.safe_c_str());
  if (found == nullptr || !found->isInt) return false;
  value = found->number;
  isProtectedOut = found->isProtected;
  return true;
}

std::string Preferences::SetString(const du::Symbol& key, const std::string& value,
                                   bool /*reserved*/) {
  Value& slot = Slot(key.safe_c_str());
  std::string previous = slot.isInt ? std::string() : slot.text;
  if (slot.isProtected) return previous;  // the administrator's value stays
  slot.isInt = false;
  slot.text = value;
  return previous;
}

void Preferences::SetInt(const du::Symbol& key, int value, bool /*reserved*/) {
  Value& slot = Slot(key.safe_c_str());
  if (slot.isProtected) return;
  slot.isInt = true;
  slot.number = value;
  slot.text.clear();
}

void Preferences::ProtectValue(const du::Symbol& key) { Slot(key.safe_c_str()).isProtected = true; }

PreferenceList::PreferenceList() noexcept = default;

PreferenceList::~PreferenceList() = default;

unsigned int PreferenceList::GetNumPreferences(bool /*reserved*/) const noexcept {
  return static_cast<unsigned int>(sets_.size());
}

du::SmartPtr<Preferences> PreferenceList::GetPreferences(unsigned int index,
                                                         bool /*reserved*/) const {
  return index < sets_.size() ? sets_[index] : du::SmartPtr<Preferences>();
}

du::SmartPtr<Preferences> PreferenceList::AddPreferences() {
  sets_.emplace_back(new Preferences);
  return sets_.back();
}

// Empties the user's layer: the administrator's sets stay, in their order.
void PreferenceList::Clear(bool /*reserved*/, const du::Symbol& /*reservedName*/) {
  sets_.erase(
      std::remove_if(sets_.begin(), sets_.end(),
                     [](const du::SmartPtr<Preferences>& set) { return !IsAdministered(*set); }),
      sets_.end());
}

}  // namespace znk
