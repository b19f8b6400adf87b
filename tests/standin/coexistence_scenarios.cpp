// The plug-in among others, as players' games have it: loaders that load it
// from a subfolder or from their own start-up, a second copy of it, and other
// plug-ins that hook the same frame call site before or after it.
#include <filesystem>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/branch.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const std::string kLaLine =
    "Zone: LA, Index: 0, Mapped Index: 1 => Selection from vehicle.txd: plateback2";

// Another plug-in's routine at the frame call site: it notes that it ran and
// how many font calls the frame had made by then, and calls what it saved.
struct OtherPlugin {
  std::uint32_t savedCallee = 0;
  int runs = 0;
  int fontCallsBefore = -1;
};
OtherPlugin other;

std::uint32_t OtherPluginsRoutine() {
  ++other.runs;
  other.fontCallsBefore = FontCalls().count;
  return reinterpret_cast<std::uint32_t (*)()>(static_cast<std::uintptr_t>(other.savedCallee))();
}

// Hooks the call site as another plug-in would: its call replaces whatever
// stands there, which it calls in turn.
void HookAsAnotherPlugin() {
  other = {CallDestination(FrameCallSite()), 0, -1};
  const auto routine =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&OtherPluginsRoutine));
  const injector::rel32_instruction call =
      injector::encode_rel32(injector::kCallRel32, FrameCallSite(), routine);
  PokeHost(FrameCallSite(), {call[0], call[1], call[2], call[3], call[4]});
}

void PutBack(const std::array<std::uint8_t, 5>& bytes) {
  PokeHost(FrameCallSite(), {bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]});
}

// One frame with the player in LA: the host gets its callee's result, the
// callee runs once, and the given number of debug lines is drawn.
void CheckFrame(Checks& checks, int debugLines) {
  StandIn(Player::WithMatrix, "LA");
  ClearFontCalls();
  ClearFrameCalleeCalls();
  STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
  STANDIN_CHECK_EQ(FrameCalleeCalls(), 1);
  STANDIN_CHECK_EQ(FontCalls().count, 13 * debugLines);
  for (int line = 1; line <= debugLines && FontCalls().count == 13 * debugLines; ++line) {
    STANDIN_CHECK_EQ(std::string(FontCalls().calls[13 * line - 1].text), kLaLine);
  }
}

// The plug-in's jump and frame hook stand at the host's sites, plates are
// chosen by the default file, and a frame draws debugLines lines.
void CheckInFrontAndServing(Checks& checks, const PluginLibrary& plugin, int debugLines) {
  STANDIN_CHECK(JumpsInto(plugin));
  STANDIN_CHECK(plugin.Contains(CallDestination(FrameCallSite())));
  STANDIN_CHECK_EQ(PlateIn("LA"), 1);
  CheckFrame(checks, debugLines);
}

void CheckHostIsItsOwn(Checks& checks) {
  STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), OriginalCallSiteBytes());
  STANDIN_CHECK_EQ(HostBytes(host::kPlateDesignRoutine), OriginalPatchSites().plateRoutine);
  STANDIN_CHECK_EQ(RequestPlate(), kOriginalPlateResult);
  STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
}

void FromAScriptsFolderTheFileStaysInTheWorkingFolder(Context& context) {
  Checks& checks = context.checks;
  fs::create_directory("scripts");
  const fs::path inScripts = fs::absolute("scripts") / fs::path(context.settings.plugin).filename();
  fs::copy_file(context.settings.plugin, inScripts);
  {
    PluginLibrary plugin(inScripts.string());
    STANDIN_CHECK(plugin.loaded());
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"),
                     ReadFileBytes(context.settings.dataDir + "/default-Vexilo.txt"));
    STANDIN_CHECK(!fs::exists("scripts/Vexilo.txt"));
  }
  WriteFileBytes("Vexilo.txt", "0=6\n");
  WriteFileBytes("scripts/Vexilo.txt", "0=9\n");
  PluginLibrary plugin(inScripts.string());
  STANDIN_CHECK_EQ(PlateIn("LA"), 6);
}

