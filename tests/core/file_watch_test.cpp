#include "core/file_watch.hpp"

#include <gtest/gtest.h>

namespace vexilo {
namespace {

using platform::FileStamp;

constexpr FileStamp kStartUp{100, 1};
constexpr FileStamp kSaved{120, 2};
constexpr FileStamp kHalfSaved{60, 3};

TEST(FileWatch, AsksForTheStampAtMostOnceEveryHalfSecondAndNeverBeforeStart) {
  FileWatch watch;
  EXPECT_FALSE(watch.QueryDue(1'000'000));
  watch.Start(1000, kStartUp);
  EXPECT_FALSE(watch.QueryDue(1000));
  EXPECT_FALSE(watch.QueryDue(1499));
  EXPECT_TRUE(watch.QueryDue(1500));
  watch.Queried(1503, kStartUp);
  EXPECT_FALSE(watch.QueryDue(1600));
  EXPECT_FALSE(watch.QueryDue(2002));
  EXPECT_TRUE(watch.QueryDue(2003));
}

TEST(FileWatch, ReadsASavedFileOnlyOnceItHeldStillFromOneQueryToTheNext) {
  FileWatch watch;
  watch.Start(0, kStartUp);
  EXPECT_FALSE(watch.Queried(500, kStartUp));
  EXPECT_FALSE(watch.Queried(1000, kSaved)) << "just changed: it may still be being written";
  EXPECT_TRUE(watch.Queried(1500, kSaved));
  EXPECT_FALSE(watch.Queried(2000, kSaved)) << "read already";
  EXPECT_FALSE(watch.Queried(2500, kSaved));
}

TEST(FileWatch, AFileThatChangesAtEveryQueryIsNeverRead) {
  FileWatch watch;
  watch.Start(0, kStartUp);
  std::int64_t now = 0;
  for (std::int64_t size = 1; size < 50; ++size) {
    now += 500;
    EXPECT_FALSE(watch.Queried(now, FileStamp{size, size})) << size;
  }
  EXPECT_FALSE(watch.Queried(now + 500, kHalfSaved));
  EXPECT_TRUE(watch.Queried(now + 1000, kHalfSaved));
}

TEST(FileWatch, AFileSavedAndPutBackBeforeItWasReadIsNotReadAgain) {
  FileWatch watch;
  watch.Start(0, kStartUp);
  EXPECT_FALSE(watch.Queried(500, kSaved));
  EXPECT_FALSE(watch.Queried(1000, kStartUp));
  EXPECT_FALSE(watch.Queried(1500, kStartUp));
}

TEST(FileWatch, AFileFoundUnreadableIsTriedAgainOnlyOnceItChanges) {
  FileWatch watch;
  watch.Start(0, kStartUp);
  watch.Queried(500, std::nullopt);
  ASSERT_TRUE(watch.Queried(1000, std::nullopt))
      << "gone, and still gone: worth telling the player";
  EXPECT_FALSE(watch.Queried(1500, std::nullopt));
  EXPECT_FALSE(watch.Queried(2000, kSaved));
  EXPECT_TRUE(watch.Queried(2500, kSaved));
}

TEST(FileWatch, WithoutAStampAtStartUpTheFirstStampSeenIsAnEdit) {
  FileWatch watch;
  watch.Start(0, std::nullopt);
  EXPECT_FALSE(watch.Queried(500, std::nullopt));
  EXPECT_FALSE(watch.Queried(1000, kSaved));
  EXPECT_TRUE(watch.Queried(1500, kSaved));
}

}  // namespace
}  // namespace vexilo
