#pragma once

#include "game_build.hpp"

namespace vexilo::check::testing {

/// A folder's executables: one of each kind a report tells apart (a known
/// build that Vexilo serves, one no probe names, one it leaves alone, and a
/// broken file whose name needs escaping).
inline GameSearch SomeGames() {
  GameSearch games;
  games.beside = "V.txt";
  games.builds.resize(4);
  games.builds[0].file = "a.exe";
  games.builds[0].version = 1002;
  games.builds[1].file = "b.exe";
  games.builds[2].file = "c.exe";
  games.builds[2].version = 3200;
  games.builds[3].file = "d\"<x>.exe";
  games.builds[3].problem = "not a Windows executable: it does not start with \"MZ\"";
  return games;
}

}  // namespace vexilo::check::testing
