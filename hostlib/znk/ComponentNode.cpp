#include "znk/ComponentNode.h"

namespace znk {

ComponentNode::ComponentNode() noexcept = default;

ComponentNode::~ComponentNode() = default;

void ComponentNode::AddViewStateSource(const du::SmartPtr<ViewStateSource>& source) {
  if (!source.IsNull()) viewStateSources_.push_back(source);
}

}  // namespace znk
