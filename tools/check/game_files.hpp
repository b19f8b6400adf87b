#pragma once

#include <optional>
#include <string>

#include "mapping_check.hpp"

/// The files around Vexilo.txt that decide what the game shows: the limit adjuster's count of plate
/// textures, and the install mistakes that keep the game from reading what the player edits.
namespace vexilo::check {

/// The count in the .ini files of the game's folder (with its separator) and its subfolders. An
/// .ini beside an .asi of its name is the one its plug-in reads; a copy ("limits - Copy.ini") never
/// wins over the file it copies. Where several counts remain, the lowest is judged and the others
/// named.
std::optional<PlateCount> FindPlateCount(const std::string& gameFolder);

/// Which file and line gave the count, or that the game uses its own 3.
std::string PlateCountNote(const std::optional<PlateCount>& count);

}  // namespace vexilo::check
