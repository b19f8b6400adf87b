#include "game_files.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "file_bytes.hpp"
#include "game_build.hpp"
#include "os.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

// Limit adjusters keep their settings in a small text file.
constexpr std::size_t kMostIniBytes = 1u << 20;
constexpr std::string_view kCountKey = "numberofplatetextures=";

// "Number of plate textures = 11" in any case and spacing, off when it starts with '#' or ';'.
std::optional<PlateCount> ReadPlateCountLine(std::string_view line) {
  std::string squeezed;
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r')
      squeezed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  PlateCount count;
  count.on = squeezed.find_first_of("#;") != 0;
  if (!count.on) squeezed.erase(0, 1);
  if (squeezed.compare(0, kCountKey.size(), kCountKey) != 0 ||
      !std::isdigit(static_cast<unsigned char>(squeezed[kCountKey.size()])))
    return std::nullopt;
  const long written = std::strtol(squeezed.c_str() + kCountKey.size(), nullptr, 10);
  count.count = count.on ? static_cast<std::int32_t>(std::min(written, 1000000L)) : kGamePlates;
  return count;
}

// The count lines of one .ini's text that are on, or its first when all are off.
std::vector<PlateCount> CountsIn(const std::string& file, std::string_view text) {
  std::vector<PlateCount> counts;
  for (std::size_t at = 0, number = 1; at <= text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (std::optional<PlateCount> count = ReadPlateCountLine(text.substr(at, end - at))) {
      count->file = file;
      count->line = number;
      if (count->on || counts.empty()) counts.push_back(*count);
    }
    at = end + 1;
  }
  if (counts.size() > 1 && !counts.front().on) counts.erase(counts.begin());
  return counts;
}

bool Exists(const std::string& path) { return KindOfPath(path) != PathKind::Missing; }

// "limits - Copy.ini", "limits - Copy (2).ini", "limits (2).ini" or "Copy of limits.ini" beside
// the "limits.ini" it was made from.
bool IsCopy(const std::string& ini) {
  const std::size_t at = FolderOf(ini).size();
  std::string_view stem = std::string_view(ini).substr(at, ini.size() - at - 4);
  if (stem.size() > 8 && EqualsIgnoringCase(stem.substr(0, 8), "Copy of ")) stem.remove_prefix(8);
  if (!stem.empty() && stem.back() == ')') {
    const std::size_t open = stem.rfind(" (");
    if (open != std::string_view::npos) stem = stem.substr(0, open);
  }
  if (stem.size() > 7 && EndsWithIgnoringCase(stem, " - Copy")) stem.remove_suffix(7);
  const std::string original = ini.substr(0, at) + std::string(stem) + ".ini";
  return !EqualsIgnoringCase(original, ini) && Exists(original);
}

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
  game.findings.push_back({Severity::Warning,
                           "the plug-in is installed " + std::to_string(plugins.size()) +
                               " times (" + Listed(plugins) + "): keep one and delete the others",
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
  game.fileThere = Exists(game.file);
  if (!here && !up)
    game.findings.push_back({Severity::Warning,
                             "no game executable (.exe) here or one folder up: this folder is "
                             "judged as the game's; run vexilo-check in the game's folder",
                             ""});
  LookAround(game);
  return game;
}

void JudgeCheckedFile(GameFolder& game, const std::string& checked) {
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
  } else if (!SamePath(checked, game.file)) {
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

std::optional<PlateCount> FindPlateCount(const std::string& gameFolder) {
  // By how plainly the game reads them: beside their plug-in, then plain, then copies.
  std::vector<PlateCount> groups[3];
  for (const std::string& ini : FindFiles({gameFolder}, [](std::string_view name) {
         return EndsWithIgnoringCase(name, ".ini");
       })) {
    std::string text, reason;
    if (!ReadWholeFile(ini, kMostIniBytes, text, reason)) continue;
    const std::vector<PlateCount> counts = CountsIn(ini.substr(gameFolder.size()), text);
    auto& into = groups[IsCopy(ini) ? 2 : Exists(ini.substr(0, ini.size() - 4) + ".asi") ? 0 : 1];
    into.insert(into.end(), counts.begin(), counts.end());
  }
  const auto chosen =
      std::find_if(std::begin(groups), std::end(groups),
                   [](const std::vector<PlateCount>& group) { return !group.empty(); });
  if (chosen == std::end(groups)) return std::nullopt;
  const auto lowest =
      std::min_element(chosen->begin(), chosen->end(),
                       [](const PlateCount& a, const PlateCount& b) { return a.count < b.count; });
  PlateCount found = *lowest;
  found.guessed = chosen->size() > 1;
  for (const std::vector<PlateCount>& group : groups) {
    for (const PlateCount& count : group) {
      if (&count == &*lowest) continue;
      std::string other = count.file + " line " + std::to_string(count.line) + " (" +
                          (count.on ? std::to_string(count.count) : "off, so the game's own 3") +
                          ")";
      if (&group != &*chosen)
        other += &group == &groups[2] ? ", a copy the game does not read" : ", read by no plug-in";
      found.others.push_back(other);
    }
  }
  return found;
}

std::string PlateCountNote(const std::optional<PlateCount>& count) {
  if (!count)
    return "No limit adjuster .ini with a line \"Number of plate textures = N\" was found in the "
           "game folder or its subfolders: the game then uses its own 3 plate textures";
  const std::string where = count->file + " line " + std::to_string(count->line);
  const std::string note =
      count->on ? "The limit adjuster gives the game " + std::to_string(count->count) +
                      " plate textures (" + where + ")"
                : "The limit adjuster's count is off (" + where +
                      " starts with '#' or ';'): the game uses its own 3 plate textures; remove "
                      "the '#' and set the count to the plate textures you have";
  const std::string others = Listed(count->others, "; ", "; ");
  if (count->guessed)
    return note + "; several counts, and none is plainly the one the game reads, so the lowest " +
           "is judged: " + others + "; keep one";
  return count->others.empty() ? note : note + "; not used: " + others;
}

}  // namespace vexilo::check
