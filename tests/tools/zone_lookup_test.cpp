#include "zone_lookup.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vexilo::check {
namespace {

std::string Lookup(std::string_view query, bool expectFound) {
  std::string out;
  EXPECT_EQ(FormatZone(out, query) != kNoZone, expectFound) << query;
  return out;
}

TEST(FormatZone, FindsAZoneByLabelOrIndex) {
  EXPECT_EQ(Lookup("JEF2", true), "Zone JEF2: zone index 63\n");
  EXPECT_EQ(Lookup("63", true), "Zone index 63: JEF2\n");
  EXPECT_EQ(Lookup("0063", true), "Zone index 63: JEF2\n");
}

TEST(FormatZone, GivesTheZoneIndexItFound) {
  std::string out;
  EXPECT_EQ(FormatZone(out, "JEF2"), 63);
  EXPECT_EQ(FormatZone(out, "187"), 187);
  EXPECT_EQ(FormatZone(out, "jef2"), 63);
  EXPECT_EQ(FormatZone(out, "jef"), kNoZone);
}

TEST(FormatZoneMapping, GivesThePlatebackTextureAndTheLineThatSetsIt) {
  const CheckReport report = CheckMappingText("0-62=1\n63=0 ; JEF2\n63=7\n", CheckOptions{});
  std::string out;
  FormatZoneMapping(out, "Vexilo.txt", report, 63);
  EXPECT_EQ(out, "In Vexilo.txt: plateback index 7 (texture plateback8), set by line 3: 63=7\n");
  CheckOptions three;
  three.plates = 3;
  three.platesGiven = true;
  out.clear();
  FormatZoneMapping(out, "V.txt", CheckMappingText("63=7\n", three), 63);
  EXPECT_NE(out.find("\nIn the game it shows no plateback: no texture among the 3 that --plates "
                     "gives.\n"),
            std::string::npos);
  out.clear();
  FormatZoneMapping(out, "Vexilo.txt", report, 64);
  EXPECT_EQ(out, "In Vexilo.txt: plateback index 0 (texture plateback1), as no line sets it\n");
}

TEST(FormatZone, TellsOfTheSecondCitysFromEitherSide) {
  EXPECT_NE(Lookup("187", true).find("never reached"), std::string::npos);
  EXPECT_NE(Lookup("CITYS", true).find("zone index 110 (it also stands at 187"), std::string::npos);
}

TEST(FormatZone, NamesWhatWasMeantWhenNothingMatches) {
  EXPECT_EQ(Lookup("NOWHERE", false),
            "No zone is labelled NOWHERE: vexilo-check --zones lists every label.\n");
  EXPECT_EQ(Lookup("JEFF2", false),
            "No zone is labelled JEFF2: did you mean JEF2 (zone index 63)? vexilo-check --zones "
            "lists every label.\n");
  EXPECT_NE(Lookup("377", false).find("There is no zone index 377"), std::string::npos);
  EXPECT_NE(Lookup("99999999999", false).find("There is no zone index"), std::string::npos);
}

TEST(ZoneList, ListsAll377AndMarksTheSecondCitys) {
  const std::string out = ZoneList();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 378);
  EXPECT_NE(out.find("  187  CITYS  (never reached"), std::string::npos);
  EXPECT_NE(out.find("  376  FRED\n"), std::string::npos);
}

}  // namespace
}  // namespace vexilo::check
