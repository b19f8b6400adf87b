#include "mapping_check.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mapping/default_mapping_file.hpp"
#include "mapping/mapping_format.hpp"

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
    said.push_back(std::to_string(d.line) +
                   (d.severity == Severity::Error ? ": error: " : ": warning: ") + d.message);
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

TEST(MappingCheck, ALineTheGameSkipsIsAnErrorSayingWhatToWrite) {
  const CheckReport report = Check("\xEF\xBB\xBF;note\ndebug\nDEBUG ON\n0-62\nhello\n63:5\n63 5\n");
  EXPECT_TRUE(
      SaysAt(report, 1, "invisible mark at the start of the file (Notepad's \"UTF-8 with BOM\")"));
  EXPECT_TRUE(SaysAt(report, 2, "in capitals: write DEBUG"));
  EXPECT_TRUE(SaysAt(report, 3, "write DEBUG and nothing else"));
  EXPECT_TRUE(SaysAt(report, 4, "write 0-62=N"));
  EXPECT_TRUE(SaysAt(report, 5, "not a mapping"));
  EXPECT_TRUE(SaysAt(report, 6, "write 63=5"));
  EXPECT_TRUE(SaysAt(report, 7, "write 63=5"));
  // Behind the mark, a comment still asks for nothing.
  EXPECT_EQ(report.Count(Severity::Warning), 1u);
  EXPECT_EQ(report.Count(Severity::Error), 6u);
}

TEST(MappingCheck, AMalformedNumberIsAnErrorNamingItsField) {
  const CheckReport report =
      Check("=5\n5=x\n1-=2\n99999999999=1\n0-1=-2147483649\n63=2147483648\n");
  const std::string zone =
      "write a zone index from 0 to 376, or a zone label such as JEF2 (vexilo-check --zones "
      "lists them); the game skips this line";
  const std::string plate =
      "write a plateback index your game has: 0 to 10; the game skips this line";
  EXPECT_EQ(Said(report),
            (std::vector<std::string>{
                "1: error: the zone index is no number; " + zone,
                "2: error: the plateback index is no number; " + plate,
                "3: error: the end is no number; " + zone,
                "4: error: the zone index 99999999999 is far too large for the game; " + zone,
                "5: error: the plateback index -2147483649 is far too large for the game; " + plate,
                "6: error: the plateback index 2147483648 is far too large for the game; " + plate,
            }));
  EXPECT_TRUE(SaysAt(Check("63=plateback2\n"), 1, "the game skips this line: write 63=1"));
}

TEST(MappingCheck, AZoneLabelLineIsExplainedAndSetsItsZones) {
  const CheckReport report =
      Check("JEF2=5\n jef2 = 6 ; home\nLA-JEF1B=1\nCITYS=2\nNOWHERE=1\n5=JEF2\n");
  EXPECT_EQ(report.diagnostics[0].severity, Severity::Note);
  EXPECT_TRUE(SaysAt(report, 1, "JEF2 is zone 63"));
  EXPECT_TRUE(SaysAt(report, 3, "LA is zone 0 and JEF1B is zone 62"));
  EXPECT_TRUE(SaysAt(report, 4, "CITYS is zone 110"));
  EXPECT_TRUE(SaysAt(report, 5, "the zone index NOWHERE is no zone label the game knows"));
  EXPECT_TRUE(SaysAt(report, 6, "the plateback index is no number"));
  EXPECT_EQ(report.table.plates[63], 6);
  EXPECT_EQ(report.table.plates[62], 1);
  EXPECT_EQ(report.table.plates[110], 2);
  EXPECT_EQ(report.setBy[63], 2u);
  EXPECT_EQ(report.Count(Severity::Error), 2u);
  EXPECT_EQ(report.Count(Severity::Warning), 0u);
  EXPECT_TRUE(SaysAt(Check("0-JEF1B=1\n"), 1, "LA is zone 0 and JEF1B is zone 62"));
}

TEST(MappingCheck, AByteOrderMarkBeforeAMappingIsNamedAsBeforeAComment) {
  for (const char* text : {"\xEF\xBB\xBF"
                           "63=5\n",
                           "\xEF\xBB\xBF"
                           "0-62=1\n"}) {
    const CheckReport report = Check(text);
    ASSERT_EQ(report.diagnostics.size(), 1u) << text;
    EXPECT_EQ(report.diagnostics[0].message,
              "this line begins with an invisible mark at the start of the file (Notepad's "
              "\"UTF-8 with BOM\"), which the game reads as part of the line; save the file as "
              "\"UTF-8\" (in Notepad: File, Save As, Encoding) or run vexilo-check --fix; the "
              "game skips this line");
    EXPECT_EQ(report.diagnostics[0].severity, Severity::Error);
  }
  // Only at the start of the file: later the same bytes are a field without digits.
  EXPECT_TRUE(SaysAt(Check("1=1\n\xEF\xBB\xBF"
                           "63=5\n"),
                     2, "the zone index is no number"));
}

