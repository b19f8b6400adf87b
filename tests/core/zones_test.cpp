#include "mapping/zones.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
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

// The plain reading of the table: the first entry equal to the label, as
// far as the host's 8-byte label field goes.
std::int32_t ScanZoneIndex(const std::string& label) {
  const std::string field = label.substr(0, 8);
  for (int i = 0; i < kZoneCount; ++i) {
    if (field == zoneNames[i]) return i;
  }
  return kNoZone;
}

TEST(FindZoneIndex, AgreesWithAPlainScanOnEveryPrefixAndExtensionOfEveryLabel) {
  const std::string extra = "AZ09a_ \x7F\x80\xFF";
  for (int i = 0; i < kZoneCount; ++i) {
    const std::string label = zoneNames[i];
    for (std::size_t length = 0; length <= label.size(); ++length) {
      const std::string prefix = label.substr(0, length);
      EXPECT_EQ(FindZoneIndex(prefix.c_str()), ScanZoneIndex(prefix)) << prefix;
    }
    for (char c : extra) {
      const std::string longer = label + c;
      EXPECT_EQ(FindZoneIndex(longer.c_str()), ScanZoneIndex(longer)) << longer;
    }
  }
}

TEST(FindZoneIndex, AgreesWithAPlainScanOnRandomLabels) {
  std::mt19937 random(20261208);
  const std::string likely = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  int matches = 0;
  for (int n = 0; n < 60000; ++n) {
    std::string label;
    const std::size_t length = random() % 10;
    for (std::size_t i = 0; i < length; ++i) {
      label += random() % 8 == 0 ? static_cast<char>(1 + random() % 255)
                                 : likely[random() % likely.size()];
    }
    // Half of them start as a real label does, so that near misses are common.
    if (n % 2 == 0)
      label = std::string(zoneNames[random() % kZoneCount]).substr(0, random() % 7) +
              label.substr(0, 3);
    const std::int32_t expected = ScanZoneIndex(label);
    ASSERT_EQ(FindZoneIndex(label.c_str()), expected) << label;
    matches += expected != kNoZone;
  }
  EXPECT_GT(matches, 300) << "the random labels should hit the table now and then";
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

TEST(FindZoneIndex, ReadsNoBytePastTheNulOnTheNextPage) {
  // Every label, and a near miss of it, with its NUL at each of the last
  // eight bytes of a page before an unmapped one, and garbage after the NUL.
  testing::TestPages pages(1);
  const std::size_t end = pages.unmapped() - pages.address();
  for (int i = 0; i < kZoneCount; ++i) {
    const std::string label = zoneNames[i];
    std::string miss = label;
    miss.back() = miss.back() == 'Z' ? 'Q' : 'Z';
    for (const std::string& text : {label, miss}) {
      for (std::size_t nul = end - 8; nul < end; ++nul) {
        if (nul < text.size()) continue;
        const std::size_t start = nul - text.size();
        const std::string field = (text + '\0' + "ZZZZZZZZ").substr(0, end - start);
        pages.Poke(start, field.data(), field.size());
        ASSERT_EQ(FindZoneIndex(reinterpret_cast<const char*>(pages.bytes(start))),
                  ScanZoneIndex(text))
            << text << " with its NUL " << end - nul << " bytes before the page end";
      }
    }
  }
}

TEST(FindZoneIndex, FindsALabelAtTheStartOfAPage) {
  testing::TestPages pages(1);
  pages.Poke(0, "JEF2\0ZZZ", 8);
  EXPECT_EQ(FindZoneIndex(reinterpret_cast<const char*>(pages.bytes())), 63);
  pages.Poke(0, "JEF2ZZZZ", 8);
  EXPECT_EQ(FindZoneIndex(reinterpret_cast<const char*>(pages.bytes())), kNoZone);
}

}  // namespace
}  // namespace vexilo
