#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "checks.hpp"
#include "fake_host.hpp"
#include "plugin_library.hpp"
#include "scenarios.hpp"

/// What the end-to-end scenarios share: their context, the boxes the plug-in
/// may show, and ways to ask the host what the plug-in did to it.
namespace vexilo::standin {

inline const ErrorBox kCreateFailed{"Failed to create TXT file: .\\Vexilo.txt", "Error",
                                    kIconError};
inline const ErrorBox kOpenFailed{"Failed to open TXT file: .\\Vexilo.txt", "Error", kIconError};

struct Context {
  const ScenarioSettings& settings;
  Checks& checks;
};

struct Scenario {
  const char* name;
  void (*run)(Context&);
};

struct ScenarioGroup {
  const Scenario* begin;
  const Scenario* end;
};

/// Runs each scenario of the groups in a scratch folder of its own, on a
/// build-1001 host with the player in LA; prints a verdict line for each and
/// the counts. Returns the number of failed scenarios.
int RunScenarioGroups(std::initializer_list<ScenarioGroup> groups,
                      const ScenarioSettings& settings);

/// Start-up: the mapping file written, read or not to be had, and plates chosen from it.
const Scenario* StartUpScenariosBegin();
const Scenario* StartUpScenariosEnd();

/// What each host build gets patched.
const Scenario* BuildScenariosBegin();
const Scenario* BuildScenariosEnd();

/// The two patch sites through load and unload.
const Scenario* PatchingScenariosBegin();
const Scenario* PatchingScenariosEnd();

/// Frames: the debug line, and frames among plate requests.
const Scenario* FrameScenariosBegin();
const Scenario* FrameScenariosEnd();

/// The game quitting inside a frame, or while a thread is inside one.
const Scenario* QuitScenariosBegin();
const Scenario* QuitScenariosEnd();

/// The scenarios of loaders, several copies and other plug-ins at the same sites.
const Scenario* CoexistenceScenariosBegin();
const Scenario* CoexistenceScenariosEnd();

/// The plateback the host gets for a plate while the player stands in label.
std::int32_t PlateIn(const std::string& label, Player player = Player::WithMatrix);

/// Where the relative branch at address goes.
std::uint32_t CallDestination(std::uint32_t site);

/// True when the plate-design routine starts with a jump into the plug-in.
bool JumpsInto(const PluginLibrary& plugin);

/// The debug line the host is asked to print on one frame, or "" for none.
std::string FrameLine(Player player, const std::string& label);

/// The default file with its debug switch uncommented.
std::string DefaultFileWithDebug(const Context& context);

/// The raw bits of a float.
std::uint32_t Bits(float value);

/// A copy of every byte of host code the stand-in lays out.
std::vector<std::uint8_t> HostCode();

/// Where two copies of host code differ: "call site" and "plate routine"
/// for bytes of those two 5-byte sites, the address of any other byte, in
/// address order and comma-separated; "" when the copies are the same.
std::string PatchedPlaces(const std::vector<std::uint8_t>& before,
                          const std::vector<std::uint8_t>& after);

/// The plate routine's first bytes and the call site's, as the stand-in lays
/// them out for every build.
struct HostPatchSites {
  std::array<std::uint8_t, 5> plateRoutine;
  std::array<std::uint8_t, 5> callSite;
};
HostPatchSites OriginalPatchSites();

}  // namespace vexilo::standin
