// Live edits in the plug-in's own process, driven by a clock the test
// moves: reloads of the real mapping file, published under plate requests
// that reach SelectPlateback through the jump over the stand-in host's
// routine. The real-time side is in the stand-in's live-edit scenarios.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "allocation_counter.hpp"
#include "core/live_edits.hpp"
#include "core/mappings.hpp"
#include "core/selection.hpp"
#include "fake_host.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "injector/hooking.hpp"
#include "scratch_dir.hpp"

namespace vexilo {
namespace {

using testing::WriteFileBytes;

// Files of different sizes, so that every save gives a new stamp whatever
// the grain of the file system's clock.
const std::string kOnes = "DEBUG\n0-376=1\n";
const std::string kTwos = "DEBUG\n0-376=2\n\n";

class LiveEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::BuildHostImage(standin::HostBuild::V1001);
    injector::write_jump(
        host::kPlateDesignRoutine,
        static_cast<injector::address_t>(reinterpret_cast<std::uintptr_t>(&SelectPlateback)));
    standin::StandIn(standin::Player::WithMatrix, "LA");
    WriteFileBytes("Vexilo.txt", kOnes);
    plateMappings.fill(1);
    debugEnabled = true;
    // An earlier test may have published a table: start from this file's.
    if (publishedMappings.published()) ReloadMappingFile();
    edits_.Start(now_, MappingFileStamp());
  }
  void TearDown() override {
    debugEnabled = false;
    standin::BuildHostImage(standin::HostBuild::V1001);
  }

  // The next frame that may query the file, half a second on.
  const char* NextQuery() {
    now_ += FileWatch::kQueryInterval;
    return edits_.Frame(now_);
  }

  // Saves text, and runs the two queries after which it is read.
  const char* Save(const std::string& text) {
    WriteFileBytes("Vexilo.txt", text);
    NextQuery();
    return NextQuery();
  }

  testing::ScratchDir scratch_;
  LiveEdits edits_;
  std::int64_t now_ = 1000;
};

TEST_F(LiveEditsTest, ASavedEditChangesLaterPlatesAndIsToldForThreeSeconds) {
  EXPECT_EQ(NextQuery(), nullptr);
  const char* notice = Save("DEBUG\n0-62=1\n0=5\n400-500=4\n=5\n;1=3\n");
  ASSERT_NE(notice, nullptr);
  EXPECT_STREQ(notice, "Vexilo.txt reloaded: 2 mappings");
  EXPECT_EQ(standin::RequestPlate(), 5);
  EXPECT_TRUE(debugEnabled);
  EXPECT_NE(edits_.Frame(now_ + kNoticeTime - 1), nullptr);
  EXPECT_EQ(edits_.Frame(now_ + kNoticeTime), nullptr);
  now_ += kNoticeTime;
  EXPECT_STREQ(Save("DEBUG\n0=6\n"), "Vexilo.txt reloaded: 1 mapping");
  EXPECT_EQ(standin::RequestPlate(), 6);
}

TEST_F(LiveEditsTest, AFileBeingSavedInPiecesIsNeverReadHalfway) {
  // Each piece lands between two queries: the file never holds still.
  for (const std::string piece : {"", "DEBUG\n", "DEBUG\n0-3", "DEBUG\n0-376=7"}) {
    WriteFileBytes("Vexilo.txt", piece);
    EXPECT_EQ(NextQuery(), nullptr) << piece;
    EXPECT_TRUE(debugEnabled) << piece;
    EXPECT_EQ(standin::RequestPlate(), 1) << piece;
  }
  EXPECT_STREQ(NextQuery(), "Vexilo.txt reloaded: 1 mapping");
  EXPECT_EQ(standin::RequestPlate(), 7);
}

TEST_F(LiveEditsTest, AnUnreadableFileKeepsTheTableInUseWithNoBoxAndIsTriedAgainWhenItChanges) {
  std::filesystem::remove("Vexilo.txt");
  std::filesystem::create_directory("Vexilo.txt");
  ::testing::internal::CaptureStderr();
  NextQuery();
  const char* notice = NextQuery();
  const std::string boxes = ::testing::internal::GetCapturedStderr();
  ASSERT_NE(notice, nullptr);
  EXPECT_STREQ(notice, "Vexilo.txt could not be read; the previous mappings stay");
  EXPECT_EQ(boxes, "");
  EXPECT_TRUE(std::filesystem::is_directory("Vexilo.txt")) << "no default file is written over it";
  EXPECT_EQ(standin::RequestPlate(), 1);
  EXPECT_TRUE(debugEnabled);
  std::filesystem::remove("Vexilo.txt");
  EXPECT_STREQ(Save(kTwos), "Vexilo.txt reloaded: 1 mapping");
  EXPECT_EQ(standin::RequestPlate(), 2);
}

TEST_F(LiveEditsTest, ASaveWithoutDebugIsTakenAndTurnsDebugOff) {
  Save("0=6\n");
  EXPECT_FALSE(debugEnabled);
  EXPECT_EQ(standin::RequestPlate(), 6);
}

TEST_F(LiveEditsTest, TenThousandReloadsKeepMemoryFlat) {
  for (int reload = 0; reload < 10; ++reload) Save(reload % 2 ? kOnes : kTwos);
  const std::size_t before = testing::LiveBytes();
  testing::ResetPeakBytes();
  int wrong = 0;
  for (int reload = 0; reload < 10'000; ++reload) {
    const bool twos = reload % 2 == 0;
    Save(twos ? kTwos : kOnes);
    if (standin::RequestPlate() != (twos ? 2 : 1)) ++wrong;
  }
  const std::size_t after = testing::LiveBytes();
  std::printf(
      "heap in use before 10,000 reloads: %zu bytes, after: %zu bytes, highest between: %zu "
      "bytes\n",
      before, after, testing::PeakBytes());
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(after, before);
  EXPECT_LT(testing::PeakBytes() - before, 256u * 1024) << "one read's buffers at a time";
}

// A host thread asks for plates without a pause while the frame thread
// reloads thousands of times. Each new table starts empty (every zone 0)
// while the file is read into it, so a request that read a table being
// filled would get 0 instead of 1 or 2.
TEST_F(LiveEditsTest, PlateRequestsOnAnotherThreadSeeOnlyWholeTablesWhileThousandsOfReloadsRun) {
  std::atomic<bool> stop{false};
  std::atomic<long> requests{0};
  std::atomic<long> wrong{0};
  std::thread host([&] {
    while (!stop) {
      const std::int32_t plate = standin::RequestPlate();
      if (plate != 1 && plate != 2) ++wrong;
      ++requests;
    }
  });
  int reloads = 0;
  for (int save = 0; save < 3000; ++save) {
    const bool twos = save % 2 == 0;
    Save(twos ? kTwos : kOnes);
    if (MappedPlateback(0) == (twos ? 2 : 1)) ++reloads;
  }
  stop = true;
  host.join();
  std::printf("%ld plate requests during %d reloads, %ld not from a whole table\n", requests.load(),
              reloads, wrong.load());
  EXPECT_EQ(reloads, 3000);
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(requests.load(), 0);
}

}  // namespace
}  // namespace vexilo
