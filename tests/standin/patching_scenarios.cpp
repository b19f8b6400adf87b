// The host's two patch sites through load and unload: what is written, what
// goes back, and what a site the plug-in cannot use keeps.
#include <iterator>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "file_faults.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/branch.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

using testing::WriteFileBytes;

void TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload(Context& context) {
  Checks& checks = context.checks;
  STANDIN_CHECK_EQ(RequestPlate(), kOriginalPlateResult);
  const std::array<std::uint8_t, 5> head = HostBytes(host::kPlateDesignRoutine);
  const std::array<std::uint8_t, 5> tail = HostBytes(host::kPlateDesignRoutine + 5);
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(HostBytes(host::kPlateDesignRoutine + 5), tail);
    STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("r-x"));
    STANDIN_CHECK_EQ(RequestPlate(), 1);
  }
  // The plug-in's code is gone: a host that goes on must choose plates itself.
  STANDIN_CHECK_EQ(HostBytes(host::kPlateDesignRoutine), head);
  STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("r-x"));
  STANDIN_CHECK_EQ(RequestPlate(), kOriginalPlateResult);
}

void UnloadingUnloadsSoTheNextLoadReadsTheFileAgain(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "0=5\n");
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(PlateIn("LA"), 5);
  }
  BuildHostImage(HostBuild::V1001);
  WriteFileBytes("Vexilo.txt", "0=7\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(PlateIn("LA"), 7);
}

void ACallSiteWithoutACallIsLeftAlone(Context& context) {
  Checks& checks = context.checks;
  PokeHost(FrameCallSite(), {0x90, 0x90, 0x90, 0x90, 0x90});
  const std::array<std::uint8_t, 5> nops = HostBytes(FrameCallSite());
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), nops);
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(PlateIn("LA"), 1);
  }
  STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), nops);
}

void AJumpWhosePageCannotBeUnlockedIsNotWritten(Context& context) {
  Checks& checks = context.checks;
  if (!UnmapHostPage(host::kPlateDesignRoutine)) {
    return checks.Skip("the host page cannot be taken away here; the injector tests cover a failed change");
  }
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK(plugin.loaded());
    STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("unmapped"));
    STANDIN_CHECK_EQ(HostBytes(FrameCallSite())[0], injector::kCallRel32);  // the rest of start-up went on
    STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
  }
  RestoreHostPage(host::kPlateDesignRoutine);
  BuildHostImage(HostBuild::V1001);
}

void TwentyLoadsWithFramesAndUnloadsInOneProcess(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  for (int round = 0; round < 20; ++round) {
    BuildHostImage(HostBuild::V1001);
    {
      PluginLibrary plugin(context.settings.plugin);
      STANDIN_CHECK_EQ(PlateIn("SF"), 3);
      for (int frame = 0; frame < 3; ++frame) {
        STANDIN_CHECK_EQ(FrameLine(Player::WithMatrix, "VE"),
                         std::string("Zone: VE, Index: 241, Mapped Index: 6 => Selection from vehicle.txd: plateback7"));
      }
    }
    STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), OriginalCallSiteBytes());
    if (checks.failures() > 0) break;
  }
}

// A host thread asks for plates while the plug-in starts: every answer comes
// from the host's routine or from the plug-in's, never from a half-written
// jump. (The thread stops before each unload: a request that is inside the
// plug-in's code while the library goes cannot be made safe.)
void PlateRequestsWhileThePluginStartsSeeOneRoutineOrTheOther(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "0-376=5\n");
  StandIn(Player::WithMatrix, "SF");
  long requests = 0;
  long wrong = 0;
  for (int cycle = 0; cycle < 40; ++cycle) {
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::thread host([&] {
      while (!stop) {
        const std::int32_t plate = RequestPlate();
        if (plate != 5 && plate != kOriginalPlateResult) ++wrong;
        ++requests;
        started = true;
      }
    });
    while (!started) std::this_thread::yield();
    PluginLibrary plugin(context.settings.plugin);
    stop = true;
    host.join();
    STANDIN_CHECK_EQ(RequestPlate(), 5);
  }
  std::printf("    %ld plate requests during 40 starts, %ld wrong\n", requests, wrong);
  STANDIN_CHECK_EQ(wrong, 0L);
}

constexpr Scenario kPatchingScenarios[] = {
    {"TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload", TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload},
    {"UnloadingUnloadsSoTheNextLoadReadsTheFileAgain", UnloadingUnloadsSoTheNextLoadReadsTheFileAgain},
    {"ACallSiteWithoutACallIsLeftAlone", ACallSiteWithoutACallIsLeftAlone},
    {"AJumpWhosePageCannotBeUnlockedIsNotWritten", AJumpWhosePageCannotBeUnlockedIsNotWritten},
    {"TwentyLoadsWithFramesAndUnloadsInOneProcess", TwentyLoadsWithFramesAndUnloadsInOneProcess},
    {"PlateRequestsWhileThePluginStartsSeeOneRoutineOrTheOther", PlateRequestsWhileThePluginStartsSeeOneRoutineOrTheOther},
};

}  // namespace

const Scenario* PatchingScenariosBegin() { return std::begin(kPatchingScenarios); }
const Scenario* PatchingScenariosEnd() { return std::end(kPatchingScenarios); }

}  // namespace vexilo::standin
