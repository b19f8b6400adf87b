// The host's two patch sites through load and unload: what is written, what
// goes back, and what a site the plug-in cannot use keeps.
#include <atomic>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

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
    return checks.Skip(
        "the host page cannot be taken away here; the injector tests cover a failed change");
  }
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK(plugin.loaded());
    STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("unmapped"));
    STANDIN_CHECK_EQ(HostBytes(FrameCallSite())[0],
                     injector::kCallRel32);  // the rest of start-up went on
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
        STANDIN_CHECK_EQ(
            FrameLine(Player::WithMatrix, "VE"),
            std::string(
                "Zone: VE, Index: 241, Mapped Index: 6 => Selection from vehicle.txd: plateback7"));
      }
    }
    STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), OriginalCallSiteBytes());
    if (checks.failures() > 0) break;
  }
}

// A frame before, during and after the plug-in: the host's callee runs once,
// its result comes back, and no code of the plug-in's runs (the overlay would
// ask for the player and print a line).
void CheckFrameIsTheHostsOwn(Checks& checks) {
  StandIn(Player::WithMatrix, "LA");
  ClearFontCalls();
  ClearFrameCalleeCalls();
  STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
  STANDIN_CHECK_EQ(FrameCalleeCalls(), 1);
  STANDIN_CHECK_EQ(CallLog().findPlayer, 0);
  STANDIN_CHECK_EQ(FontCalls().count, 0);
}

// Another plug-in's detour leaves a jump at the site, some code an indirect
// call: the plug-in hooks neither, and never changes a byte there.
void ACallSiteWithAJumpOrAnIndirectCallIsLeftAlone(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=4\n");
  for (const CallSiteShape shape : {CallSiteShape::Detour, CallSiteShape::IndirectCall}) {
    BuildHostImage(HostBuild::V1001);
    ShapeFrameCallSite(shape);
    const std::vector<std::uint8_t> untouched = HostCode();
    CheckFrameIsTheHostsOwn(checks);
    {
      PluginLibrary plugin(context.settings.plugin);
      STANDIN_CHECK_EQ(PatchedPlaces(untouched, HostCode()), std::string("plate routine"));
      STANDIN_CHECK_EQ(PlateIn("LA"), 4);
      CheckFrameIsTheHostsOwn(checks);
    }
    STANDIN_CHECK_EQ(PatchedPlaces(untouched, HostCode()), std::string());
    CheckFrameIsTheHostsOwn(checks);
  }
}

// A host thread runs frames while the plug-in starts: the call site holds one
// instruction that is replaced by one, in a single store, so every frame gets
// the callee's result. (The thread stops before the unload: a frame that is
// inside the plug-in's code while the library goes cannot be made safe. The
// plate routine promises no such thing: its first 5 bytes are several
// instructions, and a thread that had run the first of them would go on
// inside the jump. It holds only for a plug-in loaded before the game's
// threads ask for plates, as loaders load it.)
void FramesWhileThePluginStartsGetTheCalleesResult(Context& context) {
  Checks& checks = context.checks;
  long frames = 0;
  long wrong = 0;
  for (int cycle = 0; cycle < 40; ++cycle) {
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::thread host([&] {
      while (!stop) {
        if (RunFrame() != kFrameCalleeResult) ++wrong;
        ++frames;
        started = true;
      }
    });
    while (!started) std::this_thread::yield();
    PluginLibrary plugin(context.settings.plugin);
    stop = true;
    host.join();
    STANDIN_CHECK(plugin.Contains(CallDestination(FrameCallSite())));
  }
  std::printf("    %ld frames during 40 starts, %ld wrong\n", frames, wrong);
  STANDIN_CHECK_EQ(wrong, 0L);
}

constexpr Scenario kPatchingScenarios[] = {
    {"TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload",
     TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload},
    {"UnloadingUnloadsSoTheNextLoadReadsTheFileAgain",
     UnloadingUnloadsSoTheNextLoadReadsTheFileAgain},
    {"ACallSiteWithoutACallIsLeftAlone", ACallSiteWithoutACallIsLeftAlone},
    {"ACallSiteWithAJumpOrAnIndirectCallIsLeftAlone",
     ACallSiteWithAJumpOrAnIndirectCallIsLeftAlone},
    {"AJumpWhosePageCannotBeUnlockedIsNotWritten", AJumpWhosePageCannotBeUnlockedIsNotWritten},
    {"TwentyLoadsWithFramesAndUnloadsInOneProcess", TwentyLoadsWithFramesAndUnloadsInOneProcess},
    {"FramesWhileThePluginStartsGetTheCalleesResult",
     FramesWhileThePluginStartsGetTheCalleesResult},
};

}  // namespace

const Scenario* PatchingScenariosBegin() { return std::begin(kPatchingScenarios); }
const Scenario* PatchingScenariosEnd() { return std::end(kPatchingScenarios); }

}  // namespace vexilo::standin
