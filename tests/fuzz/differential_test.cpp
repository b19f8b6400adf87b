#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/backward_mapping_reader.hpp"
#include "core/mapping_format.hpp"
#include "scratch_dir.hpp"
#include "simple_reading.hpp"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

MappingTable ReadFromTheEnd(const std::string& bytes, std::size_t piece) {
  MappingTable table;
  BackwardMappingReader reader(table);
  for (std::size_t end = bytes.size(); end > 0;) {
    const std::size_t start = end > piece ? end - piece : 0;
    reader.FeedPreceding(std::string_view(bytes).substr(start, end - start));
    end = start;
  }
  reader.Finish();
  return table;
}

void ExpectTable(const MappingTable& table, const testing::SimpleTable& expected, const std::string& what) {
  EXPECT_EQ(table.debug, expected.debug) << what;
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    ASSERT_EQ(table.plates[zone], expected.plates[zone]) << what << ", zone " << zone;
  }
}

// Forward in one piece, and from the end in pieces of several sizes.
void ExpectSameReading(const std::string& bytes, const std::string& what) {
  const testing::SimpleTable expected = testing::ReadSimply(bytes);
  ExpectTable(ParseMappingText(bytes), expected, what);
  for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{64}, bytes.size() + 1}) {
    ExpectTable(ReadFromTheEnd(bytes, piece), expected, what + ", read from the end in pieces of " + std::to_string(piece));
    if (::testing::Test::HasFailure()) return;
  }
}

// The fuzzer's seeds and every input it ever failed on.
TEST(DifferentialReading, AgreesOnTheSeedCorpusAndEveryKeptRegression) {
  int files = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(VEXILO_FUZZ_DIR) / folder)) {
      if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
      ExpectSameReading(testing::ReadFileBytes(entry.path()), entry.path().filename().string());
      ++files;
    }
  }
  EXPECT_GE(files, 5);
}

// Lines built from the format's own pieces, so that most of them mean something.
TEST(DifferentialReading, AgreesOnRandomFilesOfTheFormatsPieces) {
  const std::string pieces[] = {"0", "5", "62", "376", "377", "4000", "2147483647", "2147483648", "-", "=", "+",
                                " ", "\t", ";", "DEBUG", "debug", "\r", "\n", "\r\n", "\x1A", "\xEF\xBB\xBF", "x",
                                "0x1", std::string(1, '\0'), "\xFF", "99999999999999999999"};
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

// Read from the end, a file is searched for little but 'D' and 0x1A once
// its last lines have set every entry: what comes before them must still
// count where it can.
TEST(DifferentialReading, AgreesWhenEarlierLinesCanOnlyTurnDebugOnOrEndTheText) {
  const std::string settle = "0-376=5\r\n";
  const std::string befores[] = {"DEBUG\r\n", " DEBUG \n", "DEBUG\r\r\n", "xDEBUG\n", "D\n", "DEBUG",
                                 "1=1\x1A\n", "\x1A", "DEBUG\n\x1A", "7=7\n", ";DEBUG\n", "DEBUG\r",
                                 "DEBUG\r\x1A"};
  const std::string afters[] = {"", "6=6\n", "DEBUG\n", "\x1A" "DEBUG\n", "7", "\nDEBUG\r\x1A\n"};
  int files = 0;
  for (const std::string& before : befores) {
    for (const std::string& after : afters) {
      for (const std::string& filler : {std::string(), std::string(200, ';') + "\n", std::string(100, ' ')}) {
        ExpectSameReading(before + filler + settle + after, "[" + before + "][filler][settle][" + after + "]");
        ExpectSameReading(filler + before + settle + after, "[filler][" + before + "][settle][" + after + "]");
        files += 2;
      }
    }
  }
  EXPECT_EQ(files, 13 * 6 * 3 * 2);
}

TEST(BackwardMappingReader, LeavesTheEntriesNoLineSetsAsTheyWere) {
  MappingTable table;
  table.plates.fill(7);
  BackwardMappingReader reader(table);
  reader.FeedPreceding("5=1\n6=\n");
  reader.FeedPreceding("4-5=2\n");
  reader.Finish();
  EXPECT_EQ(table.plates[4], 2);
  EXPECT_EQ(table.plates[5], 1) << "the later line wins";
  EXPECT_EQ(table.plates[6], 7) << "a line without a value sets nothing";
  EXPECT_EQ(table.plates[376], 7);
  EXPECT_FALSE(table.debug);
}

}  // namespace
}  // namespace vexilo
