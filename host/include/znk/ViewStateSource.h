#pragma once

#include "du/HostApi.h"
#include "du/RefCounted.h"
#include "du/SmartPtr.h"
#include "du/Symbol.h"

namespace znk {

class ObjectWithRWLock;

// A file of saved view states, attached to a node of the product structure.
class ZN_HOST_API ViewStateSource : public du::RefCounted {
 public:
  enum VIEWSTATESOURCE_TYPE : int {
    VIEWSTATESOURCE_UNKNOWN = 0,
    VIEWSTATESOURCE_EMBEDDED = 1,
    VIEWSTATESOURCE_FILE = 2,
  };

  // A new source owned by `owner` (not referenced: the owner holds its sources, not the other way
  // round). False, with `out` emptied, when the owner is null.
  static bool Create(du::SmartPtr<ViewStateSource>& out, const ObjectWithRWLock* owner,
                     const du::Symbol& name, VIEWSTATESOURCE_TYPE type, const du::Symbol& file,
                     unsigned int flags);

  ViewStateSource(const ViewStateSource&) = delete;
  ViewStateSource& operator=(const ViewStateSource&) = delete;
  ~ViewStateSource() override;

  const ObjectWithRWLock* GetOwner() const noexcept { return owner_; }
  const du::Symbol& GetName() const noexcept { return name_; }
  VIEWSTATESOURCE_TYPE GetType() const noexcept { return type_; }
  const du::Symbol& GetFile() const noexcept { return file_; }
  unsigned int GetFlags() const noexcept { return flags_; }

 private:
  ViewStateSource(const ObjectWithRWLock* owner, const du::Symbol& name, VIEWSTATESOURCE_TYPE type,
                  const du::Symbol& file, unsigned int flags);

  const ObjectWithRWLock* owner_;
  du::Symbol name_;
  VIEWSTATESOURCE_TYPE type_;
  du::Symbol file_;
  unsigned int flags_;
};

}  // namespace znk
