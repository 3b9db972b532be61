#pragma once

#include "du/Symbol.h"

namespace etb::preferences {

// Where preference-backed annotation entries live in the host's preferences: one list, one
// preference set per entry, seven keys per set. The loader and the saver each hold their own
// copy, built when the module is loaded, with the same texts.
struct ListLayout {
  ListLayout();

  du::Symbol listName;
  du::Symbol propertyNameKey;
  du::Symbol propertyValueKey;
  du::Symbol nameKey;
  du::Symbol fileKey;
  du::Symbol annotationTypeKey;
  du::Symbol commentKey;
  du::Symbol colorKey;
};

}  // namespace etb::preferences
