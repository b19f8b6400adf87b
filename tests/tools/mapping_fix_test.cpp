#include "mapping_fix.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "mapping/mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "scratch_dir.hpp"

namespace vexilo::check {
namespace {

std::string Fixed(const std::string& bytes) { return FixMappingText(bytes).bytes; }

TEST(MappingFix, EachPlainMistakeIsMendedToWhatItMeant) {
  EXPECT_EQ(Fixed("JEF2=5"), "63=5");
  EXPECT_EQ(Fixed(" jef2 = 5 ; home"), " 63 = 5 ; home");
  EXPECT_EQ(Fixed("LA-JEF1B=1"), "0-62=1");
  EXPECT_EQ(Fixed("63 5"), "63=5");
  EXPECT_EQ(Fixed("0 - 62\t1 "), "0 - 62=1 ");
  EXPECT_EQ(Fixed("5=-3"), "5-5=-3");
  EXPECT_EQ(Fixed("\xEF\xBB\xBF"
                  "63 5\n"),
            "63=5\n");
}

TEST(MappingFix, LinesWhoseMeaningIsNotPlainAreLeft) {
  const std::string text =
      "debug\nCITYS=2\n5=JEF2\n99999999999=1\n10-5=3\nJEF2=5 ; a-b\n63 5 6\n5=3 ; 5-9\n63=x\n";
  const MappingFix fix = FixMappingText(text);
  EXPECT_EQ(fix.bytes, text);
  EXPECT_TRUE(fix.changes.empty());
}

TEST(MappingFix, EveryOtherByteStaysAsItWas) {
  const MappingFix fix = FixMappingText(
      ";JEF2=5\r\n\r\nJEF2=5\r\n 1=1\n63 5\x1A"
      "63 5\n");
  EXPECT_EQ(fix.bytes,
            ";JEF2=5\r\n\r\n63=5\r\n 1=1\n63=5\x1A"
            "63 5\n");
  ASSERT_EQ(fix.changes.size(), 2u);
  EXPECT_EQ(fix.changes[0].line, 3u);
  EXPECT_EQ(fix.changes[0].before, "JEF2=5");
  EXPECT_EQ(fix.changes[0].after, "63=5");
}

TEST(MappingFix, Utf16BecomesSingleByteTextOnlyWhenEveryCharacterFits) {
  const std::string utf16(
      "\xFF\xFE"
      "6\0"
      "3\0"
      " \0"
      "5\0"
      "\r\0"
      "\n\0"
      ";\0",
      16);
  const MappingFix fix = FixMappingText(utf16);
  EXPECT_TRUE(fix.decoded);
  EXPECT_EQ(fix.bytes, "63=5\r\n;");
  EXPECT_EQ(fix.Mended(), 2u);
  const std::string wide = utf16 + std::string("\xE9\0", 2);
  const MappingFix left = FixMappingText(wide);
  EXPECT_EQ(left.bytes, wide);
  EXPECT_NE(left.encodingLeft.find("line 2 holds a character that does not fit"),
            std::string::npos);
}

TEST(MappingFixFile, TheMendedFileReadsAsMeantAndTheOldIsKeptBesideIt) {
  testing::ScratchDir scratch;
  const std::string old = "JEF2=5\r\n0-62 1\r\n5=-3\r\ndebug";
  testing::WriteFileBytes("Vexilo.txt", old);
  testing::WriteFileBytes("Vexilo.txt.bak", "an older backup");
  const FixedFile fixed = FixMappingFile("Vexilo.txt", "Vexilo.txt");
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::Written) << fixed.problem;
  EXPECT_EQ(fixed.backup, "Vexilo.txt.bak2");
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt.bak2"), old);
  MappingTable table;
  ASSERT_EQ(ReadMappingFile("Vexilo.txt", table), FileReading::Read);
  EXPECT_EQ(table.plates, ParseMappingText("63=5\n0-62=1\n5-5=-3\n").plates);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);
}

TEST(MappingFixFile, AReadOnlyFileIsLeftAlone) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "63 5\n");
  std::filesystem::permissions("Vexilo.txt", std::filesystem::perms::owner_read);
  const FixedFile fixed = FixMappingFile("Vexilo.txt", "V.txt");
  EXPECT_EQ(fixed.outcome, FixedFile::Outcome::LeftAlone);
  EXPECT_EQ(fixed.problem.substr(0, 46), "V.txt is read-only; V.txt is left as it was: c");
  EXPECT_EQ(testing::ReadFileBytes("Vexilo.txt"), "63 5\n");
  EXPECT_FALSE(std::filesystem::exists("Vexilo.txt.bak"));
}

TEST(FixOffer, SaysHowManyLinesAndThatABackupIsKept) {
  EXPECT_EQ(FixOffer(3),
            "Press F and Enter to fix 3 lines (a backup is kept), or just Enter to leave the file "
            "as it is.");
}

}  // namespace
}  // namespace vexilo::check
