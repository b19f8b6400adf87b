#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/mapping_format.hpp"
#include "scratch_dir.hpp"
#include "simple_reading.hpp"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

void ExpectSameReading(const std::string& bytes, const std::string& what) {
  const testing::SimpleTable expected = testing::ReadSimply(bytes);
  const MappingTable table = ParseMappingText(bytes);
  EXPECT_EQ(table.debug, expected.debug) << what;
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    ASSERT_EQ(table.plates[zone], expected.plates[zone]) << what << ", zone " << zone;
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

}  // namespace
}  // namespace vexilo
