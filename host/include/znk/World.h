#pragma once

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "znk/Preferences.h"

namespace znk {

// The host's session-wide state; here, its preferences.
class ZN_HOST_API World : public du::RefCounted {
 public:
  static du::SmartPtr<World> GetWorld();

  World(const World&) = delete;
  World& operator=(const World&) = delete;
  ~World() override;

  // The global preference set.
  du::SmartPtr<Preferences> GetPreferences() const;
  // Makes the preferences persistent (the host's store) and applies them. False when they
  // could not be stored.
  bool SaveAndApplyPreferences();

 private:
  World();
  friend struct WorldAccess;

  du::SmartPtr<Preferences> preferences_;
};

}  // namespace znk
