#include "injector/function_hooker.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

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

TEST_F(CallSiteHook, AnUnloadAfterAFrameFreesTheEntriesAtOnce) {
  auto alive = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = alive;
  auto hooker = std::make_unique<Hooker>();
  hooker->attach([alive](next_function next) { return next(); });
  alive.reset();
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
  hooker.reset();
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
  EXPECT_TRUE(watch.expired());
}

// The manager promises that the call is back before any entry goes, so a
// frame that runs while an entry is let go never reaches the chain.
TEST_F(CallSiteHook, AFrameRunWhileTheManagerLetsAnEntryGoGetsTheCalleesResult) {
  struct FrameAtDestruction {
    std::uint32_t* seen;
    ~FrameAtDestruction() { *seen = standin::RunFrame(); }
  };
  std::uint32_t seen = 0;
  Hooker hooker;
  hooker.attach([guard = std::shared_ptr<FrameAtDestruction>(new FrameAtDestruction{&seen})](
                    next_function next) { return next() + 1; });
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult + 1);
  Manager::instance()->restore();
  EXPECT_EQ(seen, standin::kFrameCalleeResult);
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
}

}  // namespace
}  // namespace injector
