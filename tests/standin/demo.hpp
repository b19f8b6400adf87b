#pragma once

#include <string>

namespace vexilo::standin {

/// Loads the plug-in into the stand-in host in the current folder (the game
/// folder), shows the mapping file it read or wrote, and walks the local
/// player through a few zones, printing the plateback the host gets in each.
int RunDemo(const std::string& plugin);

}  // namespace vexilo::standin
