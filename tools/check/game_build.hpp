#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_builds.hpp"
#include "pe_image.hpp"

/// Which build of the game an executable on disk is, told by the plug-in's
/// own probes, and what the plug-in does on it.
namespace vexilo::check {

struct GameBuild {
  std::string file;     ///< as shown to the user
  std::string problem;  ///< why the file tells no build; empty when it was read
  std::int32_t version = host::kUnknownHostVersion;

  bool Read() const { return problem.empty(); }
};

/// The executables read for one check, and where they were looked for.
struct GameSearch {
  std::string beside;  ///< the mapping file whose folder was searched
  bool named = false;  ///< the one executable given with --game
  std::vector<GameBuild> builds;
  std::string folder;         ///< as shown to the user
  std::string folderProblem;  ///< why it could not be read; empty when it was
};

/// file names the source in the result.
GameBuild ReadGameBuild(const std::string& file, ByteSource& source);
GameBuild ReadGameBuild(const std::string& path);

/// Every ".exe" (in any case) but the checker's own, ownName or
/// vexilo-check.exe, sorted.
std::vector<std::string> PickGameExecutables(std::vector<std::string> names,
                                             std::string_view ownName);

/// With its separator ("" for a bare name).
std::string FolderOf(std::string_view path);

/// "plates-and-debug-line", "plates-only" or "nothing", for JSON and the page.
std::string_view SupportName(host::HostSupport support);

/// What Vexilo does on the executable, or what is wrong with the file, as
/// one sentence without the file's name.
std::string DescribeGameBuild(const GameBuild& build);
/// Why a search found nothing to read.
std::string NoGameExecutable(const GameSearch& games);

/// The limit of a check of the file, said once under the executables.
inline constexpr std::string_view kFileCheckLimit =
    "The build is read from the file on disk. An executable that is compressed or protected on "
    "disk can differ from what runs; the DEBUG line shows what actually runs.";

}  // namespace vexilo::check
