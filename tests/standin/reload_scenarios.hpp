#pragma once

#include "scenarios.hpp"

namespace vexilo::standin {

/// Runs the scenarios of live edits against the real plug-in, in real time
/// (each takes a few seconds); returns the number of failed scenarios.
int RunReloadScenarios(const ScenarioSettings& settings);

}  // namespace vexilo::standin
