#include "scenarios.hpp"

#include "scenario_support.hpp"

#include <atomic>
#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "checks.hpp"
#include "fake_host.hpp"
#include "file_faults.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/branch.hpp"
#include "plugin_library.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

void FirstStartWritesTheDefaultFileAndSelectsByZone(Context& context) {
  Checks& checks = context.checks;
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK(plugin.loaded());
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{});
  STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"), ReadFileBytes(context.settings.dataDir + "/default-Vexilo.txt"));
  STANDIN_CHECK_EQ(PlateIn("LA"), 1);
  STANDIN_CHECK_EQ(PlateIn("JEF2"), 0);
  STANDIN_CHECK_EQ(PlateIn("SF"), 3);
  STANDIN_CHECK_EQ(PlateIn("VE"), 6);
  STANDIN_CHECK_EQ(PlateIn("CITYS"), 1);
  STANDIN_CHECK_EQ(PlateIn("FRED"), 10);
  STANDIN_CHECK_EQ(PlateIn("XYZ"), 0);
  STANDIN_CHECK_EQ(PlateIn("LA", Player::None), 0);
  STANDIN_CHECK_EQ(CallLog().findZone, 0);
  STANDIN_CHECK_EQ(CallLog().playerArgument, -1);
}

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

void ThePositionComesFromTheMatrixWhenThereIsOne(Context& context) {
  Checks& checks = context.checks;
  PluginLibrary plugin(context.settings.plugin);
  for (Player player : {Player::WithMatrix, Player::WithoutMatrix}) {
    STANDIN_CHECK_EQ(PlateIn("SF", player), 3);
    STANDIN_CHECK_EQ(CallLog().findPlayer, 1);
    STANDIN_CHECK_EQ(CallLog().findZone, 1);
    STANDIN_CHECK_EQ(CallLog().position, ExpectedPosition());
    STANDIN_CHECK_EQ(CallLog().zoneFlag, 1);
  }
}

void MappedValuesReachTheHostUnchanged(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "0=-1\n162=50\n63=2147483647\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(PlateIn("LA"), -1);
  STANDIN_CHECK_EQ(PlateIn("SF"), 50);
  STANDIN_CHECK_EQ(PlateIn("JEF2"), INT32_MAX);
  STANDIN_CHECK_EQ(PlateIn("VE"), 0);
}

void AnExistingFileIsReadAndNeverRewritten(Context& context) {
  Checks& checks = context.checks;
  const std::string mine = ";mine\r\nDEBUG\r\n0-62=4\r\n0=2";
  WriteFileBytes("Vexilo.txt", mine);
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(PlateIn("LA"), 2);
    STANDIN_CHECK_EQ(PlateIn("JEF1B"), 4);
  }
  STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"), mine);
}

// The file is read, and its boxes shown, before the plug-in patches the host.
void CheckHostWasItsOwnWhileBoxesWereUp(Checks& checks, const PluginLibrary& plugin) {
  STANDIN_CHECK(plugin.hostBytesAtBoxes().size() >= plugin.boxes().size());
  for (const HostBytesAtBox& seen : plugin.hostBytesAtBoxes()) {
    STANDIN_CHECK_EQ(seen.plateRoutine, OriginalPatchSites().plateRoutine);
    STANDIN_CHECK_EQ(seen.callSite, OriginalPatchSites().callSite);
  }
}

void AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn(Context& context) {
  Checks& checks = context.checks;
  fs::create_directory("Vexilo.txt");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{kOpenFailed});
  STANDIN_CHECK(fs::is_directory("Vexilo.txt"));
  CheckHostWasItsOwnWhileBoxesWereUp(checks, plugin);
  STANDIN_CHECK(JumpsInto(plugin));
  STANDIN_CHECK_EQ(PlateIn("LA"), 0);
}

void AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder(Context& context) {
  Checks& checks = context.checks;
  if (context.settings.lockedDir.empty() || !fs::is_directory(context.settings.lockedDir)) {
    checks.Skip("the file system could not lock a folder");
    return;
  }
  const fs::path previous = fs::current_path();
  fs::current_path(context.settings.lockedDir);
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(plugin.boxes(), (std::vector<ErrorBox>{kCreateFailed, kOpenFailed}));
    CheckHostWasItsOwnWhileBoxesWereUp(checks, plugin);
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(PlateIn("LA"), 0);
  }
  STANDIN_CHECK(!fs::exists("Vexilo.txt"));
  fs::current_path(previous);
}

