#include "core/mappings.hpp"

#include <gtest/gtest.h>

namespace vexilo {
namespace {

// An index the compiler cannot see through, so the look-up runs as it does
// for the host's labels.
std::int32_t AtRunTime(std::int32_t index) {
  volatile std::int32_t opaque = index;
  return opaque;
}

TEST(MappedPlateback, GivesTheStoredEntryAndPlateback0ForNoZoneAndIndicesOutsideTheTable) {
  std::array<std::int32_t, kZoneCount> plates{};
  plates.fill(5);
  plates[162] = 3;
  StoreMappings(plates);
  EXPECT_EQ(MappedPlateback(AtRunTime(0)), 5);
  EXPECT_EQ(MappedPlateback(AtRunTime(162)), 3);
  EXPECT_EQ(MappedPlateback(AtRunTime(kZoneCount - 1)), 5);
  EXPECT_EQ(MappedPlateback(AtRunTime(kNoZone)), 0);
  EXPECT_EQ(MappedPlateback(AtRunTime(-1)), 0);
  EXPECT_EQ(MappedPlateback(AtRunTime(1000)), 0);
  // Reading one entry past the table may happen to give 0, so the bounds
  // are checked themselves.
  EXPECT_TRUE(IsTableIndex(AtRunTime(0)));
  EXPECT_TRUE(IsTableIndex(AtRunTime(kZoneCount - 1)));
  EXPECT_FALSE(IsTableIndex(AtRunTime(kNoZone)));
  EXPECT_FALSE(IsTableIndex(AtRunTime(-1)));
  StoreMappings({});
}

}  // namespace
}  // namespace vexilo
