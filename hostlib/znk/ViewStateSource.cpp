#include "znk/ViewStateSource.h"

namespace znk {

ViewStateSource::ViewStateSource(const ObjectWithRWLock* owner, const du::Symbol& name,
                                 VIEWSTATESOURCE_TYPE type, const du::Symbol& file,
                                 unsigned int flags)
    : owner_(owner), name_(name), type_(type), file_(file), flags_(flags) {}

ViewStateSource::~ViewStateSource() = default;

bool ViewStateSource::Create(du::SmartPtr<ViewStateSource>& out, const ObjectWithRWLock* owner,
                             const du::Symbol& name, VIEWSTATESOURCE_TYPE type,
                             const du::Symbol& file, unsigned int flags) {
  out = owner != nullptr ? new ViewStateSource(owner, name, type, file, flags) : nullptr;
  return !out.IsNull();
}

}  // namespace znk
