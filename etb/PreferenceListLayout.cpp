#include "etb/PreferenceListLayout.h"

namespace etb::preferences {

ListLayout::ListLayout()
    : listName("Global/Annotations/List"),
      propertyNameKey("PropertyName"),
      propertyValueKey("PropertyValue"),
      nameKey("Name"),
      fileKey("File"),
      annotationTypeKey("AnnotationType"),
      commentKey("Comment"),
      colorKey("Color") {}

}  // namespace etb::preferences
