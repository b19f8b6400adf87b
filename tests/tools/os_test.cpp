#include "os.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

}  // namespace
}  // namespace vexilo::check
