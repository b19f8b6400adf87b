#include "mapping_fix.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "fix_report.hpp"
#include "line_rules.hpp"
#include "mapping/mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "os.hpp"
#include "platform/platform.hpp"
#include "scratch_dir.hpp"

extern "C" int VexiloFuzzFix(const std::uint8_t* data, std::size_t size);

namespace vexilo::check {
namespace {

// The default file's 11 plate textures.
CheckOptions Eleven() {
  CheckOptions options;
  options.plates = 11;
  options.platesGiven = true;
  return options;
}

std::string Fixed(const std::string& bytes) { return FixMappingText(bytes, Eleven()).bytes; }

TEST(MappingFix, EachPlainMistakeIsMendedToWhatItMeant) {
  EXPECT_EQ(Fixed("63 5"), "63=5");
  EXPECT_EQ(Fixed("63:5"), "63=5");
  EXPECT_EQ(Fixed("0 - 62\t1 "), "0 - 62=1 ");
  EXPECT_EQ(Fixed(" debug "), " DEBUG ");
  EXPECT_EQ(Fixed("63=plateback2 ; home"), "63=1 ; home");
  EXPECT_EQ(Fixed("\xEF\xBB\xBF"
                  "63 5\n"),
            "63=5\n");
  // A mark written twice, shown without its line end as every other line is.
  const MappingFix marked = FixMappingText(
      "\xEF\xBB\xBF\xEF\xBB\xBF"
      "63=5\r\n",
      Eleven());
  EXPECT_EQ(marked.bytes, "63=5\r\n");
  EXPECT_EQ(marked.changes.at(0).after, "63=5");
  // The game reads a last CR as nothing: 3=3.
  EXPECT_EQ(Fixed("1=1\r2=2\r\n3=3\r"), "1=1\r\n2=2\r\n3=3\r");
  EXPECT_EQ(Fixed("1=1\n2=2\x1A\n3=3\n"), "1=1\n2=2\n3=3\n");
  EXPECT_EQ(Fixed(" #63=5\n// 63=4\n#JEF2=5"), " ;63=5\n; 63=4\n;JEF2=5");
}

// The zones the game sets differently in after than in before.
std::vector<std::int32_t> ZonesChanged(const std::string& before, const std::string& after) {
  const MappingTable old = ParseMappingText(before), now = ParseMappingText(after);
  std::vector<std::int32_t> zones;
  for (std::size_t zone = 0; zone < old.plates.size(); ++zone)
    if (old.plates[zone] != now.plates[zone]) zones.push_back(static_cast<std::int32_t>(zone));
  return zones;
}

TEST(MappingFix, AMendSetsOnlyTheZonesItsZoneFieldNamesAsTheGameReadsTheWholeFile) {
  const std::string verdania = "63=plateback2 ; zones 63-70 are Verdania\n";
  EXPECT_EQ(Fixed(verdania), "; zones 63-70 are Verdania\n63=1\n");
  EXPECT_EQ(ZonesChanged(verdania, Fixed(verdania)), std::vector<std::int32_t>{63});
  EXPECT_EQ(ParseMappingText(Fixed(verdania)).plates[63], 1);
  EXPECT_EQ(Fixed("63=plateback2 ; city-1"), "; city-1\n63=1");
  EXPECT_EQ(Fixed("63 5 ; zones 63-70 are Verdania"), "; zones 63-70 are Verdania\n63=5");
  EXPECT_EQ(Fixed("5=3 ; Los Santos-Red County\n"), "; Los Santos-Red County\n5=3\n");
  EXPECT_EQ(Fixed("JEFF2=3"), "JEFF2=3");
  const LineIntent zone63{LineIntent::Kind::Zones, 63, 63, 1};
  EXPECT_FALSE(ReadsAs("63=1 ; zones 63-70", zone63));
  EXPECT_TRUE(ReadsAs(";zones 63-70\n63=1", zone63));
}

TEST(MappingFix, BytesTheGameReadsAsWrittenAreLeftAndAFreedLineIsNamed) {
  EXPECT_EQ(FixMappingText("63=5\n\x1A", Eleven()).Mended(), 0u);
  EXPECT_EQ(FixMappingText("63=5\r", Eleven()).Mended(), 0u);
  const MappingFix freed = FixMappingText("1=1\x1A\nDEBUG\n4=4\n", Eleven());
  EXPECT_EQ(freed.endOfTextEffect, "the 2 lines after it will be read, DEBUG among them");
}

TEST(MappingFix, LabelsStayAsWrittenAndNoLineSelectsAPlatebackTheGameLacks) {
  const std::string text = "JEF2=5\nLA-JEF1B=1\n5=-3\n63 12\n10-5=3\n5=3 ; 5-9\n63=x\n";
  const MappingFix fix = FixMappingText(text, Eleven());
  EXPECT_EQ(fix.bytes, text);
  EXPECT_TRUE(fix.changes.empty());
  ASSERT_EQ(fix.left.size(), 2u);
  EXPECT_EQ(fix.left[0].line, 3u);
  EXPECT_NE(fix.left[0].after.find("--fix writes no negative plateback index: write 5=N, where N "
                                   "is one of 0 to 10"),
            std::string::npos);
  EXPECT_NE(fix.left[1].after.find("writing 63=12 would not help"), std::string::npos);
  CheckOptions three;
  three.plates = 3;
  three.platesGiven = true;
  EXPECT_EQ(FixMappingText("63 5\n63 2\n", three).bytes, "63 5\n63=2\n");
}

TEST(MappingFix, Utf16BecomesUtf8KeepingEveryCharacter) {
  const std::string utf16(
      "\xFF\xFE"
      "6\0"
      "3\0"
      " \0"
      "5\0"
      "\r\0"
      "\n\0"
      ";\0"
      "\xE9\0"
      "\x3D\xD8\x00\xDE",
      22);
  const MappingFix fix = FixMappingText(utf16, Eleven());
  EXPECT_TRUE(fix.decoded);
  EXPECT_EQ(fix.bytes, "63=5\r\n;\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(fix.Mended(), 2u);
  // Without its mark, and holding a letter above U+00FF, it is UTF-16 all the same.
  const MappingFix unmarked = FixMappingText(utf16.substr(2), Eleven());
  EXPECT_EQ(unmarked.bytes, fix.bytes);
  EXPECT_EQ(unmarked.lineEndsMended, 0u);
  const std::string half = utf16.substr(0, 20);
  EXPECT_EQ(FixMappingText(half, Eleven()).bytes, half);
  EXPECT_NE(FixMappingText(half, Eleven()).encodingLeft.find("line 2 holds half a character"),
            std::string::npos);
}

TEST(MappingFix, ShowsTheFirstThousandChangesAndLinesLeftAndCountsTheRest) {
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "63 5\n5=-3\n";
  const MappingFix fix = FixMappingText(text, Eleven());
  EXPECT_EQ(fix.changes.size(), kMostChangesKept);
  EXPECT_EQ(fix.left.size(), kMostChangesKept);
  EXPECT_EQ(fix.Mended(), 1500u);
  std::string out;
  FormatFix(out, "V.txt", FixedFile{FixedFile::Outcome::DryRun, fix, "", ""}, CheckReport{});
  EXPECT_NE(out.find("V.txt: 1500 lines would be mended (--dry-run: nothing written):\n"),
            std::string::npos);
  EXPECT_NE(out.find("\n... and 500 more lines mended\n"), std::string::npos);
  EXPECT_NE(out.find("\n... and 500 more lines left as they are\n"), std::string::npos);
}

TEST(MappingFix, WhatItLeavesInAnotherFileIsNamedWhereItStands) {
  CheckReport after;
  after.diagnostics.push_back({0, Severity::Warning, "set the count to 3", "", "limits.ini:2"});
  after.diagnostics.push_back({0, Severity::Warning, "no game executable here", "", ""});
  std::string out;
  FormatFix(out, "V.txt", FixedFile{FixedFile::Outcome::Written, MappingFix{}, "", ""}, after);
  EXPECT_NE(out.find("\nlimits.ini:2: set the count to 3\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nno game executable here\n"), std::string::npos) << out;
}

TEST(MappingFixFile, TheMendedFileReadsAsMeantAndTheOldIsKeptBesideIt) {
  testing::ScratchDir scratch;
  const std::string old = "63:5\r\n0-62 1\r\ndebug";
  testing::WriteFileBytes("Vexilo.txt", old);
  testing::WriteFileBytes("Vexilo.txt.bak", "an older backup");
  std::filesystem::permissions(
      "Vexilo.txt", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const FixedFile fixed = FixMappingFile("Vexilo.txt", "Vexilo.txt", Eleven());
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::Written) << fixed.problem;
  EXPECT_EQ(fixed.backup, "Vexilo.txt.bak2");
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt.bak2"), old);
  EXPECT_EQ(std::filesystem::status("Vexilo.txt.bak2").permissions(),
            std::filesystem::status("Vexilo.txt").permissions());
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63=5\r\n0-62=1\r\nDEBUG");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
}

TEST(MappingFixFile, AHardLinkIsMendedInPlaceAndASymlinkWhereItPoints) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("linked.txt", "debug\n");
  std::filesystem::create_hard_link("linked.txt", "other-name.txt");
  EXPECT_EQ(FixMappingFile("linked.txt", "linked.txt", Eleven()).outcome,
            FixedFile::Outcome::Written);
  EXPECT_EQ(testing::ReadFileBytes("other-name.txt"), "DEBUG\n");
  EXPECT_EQ(testing::ReadFileBytes("linked.txt.bak"), "debug\n");

  std::filesystem::create_directory("real");
  testing::WriteFileBytes("real/Vexilo.txt", "63 5\n");
  std::error_code cannot;
  std::filesystem::create_symlink("real/Vexilo.txt", "Vexilo.txt", cannot);
  // Windows lets only some users make symbolic links, and Wine none.
  if (cannot) GTEST_SKIP() << "no symbolic link can be made here: " << cannot.message();
  EXPECT_EQ(FixMappingFile("Vexilo.txt", "Vexilo.txt", Eleven()).outcome,
            FixedFile::Outcome::Written);
  EXPECT_TRUE(std::filesystem::is_symlink("Vexilo.txt"));
  EXPECT_EQ(testing::ReadFileBytes("real/Vexilo.txt"), "63=5\n");
  EXPECT_TRUE(std::filesystem::exists("real/Vexilo.txt.bak"));
}

TEST(MappingFixFile, AFileThatChangesWhileItIsReadIsLeftAlone) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "63 5\n");
  const auto stamp = platform::QueryFileStamp("Vexilo.txt");
  ASSERT_TRUE(stamp);
  testing::WriteFileBytes("Vexilo.txt", "63 5\n64 5\n");
  const FixedFile fixed = FixReadFile("Vexilo.txt", "V.txt", "63 5\n", *stamp, Eleven(), false);
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::LeftAlone);
  EXPECT_NE(fixed.problem.find("V.txt changed while it was read"), std::string::npos);
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63 5\n64 5\n");
  EXPECT_FALSE(std::filesystem::exists("Vexilo.txt.bak"));
}