void MalformedLinesArePassedOverAndStartUpCompletes(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "=5\n0=4\n1=99999999999\n2-3=x\n162=3\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{});
  STANDIN_CHECK(JumpsInto(plugin));
  STANDIN_CHECK_EQ(PlateIn("LA"), 4);
  STANDIN_CHECK_EQ(PlateIn("RIH1A"), 0);
  STANDIN_CHECK_EQ(PlateIn("RIH1B"), 0);
  STANDIN_CHECK_EQ(PlateIn("SF"), 3);
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

void AZoneTheHostCannotNameGivesPlateback0(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "0-376=9\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(PlateIn("LA"), 9);
  StandIn(Player::WithMatrix, "LA");
  LoseZone();
  STANDIN_CHECK_EQ(RequestPlate(), 0);
  const char field[8] = {'J', 'E', 'F', '2', 'J', 'E', 'F', '2'};
  StandIn(Player::WithMatrix, "");
  SetZoneLabelField(field);
  STANDIN_CHECK_EQ(RequestPlate(), 0);
  STANDIN_CHECK_EQ(PlateIn("jef2"), 0);
}

struct ExpectedCall {
  std::uint32_t routine;
  std::uint32_t first;
  std::uint32_t second;
};

// The 13 calls that print one debug line, for a line at (position, position)
// with the given scale and right edge.
std::vector<ExpectedCall> DebugLineCalls(float position, float scale, float rightEdge) {
  namespace h = host;
  return {
      {h::kFontSetProportional, 1, 0},
      {h::kFontSetScale, Bits(scale * 0.8f), Bits(scale * 1.6f)},
      {h::kFontSetColor, 0xFFFFFFFFu, 0},
      {h::kFontSetWrapx, Bits(255.0f), 0},
      {h::kFontSetDropShadow, 0, 0},
      {h::kFontSetDropColor, 0xFF000000u, 0},
      {h::kFontSetOutline, 1, 0},
      {h::kFontSetRightJustifyWrap, Bits(rightEdge), 0},
      {h::kFontSetBackground, 1, 0},
      {h::kFontSetBackgroundColor, 0, 0},
      {h::kFontSetCentre, 0, 0},
      {h::kFontSetStyle, 1, 0},
      {h::kFontPrintText, Bits(position), Bits(position)},
  };
}

void CheckFontCalls(Checks& checks, const std::vector<ExpectedCall>& expected, const std::string& text) {
  const FontCallLog& log = FontCalls();
  STANDIN_CHECK_EQ(log.count, static_cast<std::int32_t>(expected.size()));
  for (std::size_t i = 0; i < expected.size() && static_cast<int>(i) < log.count; ++i) {
    STANDIN_CHECK_EQ(log.calls[i].routine, expected[i].routine);
    STANDIN_CHECK_EQ(log.calls[i].args[0], expected[i].first);
    STANDIN_CHECK_EQ(log.calls[i].args[1], expected[i].second);
  }
  if (log.count == static_cast<int>(expected.size())) STANDIN_CHECK_EQ(std::string(log.calls[12].text), text);
}

// What one host build gets patched: the host code ranges that change at load,
// and whether plates and frames reach the plug-in.
struct BuildExpectation {
  HostBuild build;
  bool plates;
  bool frames;
};

void EachHostBuildGetsOnlyThePatchesMadeForIt(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=4\n");
  const BuildExpectation builds[] = {
      {HostBuild::V1001, true, true},   {HostBuild::V1002, true, true},   {HostBuild::Unknown, true, false},
      {HostBuild::V1011, false, false}, {HostBuild::V1101, false, false}, {HostBuild::V1111, false, false},
      {HostBuild::V3200, false, false}, {HostBuild::V3210, false, false},
  };
  for (const BuildExpectation& expected : builds) {
    BuildHostImage(expected.build);
    const std::vector<std::uint8_t> untouched = HostCode();
    PluginLibrary plugin(context.settings.plugin);
    const std::string patched = expected.frames ? "call site, plate routine" : expected.plates ? "plate routine" : "";
    STANDIN_CHECK_EQ(PatchedPlaces(untouched, HostCode()), patched);
    STANDIN_CHECK_EQ(PlateIn("LA"), expected.plates ? 4 : kOriginalPlateResult);
    if (expected.plates) STANDIN_CHECK(JumpsInto(plugin));
    if (expected.frames) STANDIN_CHECK(plugin.Contains(CallDestination(FrameCallSite())));
    StandIn(Player::WithMatrix, "LA");
    ClearFontCalls();
    ClearFrameCalleeCalls();
    STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
    STANDIN_CHECK_EQ(FrameCalleeCalls(), 1);
    STANDIN_CHECK_EQ(CallLog().findPlayer, expected.frames ? 1 : 0);
    STANDIN_CHECK_EQ(FontCalls().count, expected.frames ? 13 : 0);
    plugin.Unload();
    STANDIN_CHECK_EQ(PatchedPlaces(untouched, HostCode()), std::string());
    STANDIN_CHECK_EQ(DescribeProtection(FrameCallSite()), std::string("r-x"));
    STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("r-x"));
    STANDIN_CHECK_EQ(RequestPlate(), kOriginalPlateResult);
    if (checks.failures() > 0) {
      return checks.Expect(false, "on build " + Show(static_cast<std::int32_t>(expected.build)), __FILE__, __LINE__);
    }
  }
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

void DrawsTheDebugLineEveryFrame(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  PluginLibrary plugin(context.settings.plugin);
  for (int frame = 0; frame < 2; ++frame) {
    StandIn(Player::WithMatrix, "JEF2");
    ClearFontCalls();
    STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
    CheckFontCalls(checks, DebugLineCalls(20.0f, 1.0f, 10019.0f),
                   "Zone: JEF2, Index: 63, Mapped Index: 0 => Selection from vehicle.txd: plateback1");
  }
  STANDIN_CHECK_EQ(FrameLine(Player::WithoutMatrix, "LA"),
                   std::string("Zone: LA, Index: 0, Mapped Index: 1 => Selection from vehicle.txd: plateback2"));
  STANDIN_CHECK_EQ(FrameLine(Player::WithMatrix, "XYZ"),
                   std::string("Zone: XYZ, Index: 377, Mapped Index: 0 => Selection from vehicle.txd: plateback1"));
  STANDIN_CHECK_EQ(FrameLine(Player::WithMatrix, "CITYS"),
                   std::string("Zone: CITYS, Index: 110, Mapped Index: 1 => Selection from vehicle.txd: plateback2"));
  STANDIN_CHECK_EQ(FrameLine(Player::WithMatrix, "FRED"),
                   std::string("Zone: FRED, Index: 376, Mapped Index: 10 => Selection from vehicle.txd: plateback11"));
  STANDIN_CHECK_EQ(FrameLine(Player::None, "LA"), std::string());
  StandIn(Player::WithMatrix, "LA");
  LoseZone();
  ClearFontCalls();
  RunFrame();
  STANDIN_CHECK_EQ(FontCalls().count, 0);
}

void LaysTheLineOutByTheShorterSideOfTheScreen(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n");
  struct Screen {
    std::int32_t width, height;
    float position, rightEdge;
  };
  const Screen screens[] = {{1920, 1080, 20, 10019}, {1024, 768, 14, 7124}, {640, 480, 8, 4452},
                            {1080, 1920, 20, 10019}, {0, 0, 0, 0}};
  for (const Screen& screen : screens) {
    BuildHostImage(HostBuild::V1001, screen.width, screen.height);
    PluginLibrary plugin(context.settings.plugin);
    StandIn(Player::WithMatrix, "SF");
    ClearFontCalls();
    RunFrame();
    const float shorter = static_cast<float>(screen.width < screen.height ? screen.width : screen.height);
    CheckFontCalls(checks, DebugLineCalls(screen.position, shorter / 1080.0f, screen.rightEdge),
                   "Zone: SF, Index: 162, Mapped Index: 0 => Selection from vehicle.txd: plateback1");
  }
}

void EachFrameFormatsIntoTheNextOfTenBuffers(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=-1\n");
  PluginLibrary plugin(context.settings.plugin);
  std::vector<const char*> texts;
  for (int frame = 0; frame < 12; ++frame) {
    // A frame without a player formats nothing, so the ring does not move.
    StandIn(frame == 1 ? Player::None : Player::WithMatrix, "LA");
    ClearFontCalls();
    RunFrame();
    if (FontCalls().count == 13) texts.push_back(FontCalls().calls[12].textPointer);
    if (frame == 0) {
      STANDIN_CHECK_EQ(std::string(FontCalls().calls[12].text),
                       std::string("Zone: LA, Index: 0, Mapped Index: -1 => Selection from vehicle.txd: plateback0"));
    }
  }
  STANDIN_CHECK_EQ(static_cast<std::int32_t>(texts.size()), 11);
  if (texts.size() != 11) return;
  for (std::size_t i = 1; i < 10; ++i) STANDIN_CHECK(texts[i] != texts[0] && texts[i] != texts[i - 1]);
  STANDIN_CHECK_EQ(static_cast<const void*>(texts[10]), static_cast<const void*>(texts[0]));
}

void WithoutDebugAFrameOnlyAsksForThePlayer(Context& context) {
  Checks& checks = context.checks;
  PluginLibrary plugin(context.settings.plugin);
  StandIn(Player::WithMatrix, "LA");
  ClearFontCalls();
  ClearFrameCalleeCalls();
  for (int frame = 0; frame < 3; ++frame) STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
  STANDIN_CHECK_EQ(CallLog().findPlayer, 3);
  STANDIN_CHECK_EQ(CallLog().findZone, 0);
  STANDIN_CHECK_EQ(FontCalls().count, 0);
  STANDIN_CHECK_EQ(FrameCalleeCalls(), 3);
}

void AFileThatExistsButCannotBeReadIsLeftAsItIs(Context& context) {
  Checks& checks = context.checks;
  {
    UnreadableFile unreadable("Vexilo.txt", "0=5\r\n");
    if (!unreadable.ok()) return checks.Skip("could not make an unreadable file");
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{kOpenFailed});
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(PlateIn("LA"), 0);
  }
  if (fs::is_regular_file("Vexilo.txt")) STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"), std::string("0=5\r\n"));
  else STANDIN_CHECK(fs::exists(fs::symlink_status("Vexilo.txt")));
}