TEST(MappingCheck, NumbersWithoutAnEqualsSignAreToldToUseOne) {
  const CheckReport report = Check("63 5\n  7\t2\n");
  EXPECT_TRUE(SaysAt(report, 1, "a mapping needs '=' before its plateback index: write 63=5"));
  EXPECT_TRUE(SaysAt(report, 2, "write 7=2"));
}

// The text as Notepad's "Unicode" saves it: UTF-16, little-endian with a
// byte-order mark, or without one in either order.
std::string Utf16(const std::string& text, bool bigEndian, bool mark) {
  std::string wide = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) {
    wide += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
  }
  return wide;
}

TEST(MappingCheck, AFileSavedAsUtf16GivesOneErrorWithOrWithoutItsByteOrderMark) {
  const std::string text = DefaultMappingFileText();
  for (const bool bigEndian : {false, true}) {
    for (const bool mark : {false, true}) {
      const CheckReport report = Check(Utf16(text, bigEndian, mark));
      ASSERT_EQ(report.diagnostics.size(), 1u)
          << bigEndian << mark << ::testing::PrintToString(Said(report));
      EXPECT_EQ(report.Count(Severity::Error), 1u);
      EXPECT_EQ(report.Count(Severity::Warning), 0u);
      EXPECT_NE(report.diagnostics[0].message.find("the file is saved as UTF-16"),
                std::string::npos);
      EXPECT_NE(report.diagnostics[0].message.find("save the file as \"UTF-8\""),
                std::string::npos);
    }
  }
  // A file that opens with blank lines is UTF-16 all the same.
  EXPECT_TRUE(SaysAt(Check("\n\n" + Utf16("0-62=1\r\n", false, false)), 3, "UTF-16"));
  // 8-bit text with an odd control byte is not.
  EXPECT_FALSE(SaysAt(Check(std::string("0-62=1 ;\0x\n", 11)), 1, "UTF-16"));
}

TEST(MappingCheck, SaysWhatPartOfARangeIsDroppedOrWhyItIsEmpty) {
  const CheckReport report = Check("370-400=4\n377=4\n400-500=2\n10-5=3\n");
  EXPECT_TRUE(SaysAt(report, 1,
                     "zones 377 to 400 do not exist and are dropped; this line sets 370 to 376"));
  EXPECT_TRUE(SaysAt(report, 2, "zone index 377 lies above 376"));
  EXPECT_TRUE(SaysAt(report, 3, "the whole range lies above 376"));
  EXPECT_TRUE(SaysAt(report, 4, "empty range: 10 is above 5"));
  EXPECT_EQ(report.diagnostics.size(), 4u);
}

TEST(MappingCheck, AnExactLookingLineWithAMinusReadsAsARange) {
  const CheckReport report = Check("5=-3\n3=-5\n");
  EXPECT_TRUE(SaysAt(report, 1, "reads as the range 5-3=-3"));
  EXPECT_TRUE(SaysAt(report, 1,
                     "so zone 5 keeps its plateback; write 5=N, where N is a plateback index your "
                     "game has (0 to 10)"));
  EXPECT_EQ(report.Count(Severity::Error), 2u);
  EXPECT_TRUE(SaysAt(report, 2, "reads as the range 3-5=-5"));
  EXPECT_TRUE(SaysAt(report, 2, "negative"));
}

TEST(MappingCheck, ADashInANoteAfterTheValueIsNamedAsWhatMakesTheLineARange) {
  const CheckReport report =
      Check("5=3 ; zones 5-9\n8=2 ; see 1-4\n7=1 ; 7-7\n6=2 ; zone 6 - city\n");
  EXPECT_TRUE(
      SaysAt(report, 1,
             "the '-' after the plateback index makes this line the range 5-9=3, which sets "
             "zones 5 to 9, not zone 5 alone"));
  EXPECT_TRUE(SaysAt(report, 1, "keep '-' out of notes"));
  EXPECT_TRUE(SaysAt(report, 2, "the range 8-4=2, which sets nothing, not even zone 8"));
  EXPECT_TRUE(SaysAt(report, 3, "which happens to set zone 7 alone"));
  EXPECT_TRUE(
      SaysAt(report, 4, "the end city is no zone label the game knows; write a zone index"));
  EXPECT_EQ(report.Count(Severity::Error), 3u);  // lines 1, 2 and 4: line 3 sets just zone 7
  EXPECT_EQ(report.table.plates[9], 3);
  EXPECT_EQ(report.table.plates[8], 3);  // line 2 set nothing, not even zone 8
  // A minus sign on the value is told apart from a note.
  EXPECT_FALSE(SaysAt(Check("5=-3\n"), 1, "note"));
}

