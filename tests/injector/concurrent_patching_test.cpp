// A host thread runs the frame call site without pause while this thread
// hooks and unhooks it, as a game's threads do while plug-ins load and unload.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <sys/time.h>
#endif

#include "fake_host.hpp"
#include "frame_event.hpp"
#include "host_image.hpp"
#include "injector/function_hooker.hpp"

namespace injector {
namespace {

namespace standin = vexilo::standin;

using Hooker = standin::StandinHooker<4>;
using Event = standin::StandinFrameEvent<5>;

constexpr int kCycles = 2000;

// Runs the call site on a thread of its own until stopped; counts the
// executions and those that did not hand back the callee's result.
class HostThread {
 public:
  HostThread()
      : thread_([this] {
          while (!stop_) {
            if (standin::RunFrame() != standin::kFrameCalleeResult) ++wrong_;
            ++executions_;
          }
        }) {
    while (executions_ == 0) std::this_thread::yield();
  }
  ~HostThread() { Stop(); }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  long executions() const { return executions_; }
  long wrong() const { return wrong_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long> executions_{0};
  std::atomic<long> wrong_{0};
  std::thread thread_;
};

void Report(const char* what, const HostThread& host, long hookRuns) {
  std::printf(
      "  %s: %d install cycles, %ld executions of the call site (%ld through the hook), %ld "
      "wrong\n",
      what, kCycles, host.executions(), hookRuns, host.wrong());
}

class ConcurrentPatching : public ::testing::Test {
 protected:
  void SetUp() override { standin::BuildHostImage(standin::HostBuild::V1001); }
  void TearDown() override {
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), standin::OriginalCallSiteBytes());
    standin::BuildHostImage(standin::HostBuild::V1001);
  }
};

TEST_F(ConcurrentPatching, AThreadRunningTheSiteWhileHooksComeAndGoAlwaysGetsTheCalleesResult) {
  std::atomic<long> hookRuns{0};
  HostThread host;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    Hooker hooker;
    hooker.attach([&hookRuns](next_function next) {
      ++hookRuns;
      return next();
    });
  }
  host.Stop();
  Report("hooker", host, hookRuns);
  EXPECT_EQ(host.wrong(), 0);
  EXPECT_GT(host.executions(), kCycles);
}

TEST_F(ConcurrentPatching,
       AThreadRunningTheSiteWhileAnEventSubscribesAndHooksAlwaysGetsTheCalleesResult) {
  std::atomic<long> subscriberRuns{0};
  HostThread host;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    Event event;
    event.Subscribe(event.postCallSubscribers, [&subscriberRuns] { ++subscriberRuns; });
    event.Subscribe(event.preCallSubscribers, [&subscriberRuns] { ++subscriberRuns; });
    kept_hookers<standin::StandinHooker<5>>().clear();
  }
  host.Stop();
  Report("event", host, subscriberRuns);
  EXPECT_EQ(host.wrong(), 0);
  EXPECT_GT(host.executions(), kCycles);
}

#ifndef _WIN32
// A timer signal runs the call site on the patching thread itself. Signals
// arrive as system calls return, so frames land right after each protection
// change of the patch: the moment a half-made hook would show.
volatile sig_atomic_t framesInSignals = 0;
volatile sig_atomic_t wrongInSignals = 0;

void RunFrameInSignal(int) {
  if (standin::RunFrame() != standin::kFrameCalleeResult) wrongInSignals = wrongInSignals + 1;
  framesInSignals = framesInSignals + 1;
}

TEST_F(ConcurrentPatching, AFrameBetweenAnyTwoStepsOfHookingGetsTheCalleesResult) {
  struct sigaction action {};
  action.sa_handler = RunFrameInSignal;
  action.sa_flags = SA_RESTART;
  struct sigaction previous {};
  sigaction(SIGALRM, &action, &previous);
  const itimerval every{{0, 50}, {0, 50}};
  setitimer(ITIMER_REAL, &every, nullptr);
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    // The hook allocates nothing when it runs, so it may run in a signal.
    Hooker hooker;
    hooker.attach([](next_function next) { return next(); });
  }
  const itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  std::printf("  signals: %d install cycles, %d frames run between the steps, %d wrong\n", kCycles,
              static_cast<int>(framesInSignals), static_cast<int>(wrongInSignals));
  EXPECT_EQ(wrongInSignals, 0);
  EXPECT_GT(framesInSignals, 0);
}
#endif

}  // namespace
}  // namespace injector
