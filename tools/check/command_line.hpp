#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game_files.hpp"
#include "mapping_check.hpp"

/// vexilo-check's command line: one table of options, which both reads the
/// arguments and writes the help, so that the two never disagree.
namespace vexilo::check {

inline constexpr int kExitClean = 0;
inline constexpr int kExitMalformed = 1;
inline constexpr int kExitUnreadable = 2;

struct Options {
  std::string file = kMappingFileName;
  bool haveFile = false;
  CheckOptions check;
  bool table = false;
  bool json = false;
  bool zones = false;
  std::optional<std::string> zone;
  std::string html;
  std::optional<std::string> game;
  std::optional<std::string> txd;
  bool fix = false;
  bool dryRun = false;
  bool plain = false;
  /// Started by a double-click or a drop: it may offer to mend the file.
  bool ownWindow = false;
};

/// Reads the arguments (the program's name first) into options. Returns -1
/// to go on, or the exit status when the command line is done with: after
/// --help, --version or --zones, or for a wrong argument, said on stderr.
int ParseCommandLine(const std::vector<std::string>& arguments, Options& options);

}  // namespace vexilo::check
