#include "mapping/mapping_format.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "scratch_dir.hpp"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

TEST(MappingLine, IsSortedIntoItsKindAfterTrimmingBlanks) {
  EXPECT_EQ(ParseMappingLine("").kind, LineKind::Blank);
  EXPECT_EQ(ParseMappingLine(" \t ").kind, LineKind::Blank);
  EXPECT_EQ(ParseMappingLine("  ;0-62=1").kind, LineKind::Comment);
  EXPECT_EQ(ParseMappingLine("\tDEBUG  ").kind, LineKind::Debug);
  EXPECT_EQ(ParseMappingLine("0-62=1").kind, LineKind::Range);
  EXPECT_EQ(ParseMappingLine("=1-").kind, LineKind::Range);
  EXPECT_EQ(ParseMappingLine("63=0").kind, LineKind::Exact);
  for (const char* other : {"debug", "DEBUG ON", "DEBUGX", "0-62", "LA", "\xEF\xBB\xBF;comment"}) {
    EXPECT_EQ(ParseMappingLine(other).kind, LineKind::Other) << other;
  }
}

TEST(MappingLine, ReadsTheFieldsOfARangeAndOfAnExactLine) {
  const MappingLine range = ParseMappingLine(" 0 - 62 = 1 ");
  EXPECT_EQ(range.kind, LineKind::Range);
  EXPECT_EQ(range.first, 0);
  EXPECT_EQ(range.last, 62);
  EXPECT_EQ(range.value, 1);
  const MappingLine exact = ParseMappingLine("5=3 ; note");
  EXPECT_EQ(exact.kind, LineKind::Exact);
  EXPECT_EQ(exact.first, 5);
  EXPECT_EQ(exact.value, 3);
  // "5=-3" holds a '-': start "5=", end "3", value "-3".
  const MappingLine reversed = ParseMappingLine("5=-3");
  EXPECT_EQ(reversed.kind, LineKind::Range);
  EXPECT_EQ(reversed.first, 5);
  EXPECT_EQ(reversed.last, 3);
  EXPECT_EQ(reversed.value, -3);
  EXPECT_EQ(reversed.malformed, LineField::None);
}

TEST(MappingLine, AZoneLabelIsAWholeFieldBeforeTheFirstEqualsInAnyCase) {
  const struct {
    const char* line;
    std::int32_t first, last, value;
  } named[] = {
      {"JEF2=5", 63, 63, 5},           {" jef2 = 6 ; home", 63, 63, 6}, {"LA-JEF1B=2", 0, 62, 2},
      {"SF - SFAIR5 = 3", 162, 209, 3}, {"CITYS=7", 110, 110, 7},       {"red\t=\t8", 147, 147, 8},
      {"7=4 ; zones 7-9", 7, 9, 4},
  };
  for (const auto& line : named) {
    const MappingLine read = ParseMappingLine(line.line);
    EXPECT_EQ(read.malformed, LineField::None) << line.line;
    EXPECT_EQ(read.first, line.first) << line.line;
    EXPECT_EQ(read.last, line.last) << line.line;
    EXPECT_EQ(read.value, line.value) << line.line;
  }
  // What the format skipped before labels stays skipped: a commented-out
  // label, a label with more to it, a zone word in a note after the value.
  for (const char* skipped : {"#JEF2=5", "//JEF2=5", "JEF2x=4", "5=3 ; Los Santos-Red County",
                              "6=2 ; zones LA-SF", "NOWHERE=1", "5=JEF2", "J EF2=1"}) {
    EXPECT_FALSE(SetsAnyZone(ParseMappingLine(skipped))) << skipped;
  }
}

TEST(MappingLine, ALabelFieldOfAnyLengthIsReadSafely) {
  for (std::size_t length : {10u, 100u, 100000u}) {
    const std::string letters(length, 'A');
    for (const std::string& line : {letters + "=1", letters + "-" + letters + "=1",
                                    "0-" + letters + "=1", letters + "-5=1"}) {
      EXPECT_NE(ParseMappingLine(line).malformed, LineField::None) << length;
      EXPECT_EQ(ParseMappingText(line).plates, MappingTable{}.plates) << length;
    }
  }
}

