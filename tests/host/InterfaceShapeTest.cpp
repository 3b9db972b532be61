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
  // Slots 0 and 1 are the complete and the deleting destructor.
  const std::pair<const char*, long> slots[] = {
      {"GetDebugClassName", SlotOf(&AnnotationParser::GetDebugClassName)},
      {"OnProgress", SlotOf(&AnnotationParser::OnProgress)},
      {"OnComplete", SlotOf(&AnnotationParser::OnComplete)},
      {"GetParserName", SlotOf(&AnnotationParser::GetParserName)},
      {"IsPresaveNeeded", SlotOf(&AnnotationParser::IsPresaveNeeded)},
      {"Presave", SlotOf(&AnnotationParser::Presave)},
      {"ReservedAction1", SlotOf(&AnnotationParser::ReservedAction1)},
      {"ReservedAction2", SlotOf(&AnnotationParser::ReservedAction2)},
      {"LoadAnnotationTable", SlotOf(&AnnotationParser::LoadAnnotationTable)},
      {"LoadSessionState", SlotOf(&AnnotationParser::LoadSessionState)},
      {"ReservedAction3", SlotOf(&AnnotationParser::ReservedAction3)},
      {"ReservedQuery1", SlotOf(&AnnotationParser::ReservedQuery1)},
      {"SaveAnnotationTable", SlotOf(&AnnotationParser::SaveAnnotationTable)},
      {"SaveDefaultAnnotationTable", SlotOf(&AnnotationParser::SaveDefaultAnnotationTable)},
      {"ReservedQuery2", SlotOf(&AnnotationParser::ReservedQuery2)},
      {"ReservedQuery3", SlotOf(&AnnotationParser::ReservedQuery3)},
      {"ReservedCount", SlotOf(&AnnotationParser::ReservedCount)},
  };
  long expected = 2;
  for (const auto& [name, slot] : slots) EXPECT_EQ(slot, expected++) << name;
}

TEST(AnnotationParserShape, CountedBaseSitsBehindThePolymorphicPoolBase) {
  EXPECT_TRUE(std::is_polymorphic_v<znk::MemoryPoolAllocated>);
  EXPECT_TRUE((std::is_base_of_v<znloader::FileParser, AnnotationParser>));
  // Base order: the pool base first, the counted base second.
  struct Probe : AnnotationParser {
    bool OnProgress(std::uint64_t /*id*/, unsigned char /*progress*/) override { return true; }
  } probe;
  const auto* start = reinterpret_cast<const char*>(&probe);
  EXPECT_EQ(reinterpret_cast<const char*>(static_cast<znk::MemoryPoolAllocated*>(&probe)), start);
  EXPECT_EQ(reinterpret_cast<const char*>(static_cast<du::RefCounted*>(&probe)) - start,
            long(sizeof(void*)));
}

}  // namespace
