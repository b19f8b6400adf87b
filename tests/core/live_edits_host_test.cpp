// Reloads of the real mapping file in the plug-in's own process, driven by a
// clock the test moves, under plate requests that reach SelectPlateback
// through the jump over the stand-in host's routine: what thousands of
// reloads and a failing read do to the table in use. What a player sees of
// an edit is in the stand-in's live-edit scenarios.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "allocation_counter.hpp"
#include "core/live_edits.hpp"
#include "core/load_mappings.hpp"
#include "core/mappings.hpp"
#include "core/selection.hpp"
#include "fake_host.hpp"
#include "file_faults.hpp"
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
    ASSERT_EQ(ReloadMappingFile(MappingFileStamp()).outcome, ReloadOutcome::Reloaded);
    debugEnabled = true;
    edits_.Start(now_, MappingFileStamp());
  }
  void TearDown() override {
    debugEnabled = false;
    standin::BuildHostImage(standin::HostBuild::V1001);
  }

  // The next frame that may query the file, half a second on.
  void NextQuery() {
    now_ += FileWatch::kQueryInterval;
    edits_.Frame(now_);
  }

  // Saves text, and runs the two queries after which it is read.
  void Save(const std::string& text) {
    WriteFileBytes("Vexilo.txt", text);
    NextQuery();
    NextQuery();
  }

  testing::ScratchDir scratch_;
  LiveEdits edits_;
  std::int64_t now_ = 1000;
};

TEST_F(LiveEditsTest, AFileThatOpensButFailsToReadLeavesTheTableAndDebugAsTheyWere) {
  std::filesystem::remove("Vexilo.txt");
  const standin::FileThatFailsToRead failing("Vexilo.txt", kTwos);
  ASSERT_TRUE(failing.ok());
  {
    platform::InputFile file(platform::NativePath(configPath));
    char byte = 0;
    ASSERT_TRUE(file.is_open());
    if (file.Read(&byte, 1) >= 0) GTEST_SKIP() << "this system lets a read through a locked range";
  }
  NextQuery();
  NextQuery();
  EXPECT_STREQ(edits_.notice(), "Vexilo.txt could not be read; the previous mappings stay");
  EXPECT_EQ(standin::RequestPlate(), 1);
  EXPECT_TRUE(debugEnabled);
#ifndef _WIN32
  // At start-up the player is told, and none of the file's lines is taken.
  ::testing::internal::CaptureStderr();
  LoadMappings();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Error: Failed to open TXT file: .\\Vexilo.txt\n");
  EXPECT_EQ(standin::RequestPlate(), 0);
#endif
}

// The save lands between the stamp taken before the read and the one after.
TEST_F(LiveEditsTest, AReadAfterWhichTheStampChangedUsesNothingAndTheNextLookReadsAgain) {
  const std::optional<platform::FileStamp> beforeTheRead = MappingFileStamp();
  WriteFileBytes("Vexilo.txt", kTwos);
  EXPECT_EQ(ReloadMappingFile(beforeTheRead).outcome, ReloadOutcome::Changed);
  EXPECT_EQ(standin::RequestPlate(), 1);
  NextQuery();
  NextQuery();
  EXPECT_EQ(standin::RequestPlate(), 2);
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
// reloads thousands of times. Each reload parses into a table of its own,
// which starts at 0 for every zone, and then stores it entry by entry: a
// request that saw a table being filled would get 0 instead of 1 or 2.
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
