#include "injector/function_hooker.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include "allocation_counter.hpp"
#include "fake_host.hpp"
#include "frame_event.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"

namespace injector {
namespace {

namespace standin = vexilo::standin;

using Hooker = standin::StandinHooker<1>;
using Manager = Hooker::manager_type;

address_t AddressOf(std::uintptr_t (*function)()) {
  return static_cast<address_t>(reinterpret_cast<std::uintptr_t>(function));
}

address_t CallDestination() {
  const auto bytes = standin::HostBytes(standin::FrameCallSite());
  return rel32_destination(standin::FrameCallSite(),
                           static_cast<std::int32_t>(load_le32(&bytes[1])));
}

using Clock = std::chrono::steady_clock;

// Every wait of these tests ends by its own time-out, well past the hook's
// bound, so a hang fails the test instead of holding up the suite.
constexpr std::chrono::seconds kTestLimit{20};

// Holds a host thread inside a hook until the test lets it go (or the test's
// time-out passes).
class Latch {
 public:
  void WaitInside() {
    entered_ = true;
    const auto deadline = Clock::now() + kTestLimit;
    while (!released_ && Clock::now() < deadline) std::this_thread::yield();
  }
  bool WaitUntilEntered() const {
    const auto deadline = Clock::now() + kTestLimit;
    while (!entered_ && Clock::now() < deadline) std::this_thread::yield();
    return entered_;
  }
  void Release() { released_ = true; }

 private:
  std::atomic<bool> entered_{false};
  std::atomic<bool> released_{false};
};

// Spins until condition holds or the test's time-out passes; says which.
bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + kTestLimit;
  while (!condition()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// One frame, run by a host thread of its own.
class FrameThread {
 public:
  FrameThread() : thread_([this] { result_ = standin::RunFrame(); }) {}
  ~FrameThread() { Join(); }
  std::uint32_t Join() {
    if (thread_.joinable()) thread_.join();
    return result_;
  }

 private:
  std::uint32_t result_ = 0;
  std::thread thread_;
};

// Runs work on a thread of its own and says whether it finished within the
// test's time-out. If it did not, the latch lets the parked frame go, so
// that the work can end and the test fail rather than hang.
bool FinishesWithin(std::chrono::seconds limit, const std::function<void()>& work, Latch& latch) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    work();
    done = true;
  });
  const auto deadline = Clock::now() + limit;
  while (!done && Clock::now() < deadline) std::this_thread::yield();
  const bool finished = done;
  latch.Release();
  worker.join();
  return finished;
}

class CallSiteHook : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::BuildHostImage(standin::HostBuild::V1001);
    standin::ClearFrameCalleeCalls();
    original_ = standin::HostBytes(standin::FrameCallSite());
  }
  void TearDown() override {
    EXPECT_FALSE(Manager::instance()->hooked()) << "every test lets its hookers go";
    standin::BuildHostImage(standin::HostBuild::V1001);
  }

  std::array<std::uint8_t, 5> original_{};
};

TEST_F(CallSiteHook, RedirectsTheCallAndTheLastHookerOutPutsItBack) {
  {
    Hooker hooker;
    hooker.attach([](next_function next) { return next() + 1; });
    EXPECT_TRUE(hooker.hooked());
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite())[0], kCallRel32);
    EXPECT_EQ(CallDestination(), AddressOf(&Manager::call_hooks));
    EXPECT_EQ(Manager::instance()->saved_callee(),
              static_cast<address_t>(reinterpret_cast<std::uintptr_t>(&standin::FakeFrameCallee)));
    EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult + 1);
    EXPECT_EQ(standin::DescribeProtection(standin::FrameCallSite()), "r-x");
  }
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
}

TEST_F(CallSiteHook, TheHookAppendedLastRunsFirst) {
  std::string order;
  Hooker first;
  Hooker second;
  first.attach([&order](next_function next) {
    order += "first(";
    const std::uintptr_t result = next();
    order += ")";
    return result;
  });
  second.attach([&order](next_function next) {
    order += "second(";
    const std::uintptr_t result = next();
    order += ")";
    return result;
  });
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
  EXPECT_EQ(order, "second(first())");
  EXPECT_EQ(standin::FrameCalleeCalls(), 1);
  // Attaching again replaces the hooker's entry; one that does not call next
  // keeps the host's callee from running.
  second.attach([](next_function) -> std::uintptr_t { return 7; });
  EXPECT_EQ(Manager::instance()->hook_count(), 2u);
  EXPECT_EQ(standin::RunFrame(), 7u);
  EXPECT_EQ(standin::FrameCalleeCalls(), 1);
  second.restore();
  EXPECT_TRUE(Manager::instance()->hooked()) << "the first hooker still holds the site";
  first.restore();
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
}

