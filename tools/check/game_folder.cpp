#include "game_folder.hpp"

#include "game_build.hpp"
#include "os.hpp"
#include "text.hpp"

namespace vexilo::check {
namespace {

bool HoldsTheGame(const std::string& folder) {
  std::vector<std::string> names;
  std::string unread;
  FileNamesIn(folder, names, unread);
  return !PickGameExecutables(names, ProgramName()).empty();
}

bool SamePath(const std::string& a, const std::string& b) {
  return EqualsIgnoringCase(FullPath(a), FullPath(b));
}

// Every Vexilo.txt or Vexilo.txt.txt but the game's own, and every Vexilo*.asi, in the game's
// folder and the plug-in folders under it.
void LookAround(GameFolder& game) {
  std::vector<std::string> folders{game.folder}, plugins;
  for (const std::string& sub : FolderNamesIn(game.folder)) {
    if (EqualsIgnoringCase(sub, "scripts") || EqualsIgnoringCase(sub, "plugins"))
      folders.push_back(game.folder + sub + "/");
  }
  const auto copy = [](std::string_view name) {
    return EqualsIgnoringCase(name, kMappingFileName) || EqualsIgnoringCase(name, "Vexilo.txt.txt");
  };
  for (const std::string& path : FindFiles(folders, copy, 0)) {
    if (!SamePath(path, game.file)) game.copies.push_back(path);
  }
  const auto plugin = [](std::string_view name) {
    return EndsWithIgnoringCase(name, ".asi") && EqualsIgnoringCase(name.substr(0, 6), "vexilo");
  };
  for (const std::string& path : FindFiles(folders, plugin, 0)) plugins.push_back(game.Shown(path));
  if (plugins.size() < 2) return;
  std::string list;
  for (std::size_t i = 0; i < plugins.size(); ++i)
    list += (i == 0 ? "" : i + 1 == plugins.size() ? " and " : ", ") + plugins[i];
  game.findings.push_back({Severity::Warning,
                           "the plug-in is installed " + std::to_string(plugins.size()) +
                               " times (" + list + "): keep one and delete the others",
                           game.Shown(plugins.front())});
}

std::string InTheGamesFolder(const GameFolder& game) {
  return game.folder.empty() ? "in this folder" : "in the game's folder, " + FullPath(game.folder);
}

}  // namespace

std::string GameFolder::Shown(const std::string& path) const {
  return path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path;
}

GameFolder FindGameFolder(const std::string& start) {
  GameFolder game;
  const bool here = HoldsTheGame(start), up = !here && HoldsTheGame(start + "../");
  game.folder = up ? start + "../" : start;
  game.file = game.folder + kMappingFileName;
  game.fileThere = KindOfPath(game.file) != PathKind::Missing;
  if (!here && !up)
    game.findings.push_back({Severity::Warning,
                             "no game executable (.exe) here or one folder up: this folder is "
                             "judged as the game's; run vexilo-check in the game's folder",
                             ""});
  LookAround(game);
  return game;
}

void JudgeCheckedFile(GameFolder& game, const std::string& checked) {
  const bool theGames = SamePath(checked, game.file);
  if (!game.fileThere) {
    std::string message =
        "the game reads Vexilo.txt " + InTheGamesFolder(game) + ", and there is none";
    if (!game.copies.empty()) {
      const std::string copy = game.Shown(game.copies.front());
      message += "; your edits are in " + copy + ": " +
                 (copy.find('/') == std::string::npos ? "rename it to Vexilo.txt"
                  : game.folder.empty()               ? "move it here"
                                                      : "move it there");
    }
    game.findings.push_back({Severity::Error, message, game.Shown(game.file)});
  } else if (!theGames) {
    game.findings.push_back({Severity::Error,
                             "the game does not read this file: it reads " + FullPath(game.file) +
                                 "; make your edits there, or move this file there",
                             ""});
  }
  for (const std::string& copy : game.copies) {
    if (SamePath(copy, checked)) continue;
    game.findings.push_back(
        {Severity::Warning,
         "a copy the game does not read: it reads Vexilo.txt " + InTheGamesFolder(game) + " only",
         game.Shown(copy)});
  }
}

bool IsNamedVexiloTxt(const std::string& path) {
  return EqualsIgnoringCase(path.substr(FolderOf(path).size()), kMappingFileName);
}

}  // namespace vexilo::check
