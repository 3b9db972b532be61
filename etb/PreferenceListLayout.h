#pragma once

#include "du/Symbol.h"

// Where preference-backed annotation entries live in the host's preferences: one list, one
// preference set per entry, seven keys per set. Built when the module is loaded.
namespace etb::preferences {

extern const du::Symbol kListName;
extern const du::Symbol kPropertyNameKey;
extern const du::Symbol kPropertyValueKey;
extern const du::Symbol kNameKey;
extern const du::Symbol kFileKey;
extern const du::Symbol kAnnotationTypeKey;
extern const du::Symbol kCommentKey;
extern const du::Symbol kColorKey;

}  // namespace etb::preferences
