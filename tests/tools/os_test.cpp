#include "os.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "file_bytes.hpp"
#include "scratch_dir.hpp"

namespace vexilo::check {
namespace {

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WriteWholeFile, ReplacesTheFileAtAUnicodePathByteForByte) {
  const std::string path = "vexilo-os-test-\xC3\xA9-\xE6\xB8\xB8.bin";
  const std::filesystem::path native = std::filesystem::u8path(path);
  std::string reason;
  ASSERT_TRUE(WriteWholeFile(path, "a longer first text", reason)) << reason;
  ASSERT_TRUE(WriteWholeFile(path, std::string("a\0b\r\n", 5), reason)) << reason;
  EXPECT_EQ(Contents(native), std::string("a\0b\r\n", 5));
  std::filesystem::remove(native);
}

TEST(WriteWholeFile, SaysWhyAFileCannotBeWritten) {
  std::string reason;
  EXPECT_FALSE(WriteWholeFile("no-such-folder-for-vexilo/x.html", "x", reason));
  EXPECT_FALSE(reason.empty());
}

TEST(FileBytes, TellsItsSizeAndReadsAtAnyOffsetOfARegularFileOnly) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("file.txt", "0123456789");
  std::filesystem::create_directory("folder.txt");
  FileBytes file(".\\file.txt");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 10u);
  std::uint8_t buffer[4];
  ASSERT_TRUE(file.ReadAt(6, sizeof buffer, buffer));
  EXPECT_EQ(std::string(buffer, buffer + 4), "6789");
  EXPECT_FALSE(file.ReadAt(8, sizeof buffer, buffer)) << "past the end";
  ASSERT_TRUE(file.ReadAt(0, 2, buffer)) << "a read past the end spoils none after it";
  EXPECT_EQ(std::string(buffer, buffer + 2), "01");
  EXPECT_FALSE(FileBytes("folder.txt").IsOpen());
  EXPECT_FALSE(FileBytes("missing.txt").IsOpen());
}

TEST(KindOfPath, TellsAMissingFileFromAFolderAndAFile) {
  const std::string file = "vexilo-os-test-kind-\xC3\xA9.txt";
  std::string reason;
  ASSERT_TRUE(WriteWholeFile(file, "x", reason)) << reason;
  EXPECT_EQ(KindOfPath(file), PathKind::Other);
  EXPECT_EQ(KindOfPath("."), PathKind::Folder);
  EXPECT_EQ(KindOfPath("no-such-file-for-vexilo.txt"), PathKind::Missing);
  EXPECT_EQ(KindOfPath("no-such-folder-for-vexilo/Vexilo.txt"), PathKind::Missing);
  std::filesystem::remove(std::filesystem::u8path(file));
}

TEST(FullPath, NamesTheFileInTheCurrentFolder) {
  const std::string full = FullPath("Vexilo.txt");
  const std::string here = std::filesystem::current_path().u8string();
  EXPECT_EQ(full.substr(0, here.size()), here);
  EXPECT_EQ(full.substr(full.size() - 11), std::string(1, full[full.size() - 11]) + "Vexilo.txt");
  EXPECT_TRUE(full[full.size() - 11] == '/' || full[full.size() - 11] == '\\') << full;
  EXPECT_EQ(FullPath(full), full);
}

TEST(ProgramFolder, EndsWithASeparator) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\') << folder;
}

TEST(ProgramName, IsTheRunningProgramsFileName) {
  const std::string name = ProgramName();
  EXPECT_TRUE(name == "vexilo_unit_tests" || name == "vexilo_unit_tests.exe") << name;
}

TEST(FileNamesIn, ListsWhatAUnicodeNamedFolderHoldsButItsFolders) {
  testing::ScratchDir scratch;
  const std::string folder =
      "Jeux \xC3\xA9 \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F";
  const std::filesystem::path native = std::filesystem::u8path(folder);
  std::filesystem::create_directories(native / "bin.exe");
  testing::WriteFileBytes(native / "game.exe", "MZ");
  testing::WriteFileBytes(native / std::filesystem::u8path("\xE6\xB8\xB8\xE6\x88\x8F.EXE"), "MZ");
  std::vector<std::string> names;
  std::string reason;
  ASSERT_TRUE(FileNamesIn(folder + "/", names, reason)) << reason;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"game.exe", "\xE6\xB8\xB8\xE6\x88\x8F.EXE"}));
  std::filesystem::current_path(native);
  ASSERT_TRUE(FileNamesIn("", names, reason)) << reason;
  EXPECT_EQ(names.size(), 2u);
}

TEST(FileNamesIn, SaysWhyAFolderCannotBeRead) {
  testing::ScratchDir scratch;
  testing::WriteFileBytes("game.exe", "MZ");
  std::vector<std::string> names{"left over"};
  std::string reason;
  EXPECT_FALSE(FileNamesIn("no-such-folder-for-vexilo/", names, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(names.empty());
  reason.clear();
  EXPECT_FALSE(FileNamesIn("game.exe/", names, reason)) << "a file is no folder";
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace vexilo::check
