#include "html_report.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "some_games.hpp"
#include "terminal_report.hpp"

namespace vexilo::check {
namespace {

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

double Luminance(std::string_view colour) {
  unsigned rgb[3];
  std::sscanf(std::string(colour).c_str(), "#%2x%2x%2x", &rgb[0], &rgb[1], &rgb[2]);
  double channels[3];
  for (int i = 0; i < 3; ++i) {
    const double c = rgb[i] / 255.0;
    channels[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  }
  return 0.2126 * channels[0] + 0.7152 * channels[1] + 0.0722 * channels[2];
}

double Contrast(std::string_view a, std::string_view b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(HtmlText, EscapesMarkupAndShowsBadBytesAndControlsVisibly) {
  EXPECT_EQ(HtmlText("<script>a=\"b\" & 'c'</script>"),
            "&lt;script&gt;a=&quot;b&quot; &amp; &#39;c&#39;&lt;/script&gt;");
  EXPECT_EQ(HtmlText("a\xFF"
                     "b\xC0\xAF"
                     "c\xED\xA0\x80"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD\xEF\xBF\xBD"
            "c\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(HtmlText(std::string("x\x01\x1F\x7F\0y", 6)), "x\\x01\\x1F\\x7F\\x00y");
  EXPECT_EQ(HtmlText("\xC2\x85|\xC2\xA0"), "\\u0085|\xC2\xA0");
  EXPECT_EQ(
      HtmlText("Jeux \xC3\xA9 \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F "
               "\xF0\x9F\x9A\x97\t"),
      "Jeux \xC3\xA9 \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F \xF0\x9F\x9A\x97\t");
  EXPECT_EQ(HtmlText("\xF4\x90\x80\x80\xE2\x82"),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(PlatebackFill, GivesTheDefaultPlatebacksElevenDistinctFillsWithReadableText) {
  std::set<std::string_view> fills;
  for (std::int32_t plate = 0; plate <= 10; ++plate) {
    const std::string_view fill = PlatebackFill(plate);
    fills.insert(fill);
    const std::string_view text = TextColourOn(fill);
    const std::string_view other = text == "#000000" ? "#ffffff" : "#000000";
    EXPECT_GE(Contrast(fill, text), Contrast(fill, other)) << fill;
    EXPECT_GE(Contrast(fill, text), 4.0) << fill;
  }
  EXPECT_EQ(fills.size(), 11u);
  EXPECT_EQ(PlatebackFill(-5), PlatebackFill(15));
  EXPECT_FALSE(PlatebackFill(11).empty());
  EXPECT_FALSE(PlatebackFill(-2147483647 - 1).empty());
}

using testing::SomeGames;

TEST(HtmlReport, NamesEachGameExecutablesBuildAsText) {
  const std::string page = HtmlReport("V.txt", CheckMappingText("", CheckOptions{}), SomeGames());
  EXPECT_NE(page.find("<li data-file=\"a.exe\" data-support=\"plates-and-debug-line\"><span "
                      "class=\"exe\">a.exe:"
                      "</span> build 1002: Vexilo changes plates and draws the DEBUG line"),
            std::string::npos);
  EXPECT_NE(page.find("<li data-file=\"b.exe\" data-support=\"plates-only\">"), std::string::npos);
  EXPECT_NE(page.find("<li data-file=\"c.exe\" data-support=\"nothing\">"), std::string::npos);
  EXPECT_NE(
      page.find(
          "<li data-file=\"d&quot;&lt;x&gt;.exe\" data-support=\"unreadable\"><span class=\"exe\">"
          "d&quot;&lt;x&gt;.exe:</span> not a Windows executable: it does not start with "
          "&quot;MZ&quot;."),
      std::string::npos);
  EXPECT_NE(page.find("<p id=\"file-check-limit\">The build is read from the file on disk."),
            std::string::npos);
  const std::string none = HtmlReport("V.txt", CheckMappingText("", CheckOptions{}),
                                      GameSearch{"V.txt", false, {}, {}, {}});
  EXPECT_NE(none.find("<p id=\"no-game\">No .exe beside V.txt; name the game&#39;s executable with "
                      "--game FILE.</p>"),
            std::string::npos);
}

TEST(HtmlReport, IsOnePageOfAllZonesThatLoadsNothing) {
  CheckReport report = CheckMappingText("0-62=1\n63=12 ; <b>\n5=3 ; zones 5-9\n", CheckOptions{});
  const std::string page = HtmlReport("C:\\Jeux \xC3\xA9\\Vexilo.txt", report, GameSearch{});
  EXPECT_EQ(Occurrences(page, "<div class=\"zone "), 377u);
  EXPECT_EQ(Occurrences(page, " unreachable\" data-zone=\"187\""), 1u);
  EXPECT_EQ(Occurrences(page, "<tr class=\"diagnostic "), report.diagnostics.size());
  EXPECT_NE(page.find("content=\"default-src 'none'; style-src 'unsafe-inline'\""),
            std::string::npos);
  EXPECT_NE(page.find("print-color-adjust: exact"), std::string::npos);
  EXPECT_NE(page.find("set by line 2: 63=12 ; &lt;b&gt;"), std::string::npos);
  EXPECT_NE(page.find("C:\\Jeux \xC3\xA9\\Vexilo.txt"), std::string::npos);
  for (const char* loads : {"http:", "https:", "src=", "href=", "url(", "@import", "<script"}) {
    EXPECT_EQ(page.find(loads), std::string::npos) << loads;
  }
}

TEST(HtmlReport, PutsTheSummaryLegendAndProblemsAboveTheGrid) {
  const std::string page =
      HtmlReport("V.txt", CheckMappingText("63=-12\n", CheckOptions{}), GameSearch{});
  const std::size_t grid = page.find("<div class=\"grid\"");
  for (const char* part :
       {"<dl class=\"summary\">", "<ul class=\"legend\">", "<table class=\"diagnostics\">"}) {
    EXPECT_LT(page.find(part), grid) << part;
  }
  EXPECT_NE(page.find("<dd id=\"plates\">the plate textures are not judged: "), std::string::npos);
}

TEST(HtmlReport, NamesWhereAProblemInAnotherFileStands) {
  CheckReport report = CheckMappingText("", CheckOptions{});
  report.diagnostics.push_back({0, Severity::Warning, "set the count to 3", "", "limits.ini:2"});
  const std::string page = HtmlReport("V.txt", report, GameSearch{});
  EXPECT_NE(page.find("<td class=\"line\">limits.ini:2</td>"), std::string::npos);
}

TEST(HtmlReport, CountsTheUnsetZonesAsTheTerminalDoes) {
  // Zone 187 unset, as in the file players reported: both leave it out.
  const CheckReport report = CheckMappingText("0-63=1\n", CheckOptions{});
  const std::string page = HtmlReport("V.txt", report, GameSearch{});
  std::string terminal;
  FormatReport(terminal, "V.txt", report, GameSearch{}, Style{});
  EXPECT_NE(page.find("<li class=\"key-unset\" data-count=\"312\">"), std::string::npos);
  EXPECT_NE(terminal.find("(312 zones)"), std::string::npos) << terminal;
  EXPECT_EQ(Occurrences(page, " unset\" data-zone="), 312u);
}

}  // namespace
}  // namespace vexilo::check
