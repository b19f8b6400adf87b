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

/// True for the commands with which a quitting scenario starts a stand-in of
/// its own.
bool IsQuitCommand(const std::string& command);

/// A stand-in started by a quitting scenario: loads the plug-in and quits as
/// the command says. Returns only when it could not.
int RunQuitCommand(const std::string& command, const std::string& plugin);

}  // namespace vexilo::standin
