#include "json_report.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vexilo::check {
namespace {

TEST(JsonString, EscapesQuotesAndControlsAndReplacesBadBytes) {
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString(std::string("\x01\n\0", 3)), "\"\\u0001\\u000a\\u0000\"");
  EXPECT_EQ(JsonString("\xC3\xA9\xFF"), "\"\xC3\xA9\xEF\xBF\xBD\"");
}

TEST(FormatJson, GivesEveryZoneWithTheLineThatSetsIt) {
  const CheckReport report = CheckMappingText("63=12\nhello\n", CheckOptions{});
  std::string out;
  FormatJson(out, "V.txt", report);
  EXPECT_NE(out.find("{\"index\": 63, \"label\": \"JEF2\", \"plateback\": 12, \"texture\": "
                     "\"plateback13\", \"line\": 1}"),
            std::string::npos);
  EXPECT_NE(out.find("{\"index\": 0, \"label\": \"LA\", \"plateback\": 0, \"texture\": "
                     "\"plateback1\", \"line\": null}"),
            std::string::npos);
  EXPECT_NE(out.find("\"warnings\": 2,"), std::string::npos);
  EXPECT_NE(out.find("{\"line\": 2, \"severity\": \"warning\""), std::string::npos);
}

TEST(FormatJson, NamesTheAssumedTextureCountAndTheUnsetZones) {
  std::string out;
  FormatJson(out, "V.txt", CheckMappingText("0-99=1\n", CheckOptions{}));
  EXPECT_NE(
      out.find(
          "\n  \"plate_textures\": 11,\n  \"plate_textures_note\": \"assuming 11 plate textures"),
      std::string::npos);
  EXPECT_NE(out.find("\n  \"unset_zones\": 276,\n"), std::string::npos);
}

}  // namespace
}  // namespace vexilo::check
