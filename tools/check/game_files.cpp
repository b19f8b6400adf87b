#include "game_files.hpp"

#include <algorithm>
#include <cctype>

#include "file_bytes.hpp"
#include "folder_search.hpp"
#include "os.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

// Limit adjusters keep their settings in a small text file.
constexpr std::size_t kMostIniBytes = 1u << 20;
constexpr std::string_view kCountKey = "numberofplatetextures=";

bool EndsWithIgnoringCase(std::string_view name, std::string_view end) {
  return name.size() >= end.size() &&
         EqualsIgnoringCase(name.substr(name.size() - end.size()), end);
}

// The count of one .ini's text, with its line number.
std::optional<PlateCount> CountIn(const std::string& file, std::string_view text) {
  std::optional<PlateCount> first;
  std::size_t number = 0;
  for (std::size_t at = 0; at <= text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::optional<PlateCount> count = ReadPlateCountLine(text.substr(at, end - at));
    at = end + 1;
    if (!count) continue;
    count->file = file;
    count->line = number + 1;
    if (count->on) return count;
    if (!first) first = count;
  }
  return first;
}

}  // namespace

std::optional<PlateCount> ReadPlateCountLine(std::string_view line) {
  std::string squeezed;
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\r')
      squeezed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  PlateCount count;
  count.on = squeezed.empty() || (squeezed.front() != '#' && squeezed.front() != ';');
  if (!count.on) squeezed.erase(0, 1);
  if (squeezed.compare(0, kCountKey.size(), kCountKey) != 0) return std::nullopt;
  std::int32_t written = 0;
  std::size_t at = kCountKey.size();
  if (at == squeezed.size() || !std::isdigit(static_cast<unsigned char>(squeezed[at])))
    return std::nullopt;
  for (; at < squeezed.size() && std::isdigit(static_cast<unsigned char>(squeezed[at])); ++at)
    written = std::min(written * 10 + (squeezed[at] - '0'), 1000000);
  count.count = count.on ? written : kGamePlates;
  return count;
}

std::optional<PlateCount> FindPlateCount(const std::string& gameFolder) {
  const std::vector<std::string> inis = FindFiles(
      {gameFolder}, [](std::string_view name) { return EndsWithIgnoringCase(name, ".ini"); });
  std::optional<PlateCount> found;
  for (const std::string& ini : inis) {
    std::string text, reason;
    if (!ReadWholeFile(ini, kMostIniBytes, text, reason)) continue;
    const std::optional<PlateCount> count = CountIn(ini.substr(gameFolder.size()), text);
    if (!count) continue;
    if (found) {
      found->others.push_back(count->file);
    } else {
      found = count;
    }
  }
  return found;
}

std::string PlateCountNote(const std::optional<PlateCount>& count) {
  if (!count) {
    return "No limit adjuster .ini with a line \"Number of plate textures = N\" was found in the "
           "game folder or its subfolders: the game then uses its own 3 plate textures";
  }
  std::string note = count->file + " line " + std::to_string(count->line);
  if (count->on) {
    note = "The limit adjuster gives the game " + std::to_string(count->count) +
           " plate textures (" + note + ")";
  } else {
    note = "The limit adjuster's count is off (" + note +
           " starts with '#' or ';'): the game uses its own 3 plate textures; remove the '#' and "
           "set the count to the plate textures you have";
  }
  for (const std::string& other : count->others)
    note += "; " + other + " also holds a count, which was not used";
  return note;
}

std::vector<std::string> InstallMistakes(const std::string& folder) {
  std::vector<std::string> mistakes;
  std::vector<std::string> names;
  std::string reason;
  FileNamesIn(folder, names, reason);
  std::vector<std::string> plugins;
  const auto look = [&plugins](const std::string& where, const std::vector<std::string>& in) {
    for (const std::string& name : in) {
      if (EndsWithIgnoringCase(name, ".asi") && name.size() >= 6 &&
          EqualsIgnoringCase(name.substr(0, 6), "vexilo"))
        plugins.push_back(where + name);
    }
  };
  look("", names);
  for (const std::string& name : names) {
    if (EqualsIgnoringCase(name, "Vexilo.txt.txt")) {
      mistakes.push_back(name +
                         " is named with a second .txt, which Windows hides: the game "
                         "reads Vexilo.txt only; rename it to Vexilo.txt");
    }
  }
  for (const std::string& sub : FolderNamesIn(folder)) {
    if (!EqualsIgnoringCase(sub, "scripts") && !EqualsIgnoringCase(sub, "plugins")) continue;
    std::vector<std::string> inside;
    FileNamesIn(folder + sub + "/", inside, reason);
    look(sub + "/", inside);
    const bool hasPlugin = std::any_of(inside.begin(), inside.end(), [](const std::string& n) {
      return EqualsIgnoringCase(n, "Vexilo.asi");
    });
    for (const std::string& name : inside) {
      if (hasPlugin && EqualsIgnoringCase(name, "Vexilo.txt")) {
        mistakes.push_back(sub + "/" + name +
                           " is beside Vexilo.asi, where the game does not read it: it reads "
                           "Vexilo.txt in the game's folder only; make your edits there");
      }
    }
  }
  if (plugins.size() > 1) {
    std::string list;
    for (std::size_t i = 0; i < plugins.size(); ++i)
      list += (i == 0 ? "" : i + 1 == plugins.size() ? " and " : ", ") + plugins[i];
    mistakes.push_back("the plug-in is installed " + std::to_string(plugins.size()) + " times (" +
                       list + "): keep one and delete the others");
  }
  return mistakes;
}

}  // namespace vexilo::check
