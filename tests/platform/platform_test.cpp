#include "platform/platform.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "scratch_dir.hpp"
#ifndef _WIN32
#include "file_size_limit.hpp"
#endif
#include "test_pages.hpp"

namespace vexilo::platform {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;

TEST(CreateNewFile, CreatesAnAbsentFileWithExactlyTheBytesGiven) {
  ScratchDir scratch;
  EXPECT_EQ(CreateNewFile("new.txt", std::string_view("a\r\nb\0c", 6)), CreateResult::Created);
  EXPECT_EQ(ReadFileBytes("new.txt"), std::string("a\r\nb\0c", 6));
}

TEST(CreateNewFile, LeavesWhateverIsAlreadyThereUntouched) {
  ScratchDir scratch;
  testing::WriteFileBytes("mine.txt", "keep me");
  EXPECT_EQ(CreateNewFile("mine.txt", "defaults"), CreateResult::AlreadyExists);
  EXPECT_EQ(ReadFileBytes("mine.txt"), "keep me");
  std::filesystem::create_directory("folder.txt");
  EXPECT_EQ(CreateNewFile("folder.txt", "defaults"), CreateResult::AlreadyExists);
  EXPECT_TRUE(std::filesystem::is_directory("folder.txt"));
}

TEST(CreateNewFile, FailsWhereNoFileCanBeMadeAndSaysWhy) {
  ScratchDir scratch;
  int error = 0;
  EXPECT_EQ(CreateNewFile("no-such-folder/x.txt", "defaults", &error), CreateResult::Failed);
  EXPECT_NE(error, 0);
}

#ifndef _WIN32
TEST(CreateNewFile, RemovesAFileItCouldNotWriteWhole) {
  ScratchDir scratch;
  {
    testing::FileSizeLimit limit(100);
    int error = 0;
    EXPECT_EQ(CreateNewFile("big.txt", std::string(1000, 'x'), &error), CreateResult::Failed);
    EXPECT_EQ(error, EFBIG);
  }
  EXPECT_FALSE(std::filesystem::exists("big.txt"));
}
#endif

TEST(InputFile, OpensOnlyRegularFiles) {
  ScratchDir scratch;
  testing::WriteFileBytes("file.txt", "12345");
  std::filesystem::create_directory("folder.txt");
  InputFile file("file.txt");
  ASSERT_TRUE(file.is_open());
  char buffer[8];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 5);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
  EXPECT_FALSE(InputFile("folder.txt").is_open());
  EXPECT_FALSE(InputFile("missing.txt").is_open());
}

TEST(QueryFileStamp, ChangesWithTheSizeOrTheLastWriteTimeAndOnlyThen) {
  ScratchDir scratch;
  EXPECT_FALSE(QueryFileStamp("missing.txt").has_value());
  testing::WriteFileBytes("file.txt", "12345");
  const std::optional<FileStamp> first = QueryFileStamp("file.txt");
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->size, 5);
  EXPECT_EQ(QueryFileStamp("file.txt"), first) << "nothing written, nothing changed";
  const auto written = std::filesystem::last_write_time("file.txt");
  std::filesystem::last_write_time("file.txt", written + std::chrono::seconds(2));
  const std::optional<FileStamp> touched = QueryFileStamp("file.txt");
  ASSERT_TRUE(touched.has_value());
  EXPECT_EQ(touched->size, 5);
  EXPECT_NE(touched, first);
  testing::WriteFileBytes("file.txt", "123456");
  std::filesystem::last_write_time("file.txt", written + std::chrono::seconds(2));
  EXPECT_EQ(QueryFileStamp("file.txt")->size, 6);
  EXPECT_NE(QueryFileStamp("file.txt"), touched);
}

TEST(QueryFileStamp, TellsApartTwoSavesOfOneSizeWithinASecond) {
  ScratchDir scratch;
  testing::WriteFileBytes("file.txt", "63=1\n");
  const std::optional<FileStamp> first = QueryFileStamp("file.txt");
  const auto firstTime = std::filesystem::last_write_time("file.txt");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  testing::WriteFileBytes("file.txt", "63=2\n");
  if (std::filesystem::last_write_time("file.txt") == firstTime)
    GTEST_SKIP() << "this file system keeps write times coarser than 20 ms";
  ASSERT_TRUE(first.has_value());
  EXPECT_NE(QueryFileStamp("file.txt"), first);
}

TEST(MonotonicMilliseconds, MovesForwardWithTime) {
  const std::int64_t before = MonotonicMilliseconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::int64_t elapsed = MonotonicMilliseconds() - before;
  EXPECT_GE(elapsed, 30) << "the Windows tick moves in steps of up to 16 ms";
  EXPECT_LT(elapsed, 10'000);
}

TEST(NativePath, NamesTheSameFileInTheWorkingFolderOnEveryBuild) {
#ifdef _WIN32
  EXPECT_EQ(NativePath(".\\Vexilo.txt"), ".\\Vexilo.txt");
#else
  EXPECT_EQ(NativePath(".\\Vexilo.txt"), "./Vexilo.txt");
#endif
}

TEST(Protection, UnprotectReportsTheOldProtectionAndReprotectPutsItBack) {
  testing::TestPages pages(1);
  const Protection before = *QueryProtection(pages.address());
  Protection previous = 0;
  ASSERT_TRUE(Unprotect(pages.address(8), 4, &previous));
  EXPECT_EQ(previous, before);
  EXPECT_TRUE(IsWritable(*QueryProtection(pages.address())));
  Reprotect(pages.address(8), 4, previous);
  EXPECT_EQ(QueryProtection(pages.address()), before);
}

TEST(Protection, FailsOnAnUnmappedPageAndReportsNothing) {
  testing::TestPages pages(1);
  Protection previous = 12345;
  EXPECT_FALSE(Unprotect(pages.unmapped(), 4, &previous));
  EXPECT_EQ(previous, 12345u);
  EXPECT_FALSE(QueryProtection(pages.unmapped()).has_value());
}

#ifndef _WIN32
// The kernel's table of mappings holds a line longer than any buffer when a
// file with a very long path is mapped; the page is still found.
TEST(Protection, IsFoundForAMappingWhosePathIsLongerThanAPage) {
  ScratchDir scratch;
  const std::string level(250, 'd');
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(mkdir(level.c_str(), 0755) == 0 && chdir(level.c_str()) == 0);
  const int fd = open("mapped", O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 4096), 0);
  void* page = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
  ASSERT_NE(page, MAP_FAILED);
  EXPECT_EQ(QueryProtection(reinterpret_cast<std::uintptr_t>(page)), Protection{PROT_READ});
  testing::TestPages pages(1);
  EXPECT_TRUE(QueryProtection(pages.address()).has_value());
  munmap(page, 4096);
  close(fd);
  // Paths this long are too long to remove by name: climb out level by level.
  unlink("mapped");
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(chdir("..") == 0 && rmdir(level.c_str()) == 0);
}
#endif

}  // namespace
}  // namespace vexilo::platform
