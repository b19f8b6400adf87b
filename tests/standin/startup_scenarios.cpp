// The plug-in's start-up as players meet it: the mapping file written, read,
// or not to be had, and the plates chosen from it.
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "file_faults.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "scenario_support.hpp"
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
  STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"),
                   ReadFileBytes(context.settings.dataDir + "/default-Vexilo.txt"));
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

// Players copy the label the debug line shows; a label commented out the
// .ini way, or a zone word in a note, sets nothing.
void ZoneLabelsNameTheirZonesInTheFile(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt",
                 "LA-JEF1B=1\r\njef2=7\r\nSF=3\r\nNOWHERE=9\r\n#JEF2=5\r\n"
                 "5=3 ; Los Santos-Red County\r\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(PlateIn("LA"), 1);
  STANDIN_CHECK_EQ(PlateIn("JEF1B"), 1);
  STANDIN_CHECK_EQ(PlateIn("JEF2"), 7);
  STANDIN_CHECK_EQ(PlateIn("SF"), 3);
  STANDIN_CHECK_EQ(PlateIn("VE"), 0);
  STANDIN_CHECK_EQ(PlateIn("RIH3B"), 1);
  STANDIN_CHECK_EQ(PlateIn("RED"), 0);
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
  if (fs::is_regular_file("Vexilo.txt"))
    STANDIN_CHECK_EQ(ReadFileBytes("Vexilo.txt"), std::string("0=5\r\n"));
  else
    STANDIN_CHECK(fs::exists(fs::symlink_status("Vexilo.txt")));
}

void ADanglingLinkGetsOneBoxAndStaysAsItWas(Context& context) {
  Checks& checks = context.checks;
  if (!MakeDanglingLink("Vexilo.txt", "nowhere.txt") ||
      !fs::is_symlink(fs::symlink_status("Vexilo.txt"))) {
    return checks.Skip("the platform made no symbolic link");
  }
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(plugin.boxes(), std::vector<ErrorBox>{kOpenFailed});
  STANDIN_CHECK(fs::is_symlink("Vexilo.txt"));
  STANDIN_CHECK(!fs::exists("nowhere.txt"));
  STANDIN_CHECK_EQ(PlateIn("LA"), 0);
}

constexpr Scenario kStartUpScenarios[] = {
    {"FirstStartWritesTheDefaultFileAndSelectsByZone",
     FirstStartWritesTheDefaultFileAndSelectsByZone},
    {"ThePositionComesFromTheMatrixWhenThereIsOne", ThePositionComesFromTheMatrixWhenThereIsOne},
    {"MappedValuesReachTheHostUnchanged", MappedValuesReachTheHostUnchanged},
    {"AnExistingFileIsReadAndNeverRewritten", AnExistingFileIsReadAndNeverRewritten},
    {"AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn",
     AFileThatCannotBeOpenedGetsOneBoxAndStartUpGoesOn},
    {"AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder",
     AFolderWhereNothingCanBeCreatedGetsBothBoxesInOrder},
    {"MalformedLinesArePassedOverAndStartUpCompletes",
     MalformedLinesArePassedOverAndStartUpCompletes},
    {"ZoneLabelsNameTheirZonesInTheFile", ZoneLabelsNameTheirZonesInTheFile},
    {"AZoneTheHostCannotNameGivesPlateback0", AZoneTheHostCannotNameGivesPlateback0},
    {"AFileThatExistsButCannotBeReadIsLeftAsItIs", AFileThatExistsButCannotBeReadIsLeftAsItIs},
    {"ADanglingLinkGetsOneBoxAndStaysAsItWas", ADanglingLinkGetsOneBoxAndStaysAsItWas},
};

}  // namespace

const Scenario* StartUpScenariosBegin() { return std::begin(kStartUpScenarios); }
const Scenario* StartUpScenariosEnd() { return std::end(kStartUpScenarios); }

}  // namespace vexilo::standin
