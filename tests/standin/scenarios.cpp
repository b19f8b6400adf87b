// Runs the end-to-end scenarios, grouped by concern in files of their own.
#include "scenarios.hpp"

#include <cstdio>

#include "checks.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

struct ScenarioGroup {
  const Scenario* begin;
  const Scenario* end;
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
  const ScenarioGroup groups[] = {
      {StartUpScenariosBegin(), StartUpScenariosEnd()},   {BuildScenariosBegin(), BuildScenariosEnd()},
      {PatchingScenariosBegin(), PatchingScenariosEnd()}, {FrameScenariosBegin(), FrameScenariosEnd()},
      {QuitScenariosBegin(), QuitScenariosEnd()},
      {CoexistenceScenariosBegin(), CoexistenceScenariosEnd()},
  };
  for (const ScenarioGroup& group : groups) {
    for (const Scenario* scenario = group.begin; scenario != group.end; ++scenario) run(*scenario);
  }
  std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  return failed;
}

}  // namespace vexilo::standin
