#include "terminal_report.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "some_games.hpp"

namespace vexilo::check {
namespace {

std::string Report(const CheckReport& report, const GameSearch& games = GameSearch{}) {
  std::string out;
  FormatReport(out, "V.txt", report, games, Style{});
  return out;
}

std::string Summary(const std::string& text) {
  return Report(CheckMappingText(text, CheckOptions{}));
}

TEST(FormatReport, GivesTheUnsetZonesAsRuns) {
  EXPECT_NE(Summary("0-9=1\n12-376=2\n")
                .find("Zones no line sets (plateback index 0): 10-11 (2 zones)\n"),
            std::string::npos);
  EXPECT_NE(Summary("0-376=1\n").find("Zones no line sets (plateback index 0): none\n"),
            std::string::npos);
}

TEST(FormatReport, NamesTheTextureCountGivenAndTheZonesBeyondIt) {
  EXPECT_NE(Summary("0-376=10\n").find("\nThe plate textures are not judged: "), std::string::npos);
  CheckOptions three;
  three.plates = 3;
  three.platesGiven = true;
  const std::string out = Report(CheckMappingText("0-376=10\n", three));
  EXPECT_NE(out.find("\n3 plate textures (plateback1 to plateback3), as --plates 3 says.\n"),
            std::string::npos);
  EXPECT_NE(out.find("\nZones that will show no plateback (no texture among the 3 that --plates "
                     "gives): 0-186, 188-376 (376 zones)\n"),
            std::string::npos);
  EXPECT_EQ(Summary("0-376=10\n").find("no texture among"), std::string::npos);
}

// The last line of the report.
std::string Verdict(const std::string& text) {
  const std::string out = Summary(text);
  return out.substr(out.rfind('\n', out.size() - 2) + 1);
}

TEST(FormatReport, EndsWithOneOfThreeVerdicts) {
  EXPECT_EQ(Verdict("0-376=1\n"), "No problems found.\n");
  EXPECT_EQ(Verdict("=1\nhello\n400=3\n"),
            "2 errors, 1 warning: the game will not show what this file asks.\n");
  EXPECT_EQ(Verdict("400=3\n"), "No errors, 1 warning: the game shows what this file asks.\n");
}

using testing::SomeGames;

// The game's builds stand between the zones no line sets and the verdict.
std::string GameBuilds(const GameSearch& games) {
  const std::string out = Report(CheckMappingText("0-376=1\n", CheckOptions{}), games);
  const std::size_t from = out.find('\n', out.find("\nZones no line sets") + 1) + 1;
  return out.substr(from, out.rfind("\nNo problems found.\n") + 1 - from);
}

TEST(FormatReport, NamesEachExecutablesBuildAndTheLimitOfReadingFiles) {
  EXPECT_EQ(GameBuilds(SomeGames()),
            "Game build:\n"
            "  a.exe: build 1002: Vexilo changes plates and draws the DEBUG line (when Vexilo.txt "
            "holds DEBUG).\n"
            "  b.exe: a build Vexilo does not recognise: if this is the game, Vexilo changes "
            "plates (it may be a "
            "variant of 1001 or 1002) but draws no DEBUG line.\n"
            "  c.exe: build 3200: Vexilo leaves the game alone: it patches nothing, the game "
            "chooses plates itself, "
            "and no DEBUG line is drawn.\n"
            "  d\"<x>.exe: not a Windows executable: it does not start with \"MZ\".\n"
            "  The build is read from the file on disk. An executable that is compressed or "
            "protected on disk can "
            "differ from what runs; the DEBUG line shows what actually runs.\n");
  EXPECT_EQ(GameBuilds(GameSearch{"C:\\Jeux\\Vexilo.txt", false, {}, {}, {}}),
            "Game build: no .exe beside C:\\Jeux\\Vexilo.txt; name the game's executable with "
            "--game FILE.\n");
}

TEST(Style, PaintsOnlyWhenColourIsOn) {
  EXPECT_EQ(Style{true}.Paint("x", "1;31"), "\x1b[1;31mx\x1b[0m");
  EXPECT_EQ(Style{false}.Paint("x", "1;31"), "x");
}

TEST(FormatTable, GivesOneAlignedRowPerZone) {
  std::string out;
  CheckOptions eleven;
  eleven.plates = 11;
  eleven.platesGiven = true;
  FormatTable(out, CheckMappingText("63=12\n", eleven));
  EXPECT_NE(out.find("\n   63  JEF2             12  plateback13  (shows no plateback: no texture "
                     "among the 11 that --plates gives)\n"),
            std::string::npos);
  EXPECT_NE(out.find("\n  187  CITYS             0  plateback1  (never reached: the game always "
                     "finds CITYS at "
                     "zone index 110)\n"),
            std::string::npos);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 378);
}

}  // namespace
}  // namespace vexilo::check
