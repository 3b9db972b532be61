#include "etb/PreferenceListLayout.h"

namespace etb::preferences {

const du::Symbol kListName("Global/Annotations/List");
const du::Symbol kPropertyNameKey("PropertyName");
const du::Symbol kPropertyValueKey("PropertyValue");
const du::Symbol kNameKey("Name");
const du::Symbol kFileKey("File");
const du::Symbol kAnnotationTypeKey("AnnotationType");
const du::Symbol kCommentKey("Comment");
const du::Symbol kColorKey("Color");

}  // namespace etb::preferences
