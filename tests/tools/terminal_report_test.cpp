#include "terminal_report.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vexilo::check {
namespace {

std::string Summary(const std::string& text) {
  std::string out;
  FormatSummary(out, "V.txt", CheckMappingText(text, CheckOptions{}), Style{});
  return out;
}

TEST(FormatSummary, GivesTheUnsetZonesAsRuns) {
  EXPECT_NE(Summary("0-9=1\n12-376=2\n")
                .find("Zones no line sets (plateback index 0): 10-11 (2 zones)\n"),
            std::string::npos);
  EXPECT_NE(Summary("0-376=1\n").find("Zones no line sets (plateback index 0): none\n"),
            std::string::npos);
}

TEST(FormatSummary, NamesTheAssumedTextureCountAndTheZonesBeyondIt) {
  EXPECT_NE(
      Summary("0-376=10\n")
          .find("\nAssuming 11 plate textures (plateback1 to plateback11), as the default file "
                "does; --plates 3 for the game's own.\n"),
      std::string::npos);
  CheckOptions three;
  three.plates = 3;
  three.platesGiven = true;
  std::string out;
  FormatSummary(out, "V.txt", CheckMappingText("0-376=10\n", three), Style{});
  EXPECT_NE(
      out.find("\nAssuming 3 plate textures (plateback1 to plateback3), as --plates 3 says.\n"),
      std::string::npos);
  EXPECT_NE(out.find("\nZones whose plateback index has no texture among the 3: 376\n"),
            std::string::npos);
  EXPECT_EQ(Summary("0-376=10\n").find("no texture among"), std::string::npos);
}

TEST(FormatSummary, CountsProblemsOrSaysThereAreNone) {
  EXPECT_NE(Summary("0-376=1\n").find("No problems found."), std::string::npos);
  EXPECT_NE(Summary("=1\nhello\nhi\n").find("1 error, 2 warnings."), std::string::npos);
}

TEST(Style, PaintsOnlyWhenColourIsOn) {
  EXPECT_EQ(Style{true}.Paint("x", "1;31"), "\x1b[1;31mx\x1b[0m");
  EXPECT_EQ(Style{false}.Paint("x", "1;31"), "x");
}

TEST(FormatTable, GivesOneAlignedRowPerZone) {
  std::string out;
  FormatTable(out, CheckMappingText("63=12\n", CheckOptions{}));
  EXPECT_NE(out.find("\n   63  JEF2             12  plateback13\n"), std::string::npos);
  EXPECT_NE(out.find("\n  187  CITYS             0  plateback1  (never reached: the game always "
                     "finds CITYS at "
                     "zone index 110)\n"),
            std::string::npos);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 378);
}

}  // namespace
}  // namespace vexilo::check