TEST_F(CallSiteHook, AMovedHookerKeepsTheSiteHooked) {
  std::list<Hooker> kept;
  {
    Hooker temporary;
    temporary.attach([](next_function next) { return next() ^ 1u; });
    kept.push_back(std::move(temporary));
  }
  EXPECT_TRUE(Manager::instance()->hooked());
  EXPECT_EQ(Manager::instance()->hook_count(), 1u);
  EXPECT_TRUE(kept.front().hooked());
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult ^ 1u);
  kept.clear();
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
}

TEST_F(CallSiteHook, WithNoEntriesLeftCallHooksCallsTheCalleeDirectly) {
  {
    Hooker hooker;
    hooker.attach([](next_function) -> std::uintptr_t { return 0; });
  }
  EXPECT_EQ(Manager::call_hooks(), standin::kFrameCalleeResult);
}

TEST_F(CallSiteHook, ASiteThatHoldsNoBranchIsLeftAlone) {
  standin::PokeHost(standin::FrameCallSite(), {0x90, 0x90, 0x90, 0x90, 0x90});
  const auto nops = standin::HostBytes(standin::FrameCallSite());
  Hooker hooker;
  hooker.attach([](next_function next) { return next(); });
  EXPECT_FALSE(Manager::instance()->hooked());
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), nops);
}

TEST_F(CallSiteHook, ASiteThatHoldsAJumpOrAnIndirectCallIsLeftAlone) {
  for (const standin::CallSiteShape shape :
       {standin::CallSiteShape::Detour, standin::CallSiteShape::IndirectCall}) {
    standin::ShapeFrameCallSite(shape);
    const auto head = standin::HostBytes(standin::FrameCallSite());
    const auto tail = standin::HostBytes(standin::FrameCallSite() + 5);
    int hookRuns = 0;
    EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
    {
      Hooker hooker;
      hooker.attach([&hookRuns](next_function next) {
        ++hookRuns;
        return next();
      });
      EXPECT_FALSE(Manager::instance()->hooked());
      EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), head);
      EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
    }
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), head);
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite() + 5), tail);
    EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
    EXPECT_EQ(hookRuns, 0);
  }
  standin::ShapeFrameCallSite(standin::CallSiteShape::Call);
}

TEST_F(CallSiteHook, AFrameThroughTwoEntriesAllocatesNothing) {
  Hooker first;
  Hooker second;
  first.attach([](next_function next) { return next() + 1; });
  second.attach([](next_function next) { return next() * 2; });
  standin::RunFrame();
  const std::size_t before = vexilo::testing::AllocationCount();
  const std::uint32_t result = standin::RunFrame();
  EXPECT_EQ(vexilo::testing::AllocationCount(), before);
  EXPECT_EQ(result, (standin::kFrameCalleeResult + 1) * 2);
}

TEST_F(CallSiteHook, AnEntryThatFailsStillGivesTheHostItsCalleesResultOnce) {
  Hooker inner;
  Hooker outer;
  const std::function<std::uintptr_t(next_function)> failures[] = {
      [](next_function) -> std::uintptr_t { throw std::bad_alloc(); },
      [](next_function next) -> std::uintptr_t {
        next();
        throw std::runtime_error("after the callee");
      },
      hook_callable(),
  };
  inner.attach([](next_function next) { return next(); });
  for (const auto& failure : failures) {
    outer.attach(failure);
    standin::ClearFrameCalleeCalls();
    EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
    EXPECT_EQ(standin::FrameCalleeCalls(), 1);
  }
}

