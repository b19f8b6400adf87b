#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mapping_check.hpp"

/// The files around Vexilo.txt that decide what the game shows: the game's folder (that of its
/// executable, also when the plug-in sits in scripts\ or plugins\), found before anything else is
/// judged, and the Vexilo.txt read there; the install mistakes that keep the game from reading
/// what the player edits; and the limit adjuster's count of plate textures.
namespace vexilo::check {

inline constexpr char kMappingFileName[] = "Vexilo.txt";

struct GameFolder {
  std::string folder;      ///< with its separator; "" for the current one
  std::string file;        ///< the Vexilo.txt the game reads
  bool fileThere = false;  ///< and it is there
  /// Other Vexilo.txt files found (and Vexilo.txt.txt), which the game never reads.
  std::vector<std::string> copies;
  /// What is wrong around the file: copies, a second plug-in, no game here.
  std::vector<Finding> findings;

  /// As the player names it from the folder ("scripts/Vexilo.txt").
  std::string Shown(const std::string& path) const;
};

/// The folder a check starts in when the game's executable is there, else its parent when it is
/// there; else the folder itself, with a warning.
GameFolder FindGameFolder(const std::string& start);

/// An error when the game does not read checked, and a warning for every copy beside it.
void JudgeCheckedFile(GameFolder& game, const std::string& checked);

/// In any case.
bool IsNamedVexiloTxt(const std::string& path);

/// The count in the .ini files of the game's folder (with its separator) and its subfolders: the
/// .ini beside an .asi of its name is the one its plug-in reads, a copy never wins over the file it
/// copies, and where several counts remain the lowest is judged and the others named.
std::optional<PlateCount> FindPlateCount(const std::string& gameFolder);

/// Which file and line gave the count, or that the game uses its own 3.
std::string PlateCountNote(const std::optional<PlateCount>& count);

}  // namespace vexilo::check
