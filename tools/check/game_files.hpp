#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mapping_check.hpp"

/// The files around Vexilo.txt that decide what the game shows: the limit
/// adjuster's count of plate textures, and the install mistakes that keep
/// the game from reading what the player edits.
namespace vexilo::check {

/// What a line of a limit adjuster's .ini says of the plate textures:
/// "Number of plate textures = 11" in any case and spacing, off when it
/// starts with '#' or ';'. Nothing for any other line.
std::optional<PlateCount> ReadPlateCountLine(std::string_view line);

/// The count in the .ini files of the game's folder (UTF-8, with its
/// separator) and its subfolders. An .ini beside an .asi of its name is the
/// one its plug-in reads; a copy ("limits - Copy.ini") never wins over the
/// file it copies. A file's lines that are on count, or its first line when
/// all are off. Where several counts remain, the lowest is judged and the
/// others named. Nothing when no .ini holds one.
std::optional<PlateCount> FindPlateCount(const std::string& gameFolder);

/// "No limit adjuster .ini ... the game then uses its own 3 plate textures"
/// when there is no count; else which file and line gave it.
std::string PlateCountNote(const std::optional<PlateCount>& count);

}  // namespace vexilo::check