TEST(MappingCheck, KeepsTheTextOfEveryLineThatStillSetsAZone) {
  const CheckReport report = Check("0-9=1 ; base\n0-9=2\n3=4 ; \x01\n");
  EXPECT_EQ(report.setterText,
            (std::map<std::size_t, std::string>{{2, "0-9=2"}, {3, "3=4 ; \\x01"}}));
}

TEST(MappingCheck, WarnsOfPlatebacksTheGameDoesNotHave) {
  EXPECT_TRUE(
      SaysAt(Check("1=11\n"), 1,
             "selects plateback12, but that is beyond the 11 plate textures assumed (plateback1 to "
             "plateback11); line 1 uses it; write a plateback index your game has (0 to 10); see "
             "--plates"));
  EXPECT_TRUE(Check("1=11\n", 12).diagnostics.empty());
  EXPECT_TRUE(SaysAt(Check("0-5=-1\n"), 1, "negative"));
  EXPECT_TRUE(Check("1=10\n").diagnostics.empty());
}

TEST(MappingCheck, GivenTheTextureCountEachIndexBeyondGetsOneWarningNamingItsLines) {
  CheckOptions options;
  options.plates = 3;
  options.platesGiven = true;
  std::string text = "0-9=5\n20=3\n30=5\n40-45=5\n";
  for (int i = 0; i < 12; ++i) text += std::to_string(50 + i) + "=4\n";
  const CheckReport report = CheckMappingText(text, options);
  EXPECT_EQ(Said(report),
            (std::vector<std::string>{
                "1: warning: plateback index 5 selects plateback6, but the game has 3 plate "
                "textures (plateback1 to plateback3); 3 lines use it: 1, 3 and 4; write a "
                "plateback index your game has (0 to 2)",
                "2: warning: plateback index 3 selects plateback4, but the game has 3 plate "
                "textures (plateback1 to plateback3); line 2 uses it; write a plateback index "
                "your game has (0 to 2)",
                "5: warning: plateback index 4 selects plateback5, but the game has 3 plate "
                "textures (plateback1 to plateback3); 12 lines use it: 5, 6, 7, 8, 9, 10, 11, 12, "
                "13, 14 and 2 more; write a plateback index your game has (0 to 2)",
            }));
  EXPECT_EQ(report.diagnostics[0].quote, "0-9=5");
}

TEST(MappingCheck, ALaterLineTakingZonesBackIsOrdinaryUse) {
  const CheckReport report = Check("0-62=1\n63=0\n63=5\n5=1\n0-10=2\n");
  EXPECT_TRUE(report.diagnostics.empty()) << ::testing::PrintToString(Said(report));
  EXPECT_EQ(report.setBy[63], 3u);
}

TEST(MappingCheck, CountsEveryProblemButKeepsOnlyTheFirstThousand) {
  std::string text;
  for (int i = 0; i < 2500; ++i) text += "junk\n=1\n";
  const CheckReport report = Check(text);
  EXPECT_EQ(report.Count(Severity::Error), 5000u);
  EXPECT_EQ(report.diagnostics.size(), kMaxDiagnostics);
}

TEST(MappingCheck, OldMacLineEndsAndAnEarlyEndAreErrors) {
  const CheckReport report = Check("1=1\r2=2\n3=3\x1A\n4=4\n");
  EXPECT_TRUE(SaysAt(report, 1, "a carriage return alone (old Mac line ends)"));
  EXPECT_TRUE(SaysAt(report, 2, "0x1A"));
  EXPECT_EQ(report.Count(Severity::Error), 2u);
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
  EXPECT_TRUE(
      SaysAt(report, 1, "reads as the range 5-3=-3 because of its '-', which sets nothing"));
  EXPECT_TRUE(SaysAt(report, 2, "makes this line the range 6-9=3, which sets zones 6 to 9"));
  EXPECT_TRUE(SaysAt(report, 3, "selects plateback13"));
  EXPECT_EQ(report.table.plates[9], 3);
  EXPECT_EQ(report.table.plates[7], 12);
  ASSERT_EQ(report.diagnostics.size(), 3u) << ::testing::PrintToString(Said(report));
  for (const Diagnostic& d : report.diagnostics)
    EXPECT_EQ(d.quote.substr(d.quote.size() - 3), "...") << d.line;
  EXPECT_EQ(report.setterText.at(3), "7=" + std::string(78, ' ') + "...");
}

}  // namespace
}  // namespace vexilo::check
