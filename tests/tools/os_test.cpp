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

TEST(ProgramFolder, EndsWithASeparator) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\') << folder;
}

}  // namespace
}  // namespace vexilo::check