TEST_F(CallSiteHook, AChangeThatThrowsOnALiveSiteLeavesItHooked) {
  int hookRuns = 0;
  Hooker hooker;
  hooker.attach([&hookRuns](next_function next) {
    ++hookRuns;
    return next();
  });
  EXPECT_THROW(Manager::instance()->change_chain([] { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_TRUE(Manager::instance()->hooked());
  standin::RunFrame();
  EXPECT_EQ(hookRuns, 1);
}

TEST_F(CallSiteHook, AChangeOnALiveSiteWaitsWithTheHostsCallBackForTheFrameInsideToLeave) {
  Latch latch;
  std::size_t entriesSeenInside = 0;
  Hooker parked;
  parked.attach([&](next_function next) {
    latch.WaitInside();
    // Let go once the change has begun; what this frame runs must not have
    // changed under it by the time it leaves.
    Eventually([this] { return standin::HostBytes(standin::FrameCallSite()) == original_; });
    entriesSeenInside = Manager::instance()->hook_count();
    return next();
  });
  FrameThread frame;
  ASSERT_TRUE(latch.WaitUntilEntered());
  latch.Release();
  Hooker added;
  added.attach([](next_function next) { return next(); });
  EXPECT_EQ(frame.Join(), standin::kFrameCalleeResult);
  EXPECT_EQ(entriesSeenInside, 1u);
  EXPECT_EQ(Manager::instance()->hook_count(), 2u) << "the change was made once the frame had left";
  EXPECT_TRUE(Manager::instance()->hooked()) << "and the call redirected again";
}

TEST_F(CallSiteHook, AnUnloadFreesTheEntriesOnlyOnceTheHostThreadInsideHasLeft) {
  Latch latch;
  auto alive = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = alive;
  bool freedWhileInside = true;
  auto parked = std::make_unique<Hooker>();
  parked->attach([&, alive](next_function next) {
    latch.WaitInside();
    // The host's call goes back first; the entry must outlive this frame.
    Eventually([this] { return standin::HostBytes(standin::FrameCallSite()) == original_; });
    freedWhileInside = watch.expired();
    return next();
  });
  alive.reset();
  FrameThread frame;
  ASSERT_TRUE(latch.WaitUntilEntered());
  latch.Release();
  EXPECT_TRUE(FinishesWithin(
      kTestLimit, [&] { parked.reset(); }, latch));
  EXPECT_EQ(frame.Join(), standin::kFrameCalleeResult);
  EXPECT_FALSE(freedWhileInside);
  EXPECT_TRUE(watch.expired()) << "the entry goes once the frame has left";
}

TEST_F(CallSiteHook, AnUnloadAfterAFrameFreesTheEntriesAtOnce) {
  auto alive = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = alive;
  Latch unused;
  auto hooker = std::make_unique<Hooker>();
  hooker->attach([alive](next_function next) { return next(); });
  alive.reset();
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
  // No thread is inside: nothing to wait for, and nothing left behind.
  EXPECT_TRUE(FinishesWithin(
      std::chrono::seconds(5), [&] { hooker.reset(); }, unused));
  EXPECT_TRUE(watch.expired());
}

// A manager of its own: the entries it leaves to the stuck thread stay its.
using StuckHooker = standin::StandinHooker<11>;

TEST(StuckHostThread, AnUnloadPutsTheCallBackWithinTheBoundAndFreesNothingTheThreadRuns) {
  standin::BuildHostImage(standin::HostBuild::V1001);
  const auto original = standin::HostBytes(standin::FrameCallSite());
  Latch latch;
  auto alive = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = alive;
  auto parked = std::make_unique<StuckHooker>();
  parked->attach([&latch, alive](next_function next) {
    latch.WaitInside();
    return next();
  });
  alive.reset();
  FrameThread frame;
  ASSERT_TRUE(latch.WaitUntilEntered());
  const auto start = Clock::now();
  // (The latch is let go once the unload has returned, or at the time-out.)
  const bool finished = FinishesWithin(
      kTestLimit, [&] { parked.reset(); }, latch);
  const auto took = Clock::now() - start;
  EXPECT_TRUE(finished);
  EXPECT_LT(took, frames_inside::kWaitBound + std::chrono::seconds(5));
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original);
  EXPECT_FALSE(watch.expired()) << "the entry the thread is running is left to it";
  EXPECT_TRUE(StuckHooker::manager_type::instance()->left_to_frames());
  EXPECT_EQ(frame.Join(), standin::kFrameCalleeResult);
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
}

}  // namespace
}  // namespace injector
