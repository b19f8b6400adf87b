// Runs the end-to-end scenarios, grouped by concern in files of their own.
#include "scenarios.hpp"

#include <cstdio>

#include "checks.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {

int RunScenarioGroups(std::initializer_list<ScenarioGroup> groups,
                      const ScenarioSettings& settings) {
  int passed = 0;
  int failed = 0;
  int skipped = 0;
  for (const ScenarioGroup& group : groups) {
    for (const Scenario* scenario = group.begin; scenario != group.end; ++scenario) {
      // Named before it runs: a scenario that kills the stand-in (a signal,
      // a hang ended by the test's time-out) is the last one named.
      std::printf("[ RUN ] %s\n", scenario->name);
      std::fflush(stdout);
      Checks checks;
      {
        testing::ScratchDir scratch;
        BuildHostImage(HostBuild::V1001);
        StandIn(Player::WithMatrix, "LA");
        Context context{settings, checks};
        scenario->run(context);
      }
      const char* verdict = checks.failures() > 0 ? "FAIL" : checks.skipped() ? "SKIP" : " OK ";
      std::printf("[%s] %s\n", verdict, scenario->name);
      std::fflush(stdout);
      (checks.failures() > 0 ? failed : checks.skipped() ? skipped : passed) += 1;
    }
  }
  std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  return failed;
}

int RunScenarios(const ScenarioSettings& settings) {
  std::printf("Stand-in host at 0x%X, frame-draw call site at 0x%X, plug-in %s\n", HostBase(),
              FrameCallSite(), settings.plugin.c_str());
  return RunScenarioGroups({{StartUpScenariosBegin(), StartUpScenariosEnd()},
                            {BuildScenariosBegin(), BuildScenariosEnd()},
                            {PatchingScenariosBegin(), PatchingScenariosEnd()},
                            {FrameScenariosBegin(), FrameScenariosEnd()},
                            {QuitScenariosBegin(), QuitScenariosEnd()},
                            {CoexistenceScenariosBegin(), CoexistenceScenariosEnd()}},
                           settings);
}

}  // namespace vexilo::standin