void LoadedFromAnotherLibrarysStartUp(Context& context) {
  Checks& checks = context.checks;
  if (context.settings.loader.empty()) return checks.Skip("no loader library was named");
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  SetEnvironment("VEXILO_LOADER_TARGET", context.settings.plugin);
  PluginLibrary loader(context.settings.loader);
  STANDIN_CHECK(loader.loaded());
  STANDIN_CHECK_EQ(loader.boxes(), std::vector<ErrorBox>{});
  STANDIN_CHECK_EQ(PlateIn("LA"), 1);
  STANDIN_CHECK_EQ(PlateIn("SF"), 3);
  CheckFrame(checks, 1);
  loader.Unload();
  CheckHostIsItsOwn(checks);
}

void TwoCopiesUnderTwoNamesBothRunAndUnloadInReverse(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  const fs::path copy =
      fs::absolute("copy-" + fs::path(context.settings.plugin).filename().string());
  fs::copy_file(context.settings.plugin, copy);
  PluginLibrary first(context.settings.plugin);
  {
    PluginLibrary second(copy.string());
    // Each copy draws its line: the two lie on top of each other.
    CheckInFrontAndServing(checks, second, 2);
  }
  CheckInFrontAndServing(checks, first, 1);
  first.Unload();
  CheckHostIsItsOwn(checks);
}

void APluginThatHookedTheFrameFirstKeepsItsPlace(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=1\n");
  HookAsAnotherPlugin();
  const std::array<std::uint8_t, 5> theirs = HostBytes(FrameCallSite());
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK(plugin.Contains(CallDestination(FrameCallSite())));
    for (int frame = 1; frame <= 3; ++frame) {
      CheckFrame(checks, 1);
      STANDIN_CHECK_EQ(other.runs, frame);
      STANDIN_CHECK_EQ(other.fontCallsBefore, 0);
    }
  }
  STANDIN_CHECK_EQ(HostBytes(FrameCallSite()), theirs);
  CheckFrame(checks, 0);
  STANDIN_CHECK_EQ(other.runs, 4);
}

void APluginThatHooksAfterUsAndLeavesFirstGivesTheHostItsCallBack(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=1\n");
  PluginLibrary plugin(context.settings.plugin);
  const std::array<std::uint8_t, 5> ours = HostBytes(FrameCallSite());
  HookAsAnotherPlugin();
  STANDIN_CHECK(plugin.Contains(other.savedCallee));
  for (int frame = 1; frame <= 3; ++frame) {
    CheckFrame(checks, 1);
    STANDIN_CHECK_EQ(other.runs, frame);
    STANDIN_CHECK_EQ(other.fontCallsBefore, 0);
  }
  PutBack(ours);
  CheckFrame(checks, 1);
  STANDIN_CHECK_EQ(other.runs, 3);
  plugin.Unload();
  CheckHostIsItsOwn(checks);
}

constexpr Scenario kCoexistenceScenarios[] = {
    {"FromAScriptsFolderTheFileStaysInTheWorkingFolder",
     FromAScriptsFolderTheFileStaysInTheWorkingFolder},
    {"LoadedFromAnotherLibrarysStartUp", LoadedFromAnotherLibrarysStartUp},
    {"TwoCopiesUnderTwoNamesBothRunAndUnloadInReverse",
     TwoCopiesUnderTwoNamesBothRunAndUnloadInReverse},
    {"APluginThatHookedTheFrameFirstKeepsItsPlace", APluginThatHookedTheFrameFirstKeepsItsPlace},
    {"APluginThatHooksAfterUsAndLeavesFirstGivesTheHostItsCallBack",
     APluginThatHooksAfterUsAndLeavesFirstGivesTheHostItsCallBack},
};

}  // namespace

const Scenario* CoexistenceScenariosBegin() { return std::begin(kCoexistenceScenarios); }
const Scenario* CoexistenceScenariosEnd() { return std::end(kCoexistenceScenarios); }

}  // namespace vexilo::standin
