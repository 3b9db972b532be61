// The host calls parsers through vtable slots, so the order of the virtual operations is binary
// interface. Under the Itanium ABI a pointer to a virtual member function holds 1 + the slot's
// byte offset in the vtable, which lets the test read each slot.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "znloader/AnnotationParser.h"

namespace {

using znloader::AnnotationParser;

struct MemberPointerBits {
  std::uintptr_t pointer;
  std::ptrdiff_t thisAdjustment;
};

template <class MemberFunction>
long SlotOf(MemberFunction member) {
  static_assert(sizeof(MemberFunction) == sizeof(MemberPointerBits));
  MemberPointerBits bits{};
  std::memcpy(&bits, &member, sizeof bits);
  EXPECT_EQ(bits.pointer & 1U, 1U) << "not a virtual function";
  EXPECT_EQ(bits.thisAdjustment, 0) << "not in the primary vtable";
  return long((bits.pointer - 1) / sizeof(void*));
}

TEST(AnnotationParserShape, EighteenOperationsInTheHostsSlotOrder) {
  using P = AnnotationParser;
  // Slots 0 and 1 are the complete and the deleting destructor.
  const long slots[] = {SlotOf(&P::GetDebugClassName),   SlotOf(&P::OnProgress),
                        SlotOf(&P::OnComplete),          SlotOf(&P::GetParserName),
                        SlotOf(&P::IsPresaveNeeded),     SlotOf(&P::Presave),
                        SlotOf(&P::ReservedAction1),     SlotOf(&P::ReservedAction2),
                        SlotOf(&P::LoadAnnotationTable), SlotOf(&P::LoadSessionState),
                        SlotOf(&P::ReservedAction3),     SlotOf(&P::ReservedQuery1),
                        SlotOf(&P::SaveAnnotationTable), SlotOf(&P::SaveDefaultAnnotationTable),
                        SlotOf(&P::ReservedQuery2),      SlotOf(&P::ReservedQuery3),
                        SlotOf(&P::ReservedCount)};
  for (long i = 0; i < long(std::size(slots)); ++i) EXPECT_EQ(slots[i], i + 2) << "operation " << i;
}

}  // namespace