TEST(MappingLine, NamesTheFirstFieldWithoutADigitOrOutOfRange) {
  EXPECT_EQ(ParseMappingLine("=5").malformed, LineField::Index);
  EXPECT_EQ(ParseMappingLine("5=").malformed, LineField::Value);
  EXPECT_EQ(ParseMappingLine("5=x").malformed, LineField::Value);
  EXPECT_EQ(ParseMappingLine("-5=1").malformed, LineField::Start);
  EXPECT_EQ(ParseMappingLine("1-=2").malformed, LineField::End);
  EXPECT_EQ(ParseMappingLine("1-2=").malformed, LineField::Value);
  EXPECT_EQ(ParseMappingLine("a-b=c").malformed, LineField::Start);
  EXPECT_EQ(ParseMappingLine("2147483648=1").malformed, LineField::Index);
  EXPECT_EQ(ParseMappingLine("0-1=-2147483649").malformed, LineField::Value);
  EXPECT_EQ(ParseMappingLine("1=" + std::string(5000, '9')).malformed, LineField::Value);
}

TEST(NumberField, ReadsDecimalDigitsAfterBlanksAndASign) {
  std::int32_t n = 0;
  EXPECT_EQ(ReadNumberField(" \t\v\f\r\n+42xyz", n), NumberStatus::Ok);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(ReadNumberField("0x10", n), NumberStatus::Ok);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(ReadNumberField("-2147483648", n), NumberStatus::Ok);
  EXPECT_EQ(n, INT32_MIN);
  EXPECT_EQ(ReadNumberField("2147483647", n), NumberStatus::Ok);
  EXPECT_EQ(n, INT32_MAX);
  EXPECT_EQ(ReadNumberField("000000000000000000007", n), NumberStatus::Ok);
  EXPECT_EQ(n, 7);
  n = 99;
  EXPECT_EQ(ReadNumberField("2147483648", n), NumberStatus::OutOfRange);
  EXPECT_EQ(ReadNumberField("- 5", n), NumberStatus::NoDigit);
  EXPECT_EQ(ReadNumberField("+-5", n), NumberStatus::NoDigit);
  EXPECT_EQ(ReadNumberField("", n), NumberStatus::NoDigit);
  EXPECT_EQ(n, 99) << "a failed read leaves the number alone";
}

TEST(NumberField, RunsOfTenDigitsOrMoreAreCheckedWhereverThirtyTwoBitsWouldWrap) {
  std::int32_t n = 0;
  EXPECT_EQ(ReadNumberField("999999999", n), NumberStatus::Ok);
  EXPECT_EQ(n, 999999999);
  EXPECT_EQ(ReadNumberField("1000000000", n), NumberStatus::Ok);
  EXPECT_EQ(n, 1000000000);
  EXPECT_EQ(ReadNumberField("-00000000002147483648", n), NumberStatus::Ok);
  EXPECT_EQ(n, INT32_MIN);
  n = 99;
  // Each of these would read as a small number once wrapped to 32 bits.
  for (const char* field : {"4294967297", "-4294967297", "4294967296", "3000000000", "-2147483649",
                            "12345678901", "00000000004294967301"}) {
    EXPECT_EQ(ReadNumberField(field, n), NumberStatus::OutOfRange) << field;
  }
  EXPECT_EQ(n, 99);
  EXPECT_EQ(ParseMappingLine("4294967297=1").malformed, LineField::Index);
  EXPECT_EQ(ParseMappingLine("1-4294967298=1").malformed, LineField::End);
}

