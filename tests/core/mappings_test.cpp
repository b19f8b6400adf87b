#include "core/mappings.hpp"

#include <gtest/gtest.h>

namespace vexilo {
namespace {

// A copy of the table with a non-zero entry right after it: a look-up that
// took "no zone" for an index would read that entry.
struct TableWithANeighbour {
  std::array<std::int32_t, kZoneCount> table;
  std::int32_t after;
};

// An index the compiler cannot see through, so the look-up runs as it does
// for the host's labels.
std::int32_t AtRunTime(std::int32_t index) {
  volatile std::int32_t opaque = index;
  return opaque;
}

TEST(MappedPlateback, NoZoneAndIndicesOutsideTheTableGivePlateback0) {
  TableWithANeighbour copy{};
  copy.table.fill(5);
  copy.after = 99;
  EXPECT_EQ(MappedPlateback(copy.table, 0), 5);
  EXPECT_EQ(MappedPlateback(copy.table, AtRunTime(kZoneCount - 1)), 5);
  EXPECT_EQ(MappedPlateback(copy.table, AtRunTime(kNoZone)), 0);
  EXPECT_EQ(MappedPlateback(copy.table, AtRunTime(-1)), 0);
  EXPECT_EQ(MappedPlateback(copy.table, AtRunTime(1000)), 0);
}

TEST(MappedPlateback, ThePluginsLookUpReadsPlateMappings) {
  const std::int32_t saved = plateMappings[162];
  plateMappings[162] = 3;
  EXPECT_EQ(MappedPlateback(162), 3);
  EXPECT_EQ(MappedPlateback(AtRunTime(kNoZone)), 0);
  plateMappings[162] = saved;
}

}  // namespace
}  // namespace vexilo
