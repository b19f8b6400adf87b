#pragma once

#include <string>
#include <vector>

#include "finding.hpp"

/// The game's folder, found before anything else is judged, and the Vexilo.txt the game reads
/// there: the game runs in the folder of its executable, also when the plug-in sits in scripts\ or
/// plugins\.
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

}  // namespace vexilo::check