// A table as the fixture files beside the format's corner cases spell it:
// the debug switch, then every run of zones that share a plateback index.
std::string TableText(const MappingTable& table) {
  std::string text = table.debug ? "debug: on\n" : "debug: off\n";
  for (std::size_t first = 0; first < table.plates.size();) {
    std::size_t last = first;
    while (last + 1 < table.plates.size() && table.plates[last + 1] == table.plates[first]) ++last;
    text +=
        first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
    text += ": " + std::to_string(table.plates[first]) + "\n";
    first = last + 1;
  }
  return text;
}

// The text handed to the reader a byte at a time, so that every line and
// line end is cut everywhere.
MappingTable ReadByteByByte(const std::string& bytes, LineObserver* observer = nullptr) {
  MappingTable table;
  std::size_t at = 0;
  EXPECT_TRUE(ReadMappingText(
      [&](char* buffer, std::size_t) {
        if (at == bytes.size()) return std::ptrdiff_t{0};
        *buffer = bytes[at++];
        return std::ptrdiff_t{1};
      },
      table, observer));
  return table;
}

// tests/data/format: each NAME.txt beside the table NAME.table that it gives,
// read whole and a byte at a time.
TEST(MappingText, EveryFixtureFileGivesTheTableBesideIt) {
  int fixtures = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(VEXILO_TEST_DATA_DIR "/format")) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = testing::ReadFileBytes(entry.path());
    fs::path tablePath = entry.path();
    const std::string expected = testing::ReadFileBytes(tablePath.replace_extension(".table"));
    ASSERT_FALSE(expected.empty()) << "no " << tablePath.filename().string();
    EXPECT_EQ(TableText(ParseMappingText(bytes)), expected);
    EXPECT_EQ(TableText(ReadByteByByte(bytes)), expected);
    ++fixtures;
  }
  EXPECT_GE(fixtures, 20);
}

// Every line reaches an observer whole, however long, numbered in order:
// the texts and their line ends give the text back up to its byte 0x1A.
class LineRecorder : public LineObserver {
 public:
  void OnLine(std::size_t number, std::string_view text, const MappingLine&) override {
    EXPECT_EQ(number, ++lines);
    joined.append(text).append("\n");
  }
  void OnEndOfText(std::size_t number) override { endOfText = number; }

  std::size_t lines = 0;
  std::size_t endOfText = 0;
  std::string joined;
};

TEST(MappingText, AnObserverGetsEveryLineWholeAndWhereTheTextEnded) {
  const std::string longLine = "5=3 ;" + std::string(100000, 'x');
  LineRecorder recorder;
  ReadByteByByte("1=1\r\n" + longLine + "\n\r\n7=\x1A" + "8=8\n", &recorder);
  EXPECT_EQ(recorder.joined, "1=1\n" + longLine + "\n\n7=\n");
  EXPECT_EQ(recorder.endOfText, 4u);
  LineRecorder atLineStart;
  ParseMappingText("1=1\n\x1A", &atLineStart);
  EXPECT_EQ(atLineStart.endOfText, 2u);
}

TEST(MappingText, AReadErrorAfterSomeLinesIsAFailureNotTheEnd) {
  MappingTable table;
  int reads = 0;
  EXPECT_FALSE(ReadMappingText(
      [&reads](char* buffer, std::size_t) -> std::ptrdiff_t {
        if (reads++ > 0) return -1;
        buffer[0] = '5';
        buffer[1] = '\n';
        return 2;
      },
      table));
}

// The fuzzer's seeds and every input it ever failed on, replayed on the
// 32-bit builds: read whole and a byte at a time, they give one table.
TEST(MappingText, TheFuzzersKeptInputsReadTheSameInAnyPieces) {
  int files = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(VEXILO_FUZZ_DIR) / folder)) {
      if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
      const std::string bytes = testing::ReadFileBytes(entry.path());
      EXPECT_EQ(TableText(ReadByteByByte(bytes)), TableText(ParseMappingText(bytes)))
          << entry.path().filename().string();
      ++files;
    }
  }
  EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace vexilo
