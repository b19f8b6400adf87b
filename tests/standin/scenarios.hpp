#pragma once

#include <string>

namespace vexilo::standin {

struct ScenarioSettings {
  std::string plugin;     ///< absolute path of the plug-in library
  std::string dataDir;    ///< the tests' data folder
  std::string lockedDir;  ///< a folder where no file can be created, or empty
  std::string loader;     ///< the stand-in's loader library, or empty
};

/// Runs every end-to-end scenario against the real plug-in; returns the
/// number of failed scenarios.
int RunScenarios(const ScenarioSettings& settings);

}  // namespace vexilo::standin
