#pragma once

#include <vector>

#include "du/HostApi.h"
#include "du/SmartPtr.h"
#include "znk/ObjectWithRWLock.h"
#include "znk/ViewStateSource.h"

namespace znk {

// A node of the product structure.
class ZN_HOST_API ComponentNode : public ObjectWithRWLock {
 public:
  ComponentNode() noexcept;
  ~ComponentNode() override;

  // Attaches a source; a null one is ignored.
  void AddViewStateSource(const du::SmartPtr<ViewStateSource>& source);
  const std::vector<du::SmartPtr<ViewStateSource>>& GetViewStateSources() const noexcept {
    return viewStateSources_;
  }

 private:
  std::vector<du::SmartPtr<ViewStateSource>> viewStateSources_;
};

}  // namespace znk
