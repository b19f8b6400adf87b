#include "mapping_check.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/default_mapping_file.hpp"
#include "core/mapping_format.hpp"

namespace vexilo::check {
namespace {

CheckReport Check(const std::string& text, std::int32_t plates = 11) {
  CheckOptions options;
  options.plates = plates;
  return CheckMappingText(text, options);
}

// "LINE: severity: message" of each diagnostic.
std::vector<std::string> Said(const CheckReport& report) {
  std::vector<std::string> said;
  for (const Diagnostic& d : report.diagnostics) {
    said.push_back(std::to_string(d.line) + (d.severity == Severity::Error ? ": error: " : ": warning: ") + d.message);
  }
  return said;
}

bool SaysAt(const CheckReport& report, std::size_t line, const std::string& part) {
  for (const Diagnostic& d : report.diagnostics) {
    if (d.line == line && d.message.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(MappingCheck, TheDefaultFileDrawsNoWarningAndGivesTheDefaultTable) {
  const std::string text = DefaultMappingFileText();
  const CheckReport report = Check(text);
  EXPECT_TRUE(report.diagnostics.empty()) << ::testing::PrintToString(Said(report));
  EXPECT_EQ(report.table.plates, ParseMappingText(text).plates);
  EXPECT_EQ(report.lines, 58u);
  EXPECT_EQ(report.mappings, 12u);
  EXPECT_EQ(report.setBy[63], 48u);
  EXPECT_EQ(report.setBy[376], 58u);
}

TEST(MappingCheck, TellsWhyALineOfNoKnownKindDoesNothing) {
  const CheckReport report = Check("\xEF\xBB\xBF;note\ndebug\nDEBUG ON\n0-62\nhello\n");
  EXPECT_TRUE(SaysAt(report, 1, "byte-order mark"));
  EXPECT_TRUE(SaysAt(report, 2, "in capitals"));
  EXPECT_TRUE(SaysAt(report, 3, "stand alone"));
  EXPECT_TRUE(SaysAt(report, 4, "needs '='"));
  EXPECT_TRUE(SaysAt(report, 5, "not a mapping"));
  EXPECT_EQ(report.Count(Severity::Error), 0u);
}

TEST(MappingCheck, AMalformedNumberIsAnErrorNamingItsField) {
  const CheckReport report = Check("=5\n5=x\n1-=2\n99999999999=1\n0-1=-2147483649\n");
  EXPECT_EQ(Said(report), (std::vector<std::string>{
                              "1: error: the zone index has no digits; the game skips this line",
                              "2: error: the plateback index has no digits; the game skips this line",
                              "3: error: the end has no digits; the game skips this line",
                              "4: error: the zone index is outside -2147483648 to 2147483647; the game skips this line",
                              "5: error: the plateback index is outside -2147483648 to 2147483647; the game skips this line",
                          }));
}

TEST(MappingCheck, SaysWhatPartOfARangeIsDroppedOrWhyItIsEmpty) {
  const CheckReport report = Check("370-400=4\n377=4\n400-500=2\n10-5=3\n");
  EXPECT_TRUE(SaysAt(report, 1, "zones 377 to 400 do not exist and are dropped; this line sets 370 to 376"));
  EXPECT_TRUE(SaysAt(report, 2, "zone index 377 lies above 376"));
  EXPECT_TRUE(SaysAt(report, 3, "the whole range lies above 376"));
  EXPECT_TRUE(SaysAt(report, 4, "empty range: 10 is above 5"));
  EXPECT_EQ(report.diagnostics.size(), 4u);
}

TEST(MappingCheck, AnExactLookingLineWithAMinusReadsAsARange) {
  const CheckReport report = Check("5=-3\n3=-5\n");
  EXPECT_TRUE(SaysAt(report, 1, "reads as the range 5-3=-3"));
  EXPECT_TRUE(SaysAt(report, 1, "write 5-5=-3"));
  EXPECT_TRUE(SaysAt(report, 2, "reads as the range 3-5=-5"));
  EXPECT_TRUE(SaysAt(report, 2, "negative"));
}

TEST(MappingCheck, ADashInANoteAfterTheValueIsNamedAsWhatMakesTheLineARange) {
  const CheckReport report = Check("5=3 ; zones 5-9\n8=2 ; see 1-4\n7=1 ; 7-7\n6=2 ; zone 6 - city\n");
  EXPECT_TRUE(SaysAt(report, 1, "the '-' after the plateback index makes this line the range 5-9=3, which sets "
                                "zones 5 to 9, not zone 5 alone"));
  EXPECT_TRUE(SaysAt(report, 1, "keep '-' out of notes"));
  EXPECT_TRUE(SaysAt(report, 2, "the range 8-4=2, which sets nothing, not even zone 8"));
  EXPECT_TRUE(SaysAt(report, 3, "which happens to set zone 7 alone"));
  EXPECT_TRUE(SaysAt(report, 4, "the end has no digits (the '-' after the plateback index starts a range)"));
  EXPECT_EQ(report.table.plates[9], 3);
  EXPECT_EQ(report.table.plates[8], 3);  // line 2 set nothing, not even zone 8
  // A minus sign on the value is told apart from a note.
  EXPECT_FALSE(SaysAt(Check("5=-3\n"), 1, "note"));
}

TEST(MappingCheck, KeepsTheTextOfEveryLineThatStillSetsAZone) {
  const CheckReport report = Check("0-9=1 ; base\n0-9=2\n3=4 ; \x01\n");
  EXPECT_EQ(report.setterText, (std::map<std::size_t, std::string>{{2, "0-9=2"}, {3, "3=4 ; \\x01"}}));
}

TEST(MappingCheck, WarnsOfPlatebacksTheGameDoesNotHave) {
  EXPECT_TRUE(SaysAt(Check("1=11\n"), 1, "selects plateback12, but the game has 11 plate textures"));
  EXPECT_TRUE(Check("1=11\n", 12).diagnostics.empty());
  EXPECT_TRUE(SaysAt(Check("0-5=-1\n"), 1, "negative"));
  EXPECT_TRUE(Check("1=10\n").diagnostics.empty());
}

TEST(MappingCheck, AMappingWhollyOverriddenLaterIsNamedWithTheLinesThatTookItsZones) {
  const CheckReport report = Check("5=1\n0-62=1\n30=7\n0-10=2\n11-62=3\n63=1\n1-2=4\n2=5\n3=6\n1=7\n");
  EXPECT_TRUE(SaysAt(report, 1, "set again later, by line 2"));
  EXPECT_TRUE(SaysAt(report, 2, "set again later, by lines 3, ... 5"));
  EXPECT_TRUE(SaysAt(report, 3, "set again later, by line 5"));
  EXPECT_TRUE(SaysAt(report, 7, "set again later, by lines 8 and 10"));
  // Zone 0 keeps line 4's value, zone 63 line 6's.
  EXPECT_EQ(report.diagnostics.size(), 4u) << ::testing::PrintToString(Said(report));
}

TEST(MappingCheck, CountsEveryProblemButKeepsOnlyTheFirstThousand) {
  std::string text;
  for (int i = 0; i < 2500; ++i) text += "junk\n=1\n";
  const CheckReport report = Check(text);
  EXPECT_EQ(report.Count(Severity::Warning), 2500u);
  EXPECT_EQ(report.Count(Severity::Error), 2500u);
  EXPECT_EQ(report.diagnostics.size(), kMaxDiagnostics);
}

TEST(MappingCheck, TellsOfACarriageReturnInsideALineAndOfAnEarlyEnd) {
  const CheckReport report = Check("1=1\r2=2\n3=3\x1A\n4=4\n");
  EXPECT_TRUE(SaysAt(report, 1, "carriage return"));
  EXPECT_TRUE(SaysAt(report, 2, "0x1A"));
  EXPECT_EQ(report.table.plates[4], 0);
  EXPECT_TRUE(SaysAt(Check("1=1\n\x1A"), 2, "0x1A"));
}

TEST(MappingCheck, QuotesLinesPrintablyAndShort) {
  EXPECT_EQ(Quote("\xEF\xBB\xBF;x"), "<byte-order mark>;x");
  EXPECT_EQ(Quote("a\rb\x01"), "a\\rb\\x01");
  EXPECT_EQ(Quote(std::string(200, 'x')), std::string(80, 'x') + "...");
}

// The checker is shown only the start of each line: a longer line is quoted
// cut, explained from that start, and sets what the whole line says.
TEST(MappingCheck, ALineLongerThanItsExcerptIsQuotedCutAndReadWhole) {
  const std::string blanks(1000, ' ');
  const CheckReport report = Check("5=" + blanks + "-3\n6=3" + blanks + "-9\n7=" + blanks + "12\n");
  EXPECT_TRUE(SaysAt(report, 1, "reads as the range 5-3=-3 because of its '-', which sets nothing"));
  EXPECT_TRUE(SaysAt(report, 2, "makes this line the range 6-9=3, which sets zones 6 to 9"));
  EXPECT_TRUE(SaysAt(report, 3, "selects plateback13"));
  EXPECT_EQ(report.table.plates[9], 3);
  EXPECT_EQ(report.table.plates[7], 12);
  ASSERT_EQ(report.diagnostics.size(), 3u) << ::testing::PrintToString(Said(report));
  for (const Diagnostic& d : report.diagnostics) EXPECT_EQ(d.quote.substr(d.quote.size() - 3), "...") << d.line;
  EXPECT_EQ(report.setterText.at(3), "7=" + std::string(78, ' ') + "...");
}

}  // namespace
}  // namespace vexilo::check
