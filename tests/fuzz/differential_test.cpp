#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "mapping/mapping_format.hpp"
#include "scratch_dir.hpp"
#include "simple_reading.hpp"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

MappingTable ReadInPieces(const std::string& bytes, std::size_t piece) {
  MappingTable table;
  MappingReader reader(table);
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    reader.Feed(std::string_view(bytes).substr(at, piece));
  reader.Finish();
  return table;
}

void ExpectTable(const MappingTable& table, const testing::SimpleTable& expected,
                 const std::string& what) {
  EXPECT_EQ(table.debug, expected.debug) << what;
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    ASSERT_EQ(table.plates[zone], expected.plates[zone]) << what << ", zone " << zone;
  }
}

// In one piece, and in pieces of several sizes, so that lines, line ends
// and fields are cut everywhere.
void ExpectSameReading(const std::string& bytes, const std::string& what) {
  const testing::SimpleTable expected = testing::ReadSimply(bytes);
  ExpectTable(ParseMappingText(bytes), expected, what);
  for (const std::size_t piece :
       {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{64}}) {
    ExpectTable(ReadInPieces(bytes, piece), expected,
                what + ", read in pieces of " + std::to_string(piece));
    if (::testing::Test::HasFailure()) return;
  }
}

// The fuzzer's seeds and every input it ever failed on.
TEST(DifferentialReading, AgreesOnTheSeedCorpusAndEveryKeptRegression) {
  int files = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(VEXILO_FUZZ_DIR) / folder)) {
      if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
      ExpectSameReading(testing::ReadFileBytes(entry.path()), entry.path().filename().string());
      ++files;
    }
  }
  EXPECT_GE(files, 5);
}

// Lines built from the format's own pieces, so that most of them mean something.
TEST(DifferentialReading, AgreesOnRandomFilesOfTheFormatsPieces) {
  const std::string pieces[] = {"0",
                                "5",
                                "62",
                                "376",
                                "377",
                                "4000",
                                "2147483647",
                                "2147483648",
                                "-",
                                "=",
                                "+",
                                " ",
                                "\t",
                                ";",
                                "DEBUG",
                                "debug",
                                "\r",
                                "\n",
                                "\r\n",
                                "\x1A",
                                "\xEF\xBB\xBF",
                                "x",
                                "0x1",
                                std::string(1, '\0'),
                                "\xFF",
                                "99999999999999999999"};
  std::mt19937 random(6);
  for (int file = 0; file < 3000; ++file) {
    std::string bytes;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      bytes += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    }
    ExpectSameReading(bytes, "random file " + std::to_string(file));
    if (::testing::Test::HasFailure()) break;
  }
}

// Every line cut in two at every byte: the reader then keeps only what it
// has learnt of the line's first part.
TEST(DifferentialReading, AgreesWhereverAPieceEndsWithinALine) {
  const std::string lines[] = {"  0 - 62 = 1 ;x",
                               "5=-3",
                               "\tDEBUG  ",
                               "DEBUG\r",
                               "DEBU",
                               "5=3\r\r",
                               "-5=1",
                               "=5",
                               "+-5=1",
                               "0000000000004294967297=1",
                               "-=",
                               "1--2=3",
                               "1=2-",
                               "7=+\v8",
                               "\r\n\r",
                               "2147483647=2147483647",
                               "0-1=-2147483648",
                               "0-1=-2147483649",
                               "\x1A",
                               "1=1\x1A"
                               "2=2"};
  int files = 0;
  for (const std::string& line : lines) {
    for (const char* lineEnd : {"\r\n", "\n", ""}) {
      const std::string bytes = "1=9\n" + line + lineEnd;
      const testing::SimpleTable expected = testing::ReadSimply(bytes);
      for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        MappingTable table;
        MappingReader reader(table);
        reader.Feed(std::string_view(bytes).substr(0, cut));
        reader.Feed(std::string_view(bytes).substr(cut));
        reader.Finish();
        ExpectTable(table, expected,
                    "[" + line + "] + [" + lineEnd + "] cut at " + std::to_string(cut));
        ++files;
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  EXPECT_GT(files, 20 * 3 * 10);
}

}  // namespace
}  // namespace vexilo
