#include "scenarios.hpp"

#include <climits>
#include <cstdio>
#include <filesystem>

#include "checks.hpp"
#include "fake_host.hpp"
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

const ErrorBox kCreateFailed{"Failed to create TXT file: .\\Vexilo.txt", "Error", kIconError};
const ErrorBox kOpenFailed{"Failed to open TXT file: .\\Vexilo.txt", "Error", kIconError};

struct Context {
  const ScenarioSettings& settings;
  Checks& checks;
};

// The plateback the host gets for a plate while the player stands in label.
std::int32_t PlateIn(const std::string& label, Player player = Player::WithMatrix) {
  StandIn(player, label);
  return RequestPlate();
}

std::uint32_t JumpDestination() {
  const std::array<std::uint8_t, 5> bytes = HostBytes(host::kPlateDesignRoutine);
  return injector::rel32_destination(host::kPlateDesignRoutine, static_cast<std::int32_t>(injector::load_le32(&bytes[1])));
}

bool JumpsInto(const PluginLibrary& plugin) {
  return HostBytes(host::kPlateDesignRoutine)[0] == injector::kJmpRel32 && plugin.Contains(JumpDestination());
}

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

void TheJumpLeadsIntoThePluginAndOutlivesIt(Context& context) {
  Checks& checks = context.checks;
  STANDIN_CHECK_EQ(RequestPlate(), kOriginalPlateResult);
  const std::array<std::uint8_t, 5> tail = HostBytes(host::kPlateDesignRoutine + 5);
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK(JumpsInto(plugin));
    STANDIN_CHECK_EQ(HostBytes(host::kPlateDesignRoutine + 5), tail);
    STANDIN_CHECK_EQ(DescribeProtection(host::kPlateDesignRoutine), std::string("r-x"));
    STANDIN_CHECK_EQ(RequestPlate(), 1);
  }
  // Nothing saved the routine's bytes: the jump stays after unload.
  STANDIN_CHECK_EQ(HostBytes(host::kPlateDesignRoutine)[0], std::uint8_t{0xE9});
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

void AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn(Context& context) {
  Checks& checks = context.checks;
  fs::create_directory("Vexilo.txt");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{kOpenFailed});
  STANDIN_CHECK(fs::is_directory("Vexilo.txt"));
  STANDIN_CHECK(JumpsInto(plugin));
  STANDIN_CHECK_EQ(PlateIn("LA"), 0);
}

void AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder(Context& context) {
  Checks& checks = context.checks;
  if (context.settings.lockedDir.empty() || !fs::is_directory(context.settings.lockedDir)) {
    std::printf("    (skipped: the file system could not lock a folder)\n");
    return;
  }
  const fs::path previous = fs::current_path();
  fs::current_path(context.settings.lockedDir);
  {
    PluginLibrary plugin(context.settings.plugin);
    STANDIN_CHECK_EQ(plugin.boxes(), (std::vector<ErrorBox>{kCreateFailed, kOpenFailed}));
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

struct Scenario {
  const char* name;
  void (*run)(Context&);
};

constexpr Scenario kScenarios[] = {
    {"FirstStartWritesTheDefaultFileAndSelectsByZone", FirstStartWritesTheDefaultFileAndSelectsByZone},
    {"TheJumpLeadsIntoThePluginAndOutlivesIt", TheJumpLeadsIntoThePluginAndOutlivesIt},
    {"ThePositionComesFromTheMatrixWhenThereIsOne", ThePositionComesFromTheMatrixWhenThereIsOne},
    {"MappedValuesReachTheHostUnchanged", MappedValuesReachTheHostUnchanged},
    {"AnExistingFileIsReadAndNeverRewritten", AnExistingFileIsReadAndNeverRewritten},
    {"AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn", AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn},
    {"AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder", AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder},
    {"MalformedLinesArePassedOverAndStartUpCompletes", MalformedLinesArePassedOverAndStartUpCompletes},
    {"UnloadingUnloadsSoTheNextLoadReadsTheFileAgain", UnloadingUnloadsSoTheNextLoadReadsTheFileAgain},
    {"AZoneTheHostCannotNameGivesPlateback0", AZoneTheHostCannotNameGivesPlateback0},
};

}  // namespace

int RunScenarios(const ScenarioSettings& settings) {
  int passed = 0;
  int failed = 0;
  for (const Scenario& scenario : kScenarios) {
    Checks checks;
    {
      testing::ScratchDir scratch;
      BuildHostImage(HostBuild::V1001);
      StandIn(Player::WithMatrix, "LA");
      Context context{settings, checks};
      scenario.run(context);
    }
    std::printf("[%s] %s\n", checks.failures() == 0 ? " OK " : "FAIL", scenario.name);
    (checks.failures() == 0 ? passed : failed) += 1;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed;
}

}  // namespace vexilo::standin
