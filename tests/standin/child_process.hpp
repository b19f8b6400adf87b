#pragma once

#include <string>
#include <vector>

/// The stand-in started afresh, for scenarios whose process must end in a
/// way the running stand-in cannot survive (the game quitting).
namespace vexilo::standin {

struct ChildOutcome {
  bool finished;  ///< false when the child was still running at the limit and was killed
  int exitCode;   ///< its exit code (POSIX: 128 + the signal that ended it)
};

/// Runs this stand-in executable again with args, in the same working folder,
/// and waits for it at most limitSeconds.
ChildOutcome RunStandinAgain(const std::vector<std::string>& args, int limitSeconds);

}  // namespace vexilo::standin
