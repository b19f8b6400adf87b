#include "mapping/default_mapping_file.hpp"

#include <gtest/gtest.h>

#include <string>

#include "mapping/mapping_format.hpp"
#include "scratch_dir.hpp"

namespace vexilo {
namespace {

struct DefaultRun {
  int from;
  int to;
  std::int32_t plate;
};

// The default mappings as users are told of them: every zone once, no gap.
constexpr DefaultRun kDefaultRuns[] = {
    {0, 62, 1},    {63, 63, 0},   {64, 146, 1},  {147, 161, 2}, {162, 209, 3}, {210, 231, 4},
    {232, 240, 5}, {241, 330, 6}, {331, 339, 7}, {340, 356, 8}, {357, 363, 9}, {364, 376, 10},
};

// The checked-in copy pins every byte; its shape is checked as well, so that
// the copy cannot be changed along with the code into something users were
// never told of.
TEST(DefaultMappingFile, IsTheDocumentedFileByteForByteIn58CrLfLines) {
  const std::string text = DefaultMappingFileText();
  const std::string expected = testing::ReadFileBytes(VEXILO_TEST_DATA_DIR "/default-Vexilo.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(text, expected);
  int lines = 0;
  for (std::size_t at = 0; at < text.size(); ++lines) {
    const std::size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "line " << lines + 1 << " has no line end";
    ASSERT_GT(end, at);
    EXPECT_EQ(text[end - 1], '\r') << "line " << lines + 1;
    EXPECT_EQ(text.find('\r', at), end - 1) << "a lone CR in line " << lines + 1;
    at = end + 1;
  }
  EXPECT_EQ(lines, 58);
  EXPECT_NE(text.find(std::string(kLimitAdjusterAddress) + "\r\n"), std::string::npos);
  EXPECT_NE(text.find(std::string(kZoneListAddress) + "\r\n"), std::string::npos);
}

TEST(DefaultMappingFile, GivesEveryZoneItsDocumentedPlatebackAndNoDebug) {
  const MappingTable table = ParseMappingText(DefaultMappingFileText());
  EXPECT_FALSE(table.debug) << "the readme holds the switch only as \";DEBUG\"";
  for (const DefaultRun& run : kDefaultRuns) {
    for (int zone = run.from; zone <= run.to; ++zone) {
      EXPECT_EQ(table.plates[static_cast<std::size_t>(zone)], run.plate) << "zone " << zone;
    }
  }
}

TEST(DefaultMappingFile, OnlyItsLast12LinesSetAnything) {
  const std::string text = DefaultMappingFileText();
  std::size_t at = 0;
  for (int line = 1; line <= 58; ++line) {
    const std::size_t end = text.find("\r\n", at);
    const MappingLine parsed = ParseMappingLine(std::string_view(text).substr(at, end - at));
    if (line <= 46) {
      EXPECT_EQ(parsed.kind, LineKind::Comment) << "line " << line;
    } else {
      EXPECT_TRUE(parsed.kind == LineKind::Range || parsed.kind == LineKind::Exact)
          << "line " << line;
      EXPECT_EQ(parsed.malformed, LineField::None) << "line " << line;
    }
    at = end + 2;
  }
}

}  // namespace
}  // namespace vexilo
