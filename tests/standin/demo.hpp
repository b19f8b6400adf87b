#pragma once

#include <string>

namespace vexilo::standin {

/// Loads the plug-in into the stand-in host in the current folder (the game
/// folder), shows the mapping file it read or wrote, and walks the local
/// player through a few zones, printing the plateback the host gets in each.
int RunDemo(const std::string& plugin);

/// Loads the plug-in with a copy of mappingFile as Vexilo.txt in a scratch
/// folder and prints, for every zone the host can name, the plateback the
/// host gets there, in the layout of "vexilo-check --table" (zone index 187
/// is never reached, so it has no row).
int RunTable(const std::string& plugin, const std::string& mappingFile);

}  // namespace vexilo::standin
