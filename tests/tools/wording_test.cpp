#include "wording.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "mapping_check.hpp"

namespace vexilo::check {
namespace {

TEST(Texture, IsTheIndexPlusOneEvenAtTheEdgesOf32Bits) {
  EXPECT_EQ(Texture(0), "plateback1");
  EXPECT_EQ(Texture(10), "plateback11");
  EXPECT_EQ(Texture(-5), "plateback-4");
  EXPECT_EQ(Texture(2147483647), "plateback2147483648");
  EXPECT_EQ(Texture(-2147483647 - 1), "plateback-2147483647");
}

TEST(TextureRuns, NamesTheTexturesHeldAndTheGapsBetweenThem) {
  PlateTextures textures;
  textures.indices = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 20};
  EXPECT_EQ(TextureRuns(textures),
            "plateback1 to plateback4, plateback6 to plateback13 and plateback21, without "
            "plateback5 and plateback14 to plateback20");
  EXPECT_EQ(TextureRuns(PlateTextures{}), "no plateback texture");
}

TEST(IndicesTheGameHas, ComeFromTheRunsHeldUpToTheLimitAdjustersCount) {
  CheckOptions options;
  options.dictionary.emplace();
  options.dictionary->indices = {0, 1, 2, 5, 2147483646};
  EXPECT_EQ(IndicesTheGameHas(options), "0 to 2, 5 and 2147483646");
  options.limit = PlateCount{"limits.ini", 12, 5, true, {}};
  EXPECT_EQ(IndicesTheGameHas(options), "0 to 2");
  options.dictionary.reset();
  options.plates = 1000000;
  EXPECT_EQ(IndicesTheGameHas(options), "0 to 4");
}

TEST(Plural, PicksTheFormByCount) {
  EXPECT_EQ(Plural(1, "zone", "zones"), "1 zone");
  EXPECT_EQ(Plural(0, "zone", "zones"), "0 zones");
  EXPECT_EQ(Plural(2, "line", "lines"), "2 lines");
}

TEST(UnsetZones, AreTheZonesNoLineSetsLeavingOutTheSecondCitys) {
  const CheckReport report = CheckMappingText("0-100=1\n102-376=2\n", CheckOptions{});
  EXPECT_EQ(UnsetZones(report), (std::vector<std::int32_t>{101}));
  const std::vector<std::int32_t> none = UnsetZones(CheckMappingText("", CheckOptions{}));
  EXPECT_EQ(none.size(), 376u);
  EXPECT_EQ(std::count(none.begin(), none.end(), kCitysAgain), 0);
}

TEST(ZonesPerPlateback, CountsEveryZoneOnce) {
  const CheckReport report = CheckMappingText("0-9=3\n10-10=-1\n", CheckOptions{});
  EXPECT_EQ(ZonesPerPlateback(report),
            (std::map<std::int32_t, std::size_t>{{-1, 1}, {0, 366}, {3, 10}}));
}

TEST(AssumedTextures, NamesTheCountAndHowToChangeIt) {
  CheckOptions options;
  EXPECT_EQ(AssumedTextures(options),
            "the plate textures are not judged: no texture dictionary was read; give their count "
            "with --plates N (the game's own are 3)");
  options.plates = 3;
  options.platesGiven = true;
  EXPECT_EQ(AssumedTextures(options),
            "3 plate textures (plateback1 to plateback3), as --plates 3 says");
  options.plates = 1;
  EXPECT_EQ(AssumedTextures(options), "1 plate texture (plateback1), as --plates 1 says");
}

TEST(CutNote, SpeaksOnlyWhenProblemsWereLeftOut) {
  CheckReport report;
  report.warnings = 1;
  report.diagnostics.push_back({1, Severity::Warning, "w", ""});
  EXPECT_EQ(CutNote(report), "");
  report.errors = 5;
  EXPECT_EQ(CutNote(report), "Only the first 1 problems found are shown.");
}

}  // namespace
}  // namespace vexilo::check
