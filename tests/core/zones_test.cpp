#include "core/zones.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_pages.hpp"

namespace vexilo {
namespace {

TEST(ZoneTable, HoldsTheHostLabelsInTheirFixedOrder) {
  EXPECT_STREQ(zoneNames[0], "LA");
  EXPECT_STREQ(zoneNames[63], "JEF2");
  EXPECT_STREQ(zoneNames[110], "CITYS");
  EXPECT_STREQ(zoneNames[162], "SF");
  EXPECT_STREQ(zoneNames[187], "CITYS");
  EXPECT_STREQ(zoneNames[241], "VE");
  EXPECT_STREQ(zoneNames[376], "FRED");
}

TEST(ZoneTable, LabelsAreShortUpperCaseAndUniqueButForCitys) {
  for (int i = 0; i < kZoneCount; ++i) {
    const std::string label = zoneNames[i];
    EXPECT_GE(label.size(), 2u) << i;
    EXPECT_LE(label.size(), 6u) << i;
    for (char c : label) EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << label;
    for (int j = 0; j < i; ++j) {
      if (label == zoneNames[j]) {
        EXPECT_TRUE(i == 187 && j == 110) << label << " at " << j << " and " << i;
      }
    }
  }
}

TEST(FindZoneIndex, FindsEveryLabelAtItsFirstPosition) {
  for (int i = 0; i < kZoneCount; ++i) {
    EXPECT_EQ(FindZoneIndex(zoneNames[i]), i == 187 ? 110 : i) << zoneNames[i];
  }
  EXPECT_EQ(FindZoneIndex("JEF2"), 63);
  EXPECT_EQ(FindZoneIndex("CITYS"), 110);
}

TEST(FindZoneIndex, MatchesOnlyTheWholeLabelInTheSameCase) {
  EXPECT_EQ(FindZoneIndex("jef2"), kNoZone);
  EXPECT_EQ(FindZoneIndex("RIH"), kNoZone);
  EXPECT_EQ(FindZoneIndex("JEF2X"), kNoZone);
  EXPECT_EQ(FindZoneIndex("LA "), kNoZone);
  EXPECT_EQ(FindZoneIndex(""), kNoZone);
  EXPECT_EQ(FindZoneIndex("XYZ"), kNoZone);
}

TEST(FindZoneIndex, NeverReadsPastTheHostsEightByteLabelField) {
  // Eight letters with no NUL, right before an unmapped page: a ninth byte
  // read would fault.
  testing::TestPages pages(1);
  const std::size_t field = pages.unmapped() - pages.address() - 8;
  pages.Poke(field, "JEF2JEF2", 8);
  EXPECT_EQ(FindZoneIndex(reinterpret_cast<const char*>(pages.bytes(field))), kNoZone);
  pages.Poke(field, "SF\0ZZZZZ", 8);
  EXPECT_EQ(FindZoneIndex(reinterpret_cast<const char*>(pages.bytes(field))), 162);
}

}  // namespace
}  // namespace vexilo
