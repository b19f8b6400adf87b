#include "events/event.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fake_host.hpp"
#include "frame_event.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"

namespace events {
namespace {

namespace standin = vexilo::standin;

using Hooker = standin::StandinHooker<2>;
using Event = standin::StandinFrameEvent<2>;
using OtherBuildsEvent = standin::StandinFrameEvent<2, standin::kStandinFrameOn1011>;

std::vector<std::string> calls;

void PlainSubscriber() { calls.push_back("plain"); }
void NoexceptSubscriber() noexcept { calls.push_back("noexcept"); }

class FrameEvent : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::BuildHostImage(standin::HostBuild::V1001);
    standin::ClearFrameCalleeCalls();
    original_ = standin::HostBytes(standin::FrameCallSite());
    calls.clear();
  }
  // The kept hookers go before the event they refer to.
  void TearDown() override {
    injector::kept_hookers<Hooker>().clear();
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
  }

  std::array<std::uint8_t, 5> original_{};
  Event event_;
};

TEST_F(FrameEvent, TheFirstSubscriptionHooksTheSiteOnce) {
  ASSERT_EQ(GetHostVersion(), 1001);
  EXPECT_FALSE(event_.patched);
  event_.Subscribe(event_.postCallSubscribers, [] {});
  EXPECT_TRUE(event_.patched);
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite())[0], injector::kCallRel32);
  const auto hooked = standin::HostBytes(standin::FrameCallSite());
  event_.Subscribe(event_.preCallSubscribers, [] {});
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), hooked);
  EXPECT_EQ(injector::kept_hookers<Hooker>().size(), 1u);
  EXPECT_EQ(Hooker::manager_type::instance()->hook_count(), 1u);
}

TEST_F(FrameEvent, RunsPreCallThenTheCalleeThenPostCallAndHandsBackTheResult) {
  event_.Subscribe(event_.preCallSubscribers,
                   [] { calls.push_back("pre " + std::to_string(standin::FrameCalleeCalls())); });
  event_.Subscribe(event_.postCallSubscribers,
                   [] { calls.push_back("post " + std::to_string(standin::FrameCalleeCalls())); });
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
  EXPECT_EQ(calls, (std::vector<std::string>{"pre 0", "post 1"}));
}

TEST_F(FrameEvent, APlainFunctionIsStoredOncePerListButClosuresEveryTime) {
  event_.Subscribe(event_.preCallSubscribers, PlainSubscriber);
  event_.Subscribe(event_.preCallSubscribers, PlainSubscriber);
  event_.Subscribe(event_.postCallSubscribers, PlainSubscriber);
  event_.Subscribe(event_.postCallSubscribers, [] { calls.push_back("closure"); });
  event_.Subscribe(event_.postCallSubscribers, [] { calls.push_back("closure"); });
  EXPECT_EQ(event_.preCallSubscribers.size(), 1u);
  EXPECT_EQ(event_.postCallSubscribers.size(), 3u);
  standin::RunFrame();
  EXPECT_EQ(calls, (std::vector<std::string>{"plain", "plain", "closure", "closure"}));
}

TEST_F(FrameEvent, ANoexceptFunctionIsAPlainFunctionAndStoredOnce) {
  event_.Subscribe(event_.postCallSubscribers, NoexceptSubscriber);
  event_.Subscribe(event_.postCallSubscribers, NoexceptSubscriber);
  event_.Subscribe(event_.postCallSubscribers, PlainSubscriber);
  EXPECT_EQ(event_.postCallSubscribers.size(), 2u);
  standin::RunFrame();
  EXPECT_EQ(calls, (std::vector<std::string>{"noexcept", "plain"}));
}

TEST_F(FrameEvent, ACallableStartsEveryFrameFromItsStoredState) {
  std::vector<int> seen;
  event_.Subscribe(event_.postCallSubscribers,
                   [&seen, count = 0]() mutable { seen.push_back(++count); });
  standin::RunFrame();
  standin::RunFrame();
  EXPECT_EQ(seen, (std::vector<int>{1, 1}));
}

TEST_F(FrameEvent, AnEventForOtherBuildsStoresSubscribersButNeverRunsThem) {
  OtherBuildsEvent other;
  other.Subscribe(other.postCallSubscribers, PlainSubscriber);
  EXPECT_TRUE(other.patched);
  EXPECT_EQ(other.postCallSubscribers.size(), 1u);
  EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), original_);
  EXPECT_EQ(standin::RunFrame(), standin::kFrameCalleeResult);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace events