TEST(MappingFixFile, ADryRunWritesNothing) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "63 5\n");
  EXPECT_EQ(FixMappingFile("Vexilo.txt", "V.txt", Eleven(), true).outcome,
            FixedFile::Outcome::DryRun);
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63 5\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST(MappingFixFile, ATryThatFailsAfterTheBackupTakesTheBackupAlong) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "63 5\n");
  std::filesystem::create_directory("Vexilo.txt.new");
  for (int n = 2; n <= 1000; ++n)
    std::filesystem::create_directory("Vexilo.txt.new" + std::to_string(n));
  const FixedFile fixed = FixMappingFile("Vexilo.txt", "V.txt", Eleven());
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::LeftAlone);
  EXPECT_NE(fixed.problem.find("is taken"), std::string::npos) << fixed.problem;
  EXPECT_FALSE(std::filesystem::exists("Vexilo.txt.bak"));
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63 5\n");
}

TEST(MappingFixFile, AReadOnlyFileIsLeftAlone) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "63 5\n");
  std::filesystem::permissions("Vexilo.txt", std::filesystem::perms::owner_read);
  const FixedFile fixed = FixMappingFile("Vexilo.txt", "V.txt", Eleven());
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::LeftAlone);
  EXPECT_EQ(fixed.problem.substr(0, 46), "V.txt is read-only; V.txt is left as it was: c");
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63 5\n");
  EXPECT_FALSE(std::filesystem::exists("Vexilo.txt.bak"));
}

TEST(MappingFixFuzzer, FindsNoFaultInItsRegressionsOrTheReadersCorpus) {
  std::size_t files = 0;
  for (const char* folder : {"fix-regressions", "corpus"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(VEXILO_FUZZ_DIR) / folder)) {
      const std::string bytes = testing::ReadFileBytes(entry.path());
      VexiloFuzzFix(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++files;
    }
  }
  EXPECT_GE(files, 4u);
}

TEST(FixOffer, SaysHowManyLinesAndThatABackupIsKept) {
  EXPECT_EQ(FixOffer(3),
            "Press F and Enter to fix 3 lines (a backup is kept), or just Enter to leave the file "
            "as it is.");
}

}  // namespace
}  // namespace vexilo::check