void ADanglingLinkGetsOneBoxAndStaysAsItWas(Context& context) {
  Checks& checks = context.checks;
  if (!MakeDanglingLink("Vexilo.txt", "nowhere.txt") || !fs::is_symlink(fs::symlink_status("Vexilo.txt"))) {
    return checks.Skip("the platform made no symbolic link");
  }
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{kOpenFailed});
  STANDIN_CHECK(fs::is_symlink("Vexilo.txt"));
  STANDIN_CHECK(!fs::exists("nowhere.txt"));
  STANDIN_CHECK_EQ(PlateIn("LA"), 0);
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

void PlateRequestsFromFourThreadsWhileFramesRun(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  PluginLibrary plugin(context.settings.plugin);
  StandIn(Player::WithMatrix, "SF");
  std::atomic<int> wrong{0};
  std::vector<std::thread> requesters;
  for (int t = 0; t < 4; ++t) {
    requesters.emplace_back([&wrong] {
      for (int i = 0; i < 20000; ++i) {
        if (RequestPlate() != 3) ++wrong;
      }
    });
  }
  int wrongFrames = 0;
  for (int frame = 0; frame < 2000; ++frame) {
    ClearFontCalls();
    if (RunFrame() != kFrameCalleeResult || FontCalls().count != 13 ||
        std::string(FontCalls().calls[12].text) !=
            "Zone: SF, Index: 162, Mapped Index: 3 => Selection from vehicle.txd: plateback4") {
      ++wrongFrames;
    }
  }
  for (std::thread& requester : requesters) requester.join();
  STANDIN_CHECK_EQ(wrong.load(), 0);
  STANDIN_CHECK_EQ(wrongFrames, 0);
}

