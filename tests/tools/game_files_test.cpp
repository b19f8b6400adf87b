#include "game_files.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_dir.hpp"

namespace vexilo::check {
namespace {

using testing::WriteFileBytes;

TEST(FindPlateCount, TheIniBesideItsPluginWinsAndACopyNever) {
  testing::ScratchDir scratch;
  WriteFileBytes("limits - Copy.ini", "Number of plate textures = 11\n");
  WriteFileBytes("limits.ini", "#Number of plate textures = 11\n");
  WriteFileBytes("other.ini", "Number of plate textures = 20\n");
  WriteFileBytes("limits.asi", "");
  std::optional<PlateCount> count = FindPlateCount("");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->file, "limits.ini");
  EXPECT_FALSE(count->on);
  EXPECT_EQ(count->count, 3);
  EXPECT_FALSE(count->guessed);
  EXPECT_EQ(count->others, (std::vector<std::string>{
                               "other.ini line 1 (20), read by no plug-in",
                               "limits - Copy.ini line 1 (11), a copy the game does not read"}));
  // Without the plug-in, none is plainly the one: the lowest is judged.
  std::filesystem::remove("limits.asi");
  count = FindPlateCount("");
  EXPECT_EQ(count->file, "limits.ini");
  EXPECT_TRUE(count->guessed);
}

TEST(FindPlateCount, ASecondCountLineInOneFileIsNamedAndTheLowestJudged) {
  testing::ScratchDir scratch;
  WriteFileBytes("limits.ini", "Number of plate textures = 11\r\nNumber of plate textures = 5\r\n");
  const std::optional<PlateCount> count = FindPlateCount("");
  ASSERT_TRUE(count);
  EXPECT_EQ(count->line, 2u);
  EXPECT_EQ(count->count, 5);
  EXPECT_TRUE(count->guessed);
  EXPECT_EQ(count->others, std::vector<std::string>{"limits.ini line 1 (11)"});
}

}  // namespace
}  // namespace vexilo::check
