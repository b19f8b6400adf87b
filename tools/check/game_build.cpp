#include "game_build.hpp"

#include <algorithm>

#include "file_bytes.hpp"
#include "host/addresses.hpp"
#include "text.hpp"

namespace vexilo::check {

// The checker as the release package names it, also when this one runs
// under another name (from a build folder, say).
constexpr std::string_view kReleaseName = "vexilo-check.exe";

GameBuild ReadGameBuild(const std::string& file, ByteSource& source) {
  const PeReading reading = ReadPeLayout(source);
  GameBuild build{file, reading.problem};
  if (!reading.layout) return build;
  // The plug-in moves every host address with the base the host is loaded
  // at, so a probe lies at the same offset from the image's start whatever
  // base the executable asks for; one on bytes outside the image does not match.
  build.version = host::IdentifyBuild([&](std::uint32_t address) -> std::optional<std::uint32_t> {
    if (address < host::kPreferredBase) return std::nullopt;
    return ReadImageLe32(*reading.layout, source, address - host::kPreferredBase);
  });
  return build;
}

GameBuild ReadGameBuild(const std::string& path) {
  FileBytes bytes(path);
  if (bytes.IsOpen()) return ReadGameBuild(path, bytes);
  return {path, "cannot be read: " + WhyNotOpened(path)};
}

std::vector<std::string> PickGameExecutables(std::vector<std::string> names,
                                             std::string_view ownName) {
  names.erase(std::remove_if(names.begin(), names.end(),
                             [ownName](const std::string& name) {
                               return name.size() <= 4 || !EndsWithIgnoringCase(name, ".exe") ||
                                      EqualsIgnoringCase(name, ownName) ||
                                      EqualsIgnoringCase(name, kReleaseName);
                             }),
              names.end());
  std::sort(names.begin(), names.end());
  return names;
}

std::string FolderOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? "" : std::string(path.substr(0, separator + 1));
}

std::string_view SupportName(host::HostSupport support) {
  constexpr std::string_view kNames[] = {"plates-and-debug-line", "plates-only", "nothing"};
  return kNames[static_cast<int>(support)];
}

std::string NoGameExecutable(const GameSearch& games) {
  if (!games.folderProblem.empty())
    return "cannot read the folder " + games.folder + " (" + games.folderProblem +
           ") to look for the game's .exe; name it with --game FILE";
  return "no .exe beside " + games.beside + "; name the game's executable with --game FILE";
}

std::string DescribeGameBuild(const GameBuild& build) {
  if (!build.Read()) return build.problem;
  const host::HostSupport support = host::SupportOn(build.version);
  if (support == host::HostSupport::PlatesOnly) {
    return "a build Vexilo does not recognise: if this is the game, Vexilo changes plates (it "
           "may be a variant of 1001 or 1002) but draws no DEBUG line";
  }
  return "build " + std::to_string(build.version) +
         (support == host::HostSupport::PlatesAndDebugLine
              ? ": Vexilo changes plates and draws the DEBUG line (when Vexilo.txt holds DEBUG)"
              : ": Vexilo leaves the game alone: it patches nothing, the game chooses plates "
                "itself, and no DEBUG line is drawn");
}

}  // namespace vexilo::check
