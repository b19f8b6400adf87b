#include "injector/frames_inside.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace injector {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Every wait here ends by its own time-out, far past what a passing run takes.
constexpr std::chrono::seconds kTestLimit{20};

// A frame held by a thread of its own until let go.
class HeldFrame {
 public:
  explicit HeldFrame(frames_inside& frames)
      : thread_([this, &frames] {
          const frames_inside::stay stay(frames);
          insideHere_ = frames.on_this_thread();
          inside_ = true;
          const auto deadline = Clock::now() + kTestLimit;
          while (!release_ && Clock::now() < deadline) std::this_thread::yield();
          leaving_ = true;
        }) {
    while (!inside_) std::this_thread::yield();
  }
  ~HeldFrame() {
    Release();
    thread_.join();
  }
  void Release() { release_ = true; }
  bool leaving() const { return leaving_; }
  bool insideHere() const { return insideHere_; }

 private:
  std::atomic<bool> inside_{false};
  std::atomic<bool> insideHere_{false};
  std::atomic<bool> release_{false};
  std::atomic<bool> leaving_{false};
  std::thread thread_;
};

TEST(FramesInside, AWaitEndsOnceTheFrameInsideHasLeftOrGivesUpAtItsBound) {
  static frames_inside frames;
  HeldFrame frame(frames);
  const auto start = Clock::now();
  EXPECT_FALSE(frames.wait_until_none(milliseconds(100)));
  EXPECT_GE(Clock::now() - start, milliseconds(100));
  auto wait = std::async(std::launch::async, [&] {
    const bool none = frames.wait_until_none(std::chrono::seconds(kTestLimit));
    return none && frame.leaving();
  });
  EXPECT_EQ(wait.wait_for(milliseconds(50)), std::future_status::timeout);
  frame.Release();
  EXPECT_TRUE(wait.get());
}

TEST(FramesInside, TellsTheThreadInsideAFrameFromEveryOther) {
  static frames_inside frames;
  EXPECT_TRUE(frames.wait_until_none(milliseconds(0)));
  const HeldFrame frame(frames);
  EXPECT_TRUE(frame.insideHere());
  EXPECT_FALSE(frames.on_this_thread());
  {
    const frames_inside::stay mine(frames);
    EXPECT_TRUE(frames.on_this_thread());
  }
  EXPECT_FALSE(frames.on_this_thread());
}

}  // namespace
}  // namespace injector
