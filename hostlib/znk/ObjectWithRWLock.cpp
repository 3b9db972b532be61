#include "znk/ObjectWithRWLock.h"

namespace znk {

ObjectWithRWLock::~ObjectWithRWLock() = default;

}  // namespace znk
