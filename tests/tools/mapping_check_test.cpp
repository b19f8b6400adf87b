#include "mapping_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "line_rules.hpp"
#include "mapping/default_mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping_fix.hpp"

namespace vexilo::check {
namespace {

CheckReport Check(const std::string& text, std::int32_t plates = 11) {
  CheckOptions options;
  options.plates = plates;
  options.platesGiven = true;
  return CheckMappingText(text, options);
}

// "LINE: severity: message" of each diagnostic.
std::vector<std::string> Said(const CheckReport& report) {
  std::vector<std::string> said;
  for (const Diagnostic& d : report.diagnostics)
    said.push_back(std::to_string(d.line) + ": " + SeverityName(d.severity) + ": " + d.message);
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

// One line each rule is for, what its message must say, and what --fix
// writes for it (null when it leaves the line as it is).
struct RuleCase {
  const char* rule;
  const char* text;
  const char* says;
  const char* mended = nullptr;
};

const RuleCase kRuleCases[] = {
    {"lone-cr", "1=1\r2=2", "a carriage return alone (old Mac line ends)", "1=1\r\n2=2"},
    {"mark-before-comment", "\xEF\xBB\xBF;note", "invisible mark at the start of the file",
     ";note"},
    {"mark-before-line",
     "\xEF\xBB\xBF"
     "63=5",
     "Notepad's \"UTF-8 with BOM\"", "63=5"},
    {"hash-comment", "#JEF2=5",
     "only ';' starts a comment; the game skips this line: write ;JEF2=5 to keep it a comment, "
     "or JEF2=5 to make it a mapping",
     ";JEF2=5"},
    {"debug-in-capitals", "debug", "write DEBUG, in capitals", "DEBUG"},
    {"debug-not-alone", "DEBUG=1", "write DEBUG alone on its line"},
    {"no-equals", "232-240 5", "write 232-240=5", "232-240=5"},
    {"range-without-value", "0-62",
     "write 0-62=0, or another plateback index your game has (0 to 10)"},
    {"number-without-value", "63", "a mapping needs '=' between the zone index"},
    {"not-a-mapping", "hello", "not a mapping, a comment or DEBUG"},
    {"far-too-large", "63=2147483648", "the plateback index 2147483648 is far too large"},
    {"plain-mend", "5=3 ; Los Santos-Red County",
     "the game skips this line: write 5=3, with ; Los Santos-Red County on a line of its own "
     "above it; the first '-' on a line always starts a range",
     "; Los Santos-Red County\n5=3"},
    {"near-label", "SFDTW1=3", "SFDTW1 is no zone label: did you mean SFDWT1? write SFDWT1=3"},
    {"label-not-alone", "5-Red County=3",
     "a zone label must stand alone before the '=': the end Red County holds the label RED"},
    {"unknown-label", "NOWHERE=1", "NOWHERE is no zone label the game knows"},
    {"no-number", "=5", "the zone index is no number"},
    {"label", "JEF2=5", "JEF2 is zone 63"},
    {"dash-note", "5=3 ; zones 5-9", "the range 5-9=3, which sets zones 5 to 9, not zone 5 alone"},
    {"dash-note-one-zone", "7=1 ; 7-7", "which happens to set zone 7 alone"},
    {"reads-as-range", "5=-3", "reads as the range 5-3=-3 because of its '-', which sets nothing"},
    {"empty-range", "10-5=3", "empty range: 10 is above 5"},
    {"above-the-table", "377=4", "zone index 377 lies above 376"},
    {"past-the-table", "370-400=4", "zones 377 to 400 do not exist and are dropped"},
    {"citys-again", "187=5",
     "zone 187 is CITYS a second time, which the game never finds: this "
     "line changes no plate; write 110=5"},
};

TEST(LineRules, EachRuleNamesTheLineItIsForAndSaysWhatToWrite) {
  for (const LineRule& rule : LineRules()) {
    const auto found =
        std::find_if(std::begin(kRuleCases), std::end(kRuleCases),
                     [&rule](const RuleCase& c) { return c.rule == std::string(rule.id); });
    ASSERT_NE(found, std::end(kRuleCases)) << "no case for the rule " << rule.id;
    const CheckReport report = Check(std::string(found->text) + "\n");
    const auto said = std::find_if(report.diagnostics.begin(), report.diagnostics.end(),
                                   [&rule](const Diagnostic& d) { return d.rule == rule.id; });
    ASSERT_NE(said, report.diagnostics.end()) << rule.id << " did not fire on " << found->text
                                              << ": " << ::testing::PrintToString(Said(report));
    EXPECT_NE(said->message.find(found->says), std::string::npos)
        << rule.id << ": " << said->message;
    EXPECT_EQ(said->severity, rule.severity) << rule.id;
    const std::string text = std::string(found->text) + "\n";
    const std::string mended = found->mended ? std::string(found->mended) + "\n" : text;
    EXPECT_EQ(FixMappingText(text, report.options).bytes, mended) << rule.id;
  }
}

TEST(LineRules, ANearLabelIsNamedAndAWordIsNoLabel) {
  EXPECT_TRUE(SaysAt(Check("JEFF2=3\n"), 1, "did you mean JEF2? write JEF2=3"));
  EXPECT_TRUE(SaysAt(Check("VER01=3\n"), 1, "did you mean VERO1? write VERO1=3"));
  EXPECT_TRUE(SaysAt(Check("JEF2x=4\n"), 1,
                     "did you mean JEF2? write JEF2=4; the game skips this "
                     "line; a zone label must stand alone before the '='"));
  // A word of a note is no label to guess at.
  EXPECT_FALSE(SaysAt(Check("6=2 ; zone 6 - city\n"), 1, "did you mean"));
  EXPECT_TRUE(SaysAt(Check("DEBUG ON\n"), 1, "write DEBUG alone on its line"));
}

TEST(LineRules, ATextToWriteIsShownOnlyWhenTheGameReadsItAsMeant) {
  EXPECT_EQ(WriteIfRead("63=1"), "write 63=1");
  EXPECT_EQ(WriteIfRead(";63=1"), "write ;63=1");
  EXPECT_EQ(WriteIfRead("63 5=N"), "");
  EXPECT_EQ(WriteIfRead("63=1 ; zones 63-70"), "");
  EXPECT_EQ(WriteIfRead("5=-3"), "");
  // A note's '-' is no range to complete.
  for (const Diagnostic& d : Check("63 12 ; zones 63-70\n", 3).diagnostics)
    EXPECT_EQ(d.message.find("write 63 12"), std::string::npos) << d.message;
}

TEST(MappingCheck, ZonesTheGameShowsBlankAreOneErrorNamingTheirLines) {
  CheckOptions options;
  options.plates = 3;
  options.platesGiven = true;
  std::string text = "0-9=5\n20=3\n";
  for (int i = 0; i < 8; ++i)
    text += std::to_string(50 + i) + "=" + std::to_string(3 + i % 2) + "\n";
  text += "0-5=1\n";
  const CheckReport report = CheckMappingText(text, options);
  EXPECT_EQ(Said(report),
            std::vector<std::string>{
                "1: error: 13 zones will show no plateback (no texture among the 3 that --plates "
                "gives): on lines 1 to 10 write a plateback index your game has (0 to 2)"});
  EXPECT_EQ(report.diagnostics[0].rule, "no-plateback");
  EXPECT_EQ(Headline(report),
            "In the game: 13 zones will show no plateback (no texture among the 3 that --plates "
            "gives).");
  // Textures not judged: nothing is blank but a negative index.
  EXPECT_EQ(CheckMappingText("0-376=10\n", CheckOptions{}).Count(Severity::Error), 0u);
  EXPECT_EQ(CheckMappingText("0-5=1\n5-5=-1\n", CheckOptions{}).Count(Severity::Error), 1u);
}

TEST(MappingCheck, AdviceOnTheCountNeverCutsOffATextureALineUses) {
  CheckOptions options;
  options.dictionary = PlateTextures{"models/generic/vehicle.txd", "", {0, 1, 2, 4}, {}};
  options.limit = PlateCount{"limits.ini", 2, 11, true, {}};
  const CheckReport report = CheckMappingText("0-376=4\n", options);
  EXPECT_TRUE(SaysAt(report, 0, "set the count to 5 in limits.ini"));
  options.limit = PlateCount{"limits.ini", 2, 3, true, {}};
  EXPECT_TRUE(
      SaysAt(CheckMappingText("0-376=4\n", options), 1, "or raise the count in limits.ini to 5"));
}

TEST(MappingCheck, WithNoLimitAdjustersCountTheGameHasItsOwnThreeTextures) {
  CheckOptions options;
  options.limitSearched = true;
  const CheckReport report = CheckMappingText("0-376=3\n", options);
  EXPECT_EQ(Said(report),
            std::vector<std::string>{
                "1: error: 376 zones will show no plateback (beyond the game's own 3 plate "
                "textures: no limit adjuster gives a count): on line 1 write a plateback index "
                "your game has (0 to 2), or install a limit adjuster and set its count of plate "
                "textures to the textures you have"});
}

TEST(MappingCheck, WhatWasFoundAroundTheFileIsReportedWithIt) {
  CheckOptions options;
  options.findings.push_back({Severity::Error,
                              "the game reads Vexilo.txt in this folder, and "
                              "there is none",
                              ""});
  const CheckReport report = CheckMappingText("63=1\n", options);
  EXPECT_EQ(report.Count(Severity::Error), 1u);
  EXPECT_EQ(Headline(report), "The game reads Vexilo.txt in this folder, and there is none.");
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

TEST(MappingCheck, KeepsTheTextOfEveryLineThatStillSetsAZone) {
  const CheckReport report = Check("0-9=1 ; base\n0-9=2\n3=4 ; \x01\n");
  EXPECT_EQ(report.setterText,
            (std::map<std::size_t, std::string>{{2, "0-9=2"}, {3, "3=4 ; \\x01"}}));
}

TEST(MappingCheck, ALineWhoseZonesAreAllSetAgainLaterIsOnlyANote) {
  const CheckReport report = Check("0-62=1\n63=0\n63=5\n5=1\n5-8=2\n6=1\n7=1\n8=1\n5=3\n");
  EXPECT_EQ(Said(report),
            (std::vector<std::string>{
                "2: note: every zone of this line is set again by a later line (line 3)",
                "4: note: every zone of this line is set again by a later line (line 5)",
                "5: note: every zone of this line is set again by later lines (lines 6 to 8 and "
                "1 more)"}));
  EXPECT_EQ(report.diagnostics[0].quote, "63=0");
  EXPECT_EQ(report.setBy[63], 3u);
  EXPECT_EQ(Verdict(report), "No problems found.");
  // A line beyond those named counts once, however many zones it takes.
  EXPECT_EQ(Said(Check("0-10=1\n1=2\n2=2\n3=2\n5-8=2\n0=2\n4=2\n9-10=2\n")),
            std::vector<std::string>{"1: note: every zone of this line is set again by later "
                                     "lines (lines 2 to 4 and 4 more)"});
}

TEST(MappingCheck, TheHeadlineSaysWhatTheGameDoesWithTheLinesOfTheWorstFinding) {
  EXPECT_EQ(Headline(Check("junk\n63=1\n=5\n5=3 ; zones 5-9\n#x\n")),
            "In the game: lines 1, 3 and 5 set nothing (the game skips them).");
  EXPECT_EQ(Headline(Check("5=3 ; zones 5-9\n")),
            "In the game: line 1 sets other zones than it names (its '-' makes it a range).");
  EXPECT_EQ(Headline(Check("1=1\n\x1A\n2=2\n")), "In the game: line 2 does not do what it asks.");
  std::string many;
  for (int i = 0; i < 7; ++i) many += "junk\n";
  EXPECT_EQ(Headline(Check(many)),
            "In the game: 7 lines from line 1 set nothing (the game skips them).");
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
  EXPECT_TRUE(SaysAt(report, 3, "1 zone will show no plateback"));
  EXPECT_EQ(report.table.plates[9], 3);
  EXPECT_EQ(report.table.plates[7], 12);
  ASSERT_EQ(report.diagnostics.size(), 3u) << ::testing::PrintToString(Said(report));
  for (const Diagnostic& d : report.diagnostics) {
    if (d.rule != "no-plateback") {
      EXPECT_EQ(d.quote.substr(d.quote.size() - 3), "...") << d.line;
    }
  }
  EXPECT_EQ(report.setterText.at(3), "7=" + std::string(78, ' ') + "...");
}

}  // namespace
}  // namespace vexilo::check
