#include "json_report.hpp"

#include <gtest/gtest.h>

#include <string>

#include "some_games.hpp"

namespace vexilo::check {
namespace {

TEST(JsonString, EscapesQuotesAndControlsAndReplacesBadBytes) {
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString(std::string("\x01\n\0", 3)), "\"\\u0001\\u000a\\u0000\"");
  EXPECT_EQ(JsonString("\xC3\xA9\xFF"), "\"\xC3\xA9\xEF\xBF\xBD\"");
}

using testing::SomeGames;

TEST(FormatJson, GivesEachGameExecutablesBuildAndWhatVexiloDoesOnIt) {
  std::string out;
  FormatJson(out, "V.txt", CheckMappingText("", CheckOptions{}), SomeGames());
  const auto says = [&out](const std::string& part) { return out.find(part) != std::string::npos; };
  EXPECT_TRUE(says(
      "\"game\": {\n    \"named\": false,\n    \"executables\": [\n      {\"file\": \"a.exe\", "
      "\"build\": 1002, \"support\": \"plates-and-debug-line\", \"problem\": null, \"says\": "
      "\"build "
      "1002: Vexilo changes plates"));
  EXPECT_TRUE(says(
      "{\"file\": \"b.exe\", \"build\": null, \"support\": \"plates-only\", \"problem\": null"));
  EXPECT_TRUE(
      says("{\"file\": \"c.exe\", \"build\": 3200, \"support\": \"nothing\", \"problem\": null"));
  EXPECT_TRUE(
      says("{\"file\": \"d\\\"<x>.exe\", \"build\": null, \"support\": null, \"problem\": \"not a "
           "Windows "
           "executable: it does not start with \\\"MZ\\\"\""));
  EXPECT_TRUE(says("\n    ],\n    \"note\": \"The build is read from the file on disk."));
  GameSearch none;
  none.beside = "V.txt";
  none.named = true;
  out.clear();
  FormatJson(out, "V.txt", CheckMappingText("", CheckOptions{}), none);
  EXPECT_TRUE(says(
      "\"game\": {\n    \"named\": true,\n    \"executables\": [],\n    \"note\": \"no .exe beside "
      "V.txt; name the game's executable with --game FILE\"\n  },\n  \"zones\": ["));
}

TEST(FormatJson, GivesEveryZoneWithTheLineThatSetsIt) {
  CheckOptions eleven;
  eleven.plates = 11;
  eleven.platesGiven = true;
  const CheckReport report = CheckMappingText("63=12\n10-5=3\n", eleven);
  std::string out;
  FormatJson(out, "V.txt", report, GameSearch{});
  EXPECT_NE(
      out.find(
          "{\"index\": 63, \"label\": \"JEF2\", \"plateback\": 12, \"texture\": "
          "\"plateback13\", \"line\": 1, \"no_plateback\": \"no texture among the 11 that --plates "
          "gives\"}"),
      std::string::npos);
  EXPECT_NE(out.find("{\"index\": 0, \"label\": \"LA\", \"plateback\": 0, \"texture\": "
                     "\"plateback1\", \"line\": null}"),
            std::string::npos);
  EXPECT_NE(out.find("\"errors\": 2,"), std::string::npos);
  EXPECT_NE(out.find("{\"line\": 2, \"where\": null, \"severity\": \"error\""), std::string::npos);
  EXPECT_NE(out.find("\"mappings\": 1,"), std::string::npos);
  EXPECT_NE(out.find("{\"index\": 187, \"label\": \"CITYS\", \"plateback\": 0, \"texture\": "
                     "\"plateback1\", \"line\": null, \"never_reached\": true"),
            std::string::npos);
}

TEST(FormatJson, NamesTheAssumedTextureCountAndTheUnsetZones) {
  std::string out;
  FormatJson(out, "V.txt", CheckMappingText("0-99=1\n", CheckOptions{}), GameSearch{});
  EXPECT_NE(
      out.find(
          "\n  \"plate_textures\": null,\n  \"plate_textures_note\": \"the plate textures are not "
          "judged"),
      std::string::npos);
  EXPECT_NE(out.find("\n  \"unset_zones\": 276,\n"), std::string::npos);
}

}  // namespace
}  // namespace vexilo::check
