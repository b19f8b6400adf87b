// Each host build the version check knows, and what the plug-in patches on it.
#include <iterator>
#include <string>
#include <vector>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

using testing::WriteFileBytes;

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
      {HostBuild::V1001, true, true},    {HostBuild::V1002, true, true},
      {HostBuild::Unknown, true, false}, {HostBuild::V1011, false, false},
      {HostBuild::V1101, false, false},  {HostBuild::V1111, false, false},
      {HostBuild::V3200, false, false},  {HostBuild::V3210, false, false},
  };
  for (const BuildExpectation& expected : builds) {
    BuildHostImage(expected.build);
    const std::vector<std::uint8_t> untouched = HostCode();
    PluginLibrary plugin(context.settings.plugin);
    const std::string patched = expected.frames   ? "call site, plate routine"
                                : expected.plates ? "plate routine"
                                                  : "";
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
      return checks.Expect(false, "on build " + Show(static_cast<std::int32_t>(expected.build)),
                           __FILE__, __LINE__);
    }
  }
}

constexpr Scenario kBuildScenarios[] = {
    {"EachHostBuildGetsOnlyThePatchesMadeForIt", EachHostBuildGetsOnlyThePatchesMadeForIt},
};

}  // namespace

const Scenario* BuildScenariosBegin() { return std::begin(kBuildScenarios); }
const Scenario* BuildScenariosEnd() { return std::end(kBuildScenarios); }

}  // namespace vexilo::standin
