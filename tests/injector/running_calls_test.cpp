#include "injector/running_calls.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace injector {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Every wait here ends by its own time-out, far past what a passing run takes.
constexpr std::chrono::seconds kTestLimit{20};

// A stay held by a thread of its own until let go.
class HeldStay {
 public:
  explicit HeldStay(running_calls& calls)
      : thread_([this, &calls] {
          const running_calls::stay stay(calls);
          inside_ = true;
          const auto deadline = Clock::now() + kTestLimit;
          while (!release_ && Clock::now() < deadline) std::this_thread::yield();
          leaving_ = true;
        }) {
    while (!inside_) std::this_thread::yield();
  }
  ~HeldStay() {
    Release();
    thread_.join();
  }
  void Release() { release_ = true; }
  bool leaving() const { return leaving_; }

 private:
  std::atomic<bool> inside_{false};
  std::atomic<bool> release_{false};
  std::atomic<bool> leaving_{false};
  std::thread thread_;
};

TEST(RunningCalls, AWaitReturnsOnlyOnceAnEarlierStayHasEnded) {
  running_calls calls;
  HeldStay held(calls);
  std::thread releaser([&] {
    std::this_thread::sleep_for(milliseconds(100));
    held.Release();
  });
  EXPECT_TRUE(calls.wait_for_earlier_stays(kTestLimit));
  EXPECT_TRUE(held.leaving());
  releaser.join();
}

TEST(RunningCalls, AWaitGivesUpAtItsBoundWhenAStayOutlastsIt) {
  running_calls calls;
  HeldStay held(calls);
  const auto start = Clock::now();
  EXPECT_FALSE(calls.wait_for_earlier_stays(milliseconds(50)));
  EXPECT_LT(Clock::now() - start, kTestLimit);
  EXPECT_FALSE(held.leaving());
}

TEST(RunningCalls, AThreadNeverWaitsForItsOwnStay) {
  running_calls calls;
  const running_calls::stay mine(calls);
  EXPECT_TRUE(calls.inside_on_this_thread());
  const auto start = Clock::now();
  EXPECT_FALSE(calls.wait_for_earlier_stays(kTestLimit));
  EXPECT_LT(Clock::now() - start, kTestLimit / 2);
}

TEST(RunningCalls, StaysThatBeganAfterTheWaitAreNotWaitedFor) {
  running_calls calls;
  auto earlier = std::make_unique<HeldStay>(calls);
  const std::uint32_t before = calls.generation();
  auto waited =
      std::async(std::launch::async, [&] { return calls.wait_for_earlier_stays(kTestLimit); });
  // Once the wait has begun, a stay that begins now and never ends...
  while (calls.generation() == before) std::this_thread::yield();
  HeldStay later(calls);
  // ...does not keep it from returning when the earlier one ends.
  earlier->Release();
  EXPECT_TRUE(waited.get());
  EXPECT_FALSE(later.leaving());
  earlier.reset();
}

TEST(RunningCalls, WithNoStayAWaitReturnsAtOnce) {
  running_calls calls;
  { const running_calls::stay ended(calls); }
  EXPECT_FALSE(calls.inside_on_this_thread());
  EXPECT_TRUE(calls.wait_for_earlier_stays(milliseconds(0)));
}

}  // namespace
}  // namespace injector