constexpr Scenario kScenarios[] = {
    {"FirstStartWritesTheDefaultFileAndSelectsByZone", FirstStartWritesTheDefaultFileAndSelectsByZone},
    {"TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload", TheJumpLeadsIntoThePluginAndTheRoutineComesBackAtUnload},
    {"ThePositionComesFromTheMatrixWhenThereIsOne", ThePositionComesFromTheMatrixWhenThereIsOne},
    {"MappedValuesReachTheHostUnchanged", MappedValuesReachTheHostUnchanged},
    {"AnExistingFileIsReadAndNeverRewritten", AnExistingFileIsReadAndNeverRewritten},
    {"AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn", AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn},
    {"AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder", AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder},
    {"MalformedLinesArePassedOverAndStartUpCompletes", MalformedLinesArePassedOverAndStartUpCompletes},
    {"UnloadingUnloadsSoTheNextLoadReadsTheFileAgain", UnloadingUnloadsSoTheNextLoadReadsTheFileAgain},
    {"AZoneTheHostCannotNameGivesPlateback0", AZoneTheHostCannotNameGivesPlateback0},
    {"EachHostBuildGetsOnlyThePatchesMadeForIt", EachHostBuildGetsOnlyThePatchesMadeForIt},
    {"ACallSiteWithoutACallIsLeftAlone", ACallSiteWithoutACallIsLeftAlone},
    {"DrawsTheDebugLineEveryFrame", DrawsTheDebugLineEveryFrame},
    {"LaysTheLineOutByTheShorterSideOfTheScreen", LaysTheLineOutByTheShorterSideOfTheScreen},
    {"EachFrameFormatsIntoTheNextOfTenBuffers", EachFrameFormatsIntoTheNextOfTenBuffers},
    {"WithoutDebugAFrameOnlyAsksForThePlayer", WithoutDebugAFrameOnlyAsksForThePlayer},
    {"AFileThatExistsButCannotBeReadIsLeftAsItIs", AFileThatExistsButCannotBeReadIsLeftAsItIs},
    {"ADanglingLinkGetsOneBoxAndStaysAsItWas", ADanglingLinkGetsOneBoxAndStaysAsItWas},
    {"AJumpWhosePageCannotBeUnlockedIsNotWritten", AJumpWhosePageCannotBeUnlockedIsNotWritten},
    {"TwentyLoadsWithFramesAndUnloadsInOneProcess", TwentyLoadsWithFramesAndUnloadsInOneProcess},
    {"PlateRequestsFromFourThreadsWhileFramesRun", PlateRequestsFromFourThreadsWhileFramesRun},
    {"PlateRequestsWhileThePluginStartsSeeOneRoutineOrTheOther", PlateRequestsWhileThePluginStartsSeeOneRoutineOrTheOther},
};

}  // namespace

int RunScenarios(const ScenarioSettings& settings) {
  std::printf("Stand-in host at 0x%X, frame-draw call site at 0x%X, plug-in %s\n", HostBase(), FrameCallSite(),
              settings.plugin.c_str());
  int passed = 0;
  int failed = 0;
  int skipped = 0;
  const auto run = [&](const Scenario& scenario) {
    Checks checks;
    {
      testing::ScratchDir scratch;
      BuildHostImage(HostBuild::V1001);
      StandIn(Player::WithMatrix, "LA");
      Context context{settings, checks};
      scenario.run(context);
    }
    const char* verdict = checks.failures() > 0 ? "FAIL" : checks.skipped() ? "SKIP" : " OK ";
    std::printf("[%s] %s\n", verdict, scenario.name);
    (checks.failures() > 0 ? failed : checks.skipped() ? skipped : passed) += 1;
  };
  for (const Scenario& scenario : kScenarios) run(scenario);
  for (const Scenario* scenario = CoexistenceScenariosBegin(); scenario != CoexistenceScenariosEnd(); ++scenario) {
    run(*scenario);
  }
  std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  return failed;
}

}  // namespace vexilo::standin
