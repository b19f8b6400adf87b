// Frames run from timer signals on the thread that hooks and unhooks the
// call site: each lands between two steps of a patch, where a half-made hook
// would show.
#include <gtest/gtest.h>

#include <cstdio>

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

constexpr int kCycles = 2000;

class ConcurrentPatching : public ::testing::Test {
 protected:
  void SetUp() override { standin::BuildHostImage(standin::HostBuild::V1001); }
  void TearDown() override {
    EXPECT_EQ(standin::HostBytes(standin::FrameCallSite()), standin::OriginalCallSiteBytes());
    standin::BuildHostImage(standin::HostBuild::V1001);
  }
};

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
