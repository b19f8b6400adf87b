#include "mapping/mapping_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "allocation_counter.hpp"
#include "core/load_mappings.hpp"
#include "core/mappings.hpp"
#include "mapping/default_mapping_file.hpp"
#include "scratch_dir.hpp"
#ifndef _WIN32
#include "file_size_limit.hpp"
#endif
#if defined(__linux__)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vexilo {
namespace {

std::array<std::int32_t, kZoneCount> Filled(std::int32_t plate) {
  std::array<std::int32_t, kZoneCount> plates{};
  plates.fill(plate);
  return plates;
}

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// Each test starts from tables that a previous load has dirtied.
class LoadMappingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StoreMappings(Filled(-7));
    debugEnabled = false;
  }
  ScratchDir scratch_;
};

TEST_F(LoadMappingsTest, WritesTheDefaultFileWhenThereIsNoneAndLoadsIt) {
  LoadMappings();
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), DefaultMappingFileText());
  EXPECT_EQ(plateMappings[0], 1);
  EXPECT_EQ(plateMappings[63], 0);
  EXPECT_EQ(plateMappings[100], 1);
  EXPECT_EQ(plateMappings[376], 10);
  EXPECT_FALSE(debugEnabled);
}

TEST_F(LoadMappingsTest, ReadsAnExistingFileAndNeverRewritesIt) {
  const std::string mine = "DEBUG\r\n5=7\n; my notes, no line end";
  WriteFileBytes("Vexilo.txt", mine);
  LoadMappings();
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), mine);
  EXPECT_TRUE(debugEnabled);
  EXPECT_EQ(plateMappings[5], 7);
  EXPECT_EQ(plateMappings[0], 0) << "every load starts from an all-zero table";
}

TEST_F(LoadMappingsTest, AnEmptyFileMapsEveryZoneToZero) {
  WriteFileBytes("Vexilo.txt", "");
  LoadMappings();
  for (std::int32_t plate : plateMappings) EXPECT_EQ(plate, 0);
  EXPECT_FALSE(debugEnabled);
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), "");
}

TEST_F(LoadMappingsTest, ReadsAFileLargerThanOneReadInPieces) {
  std::string text(200000, ' ');
  text += "1=2\n";
  text += std::string(300000, '\n');
  text += "376=5";
  WriteFileBytes("Vexilo.txt", text);
  LoadMappings();
  EXPECT_EQ(plateMappings[1], 2);
  EXPECT_EQ(plateMappings[376], 5);
}

TEST_F(LoadMappingsTest, LeavesAPathThatCannotBeOpenedAsItIs) {
  fs::create_directory("Vexilo.txt");
  fs::create_directory("Vexilo.txt/inside");
#ifndef _WIN32
  ::testing::internal::CaptureStderr();
#endif
  LoadMappings();
#ifndef _WIN32
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: Failed to open TXT file: .\\Vexilo.txt\n");
#endif
  EXPECT_TRUE(fs::is_directory("Vexilo.txt/inside"));
  for (std::int32_t plate : plateMappings) EXPECT_EQ(plate, 0);
}

#ifndef _WIN32
TEST_F(LoadMappingsTest, TellsOfBothFailuresInOrderWhenTheFolderIsGone) {
  // The working folder no longer exists, so nothing can be created in it,
  // whatever the user's rights.
  fs::remove(scratch_.path());
  ::testing::internal::CaptureStderr();
  LoadMappings();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: Failed to create TXT file: .\\Vexilo.txt\n"
            "Error: Failed to open TXT file: .\\Vexilo.txt\n");
  for (std::int32_t plate : plateMappings) EXPECT_EQ(plate, 0);
}

TEST_F(LoadMappingsTest, ADefaultFileWrittenOnlyInPartIsRemovedAndReported) {
  ::testing::internal::CaptureStderr();
  {
    testing::FileSizeLimit limit(1000);
    LoadMappings();
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: Failed to create TXT file: .\\Vexilo.txt\n"
            "Error: Failed to open TXT file: .\\Vexilo.txt\n");
  EXPECT_FALSE(fs::exists("Vexilo.txt")) << "the next start must write the defaults again";
  LoadMappings();
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), DefaultMappingFileText());
}
#endif

// Peak heap bytes while reading a file, above what was in use before.
std::size_t PeakWhileReading(const std::string& text) {
  WriteFileBytes("Vexilo.txt", text);
  MappingTable table;
  const std::size_t before = testing::LiveBytes();
  testing::ResetPeakBytes();
  EXPECT_EQ(ReadMappingFile("Vexilo.txt", table), FileReading::Read);
  return testing::PeakBytes() - before;
}

std::string Lines(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i)
    text += i % 3 == 0 ? "5=3\n" : i % 3 == 1 ? "0-376=2\n" : ";note\n";
  return text;
}

TEST(ReadMappingFile, NeedsMemoryForItsLongestLineAndNotForItsLength) {
  ScratchDir scratch;
  const std::size_t some = PeakWhileReading(Lines(100000));
  const std::size_t tenTimesAsMany = PeakWhileReading(Lines(1000000));
  const std::size_t longLine = 4 * 1024 * 1024;
  const std::size_t oneLongLine = PeakWhileReading(std::string(longLine, ' ') + "5=3\n");
  EXPECT_EQ(tenTimesAsMany, some);
  EXPECT_LT(some, 16u * 1024);
  EXPECT_GT(oneLongLine, longLine) << "a line is held whole";
  EXPECT_LT(oneLongLine, 3 * longLine + 16 * 1024) << "a string doubles as it grows";
}

#if defined(__linux__)
// A process's command line in /proc tells a size of 0 and still holds
// bytes: here a shell's, whose name argument holds mapping lines.
TEST(ReadMappingFile, ReadsAFileThatTellsNoSizeToItsEnd) {
  char shell[] = "/bin/sh";
  char command[] = "-c";
  char script[] = "sleep 30";
  char name[] = "\n5=3\n7-8=4\n";
  char* argv[] = {shell, command, script, name, nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, shell, nullptr, nullptr, argv, environ), 0);
  const std::string path = "/proc/" + std::to_string(child) + "/cmdline";
  // Under emulation the spawn may return before the child has become the shell.
  for (int wait = 0; wait < 500 && ReadFileBytes(path).rfind(shell, 0) != 0; ++wait) usleep(10000);
  MappingTable table;
  const bool read = ReadMappingFile(path, table) == FileReading::Read;
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(read);
  EXPECT_EQ(table.plates[5], 3);
  EXPECT_EQ(table.plates[8], 4);
}
#endif

TEST(WriteDefaultMappingFile, NeverEmptiesAFileThatExists) {
  ScratchDir scratch;
  WriteFileBytes("Vexilo.txt", "5=5\n");
  WriteDefaultMappingFile();
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), "5=5\n");
}

TEST(WriteDefaultMappingFile, WritesTheSameFileAgainOnceTheUserDeletedIt) {
  ScratchDir scratch;
  WriteDefaultMappingFile();
  const std::string first = ReadFileBytes("Vexilo.txt");
  fs::remove("Vexilo.txt");
  WriteDefaultMappingFile();
  EXPECT_EQ(ReadFileBytes("Vexilo.txt"), first);
  EXPECT_EQ(first, DefaultMappingFileText());
}

}  // namespace
}  // namespace vexilo
