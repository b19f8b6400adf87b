#include "game_files.hpp"

#include <algorithm>
#include <cctype>
#include <iterator>

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

// Every count line of one .ini's text, with its line number.
std::vector<PlateCount> CountsIn(const std::string& file, std::string_view text) {
  std::vector<PlateCount> counts;
  std::size_t number = 0;
  for (std::size_t at = 0; at <= text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::optional<PlateCount> count = ReadPlateCountLine(text.substr(at, end - at));
    at = end + 1;
    if (!count) continue;
    count->file = file;
    count->line = number + 1;
    counts.push_back(*count);
  }
  return counts;
}

// The name a copy's name was made from: "limits - Copy.ini", "limits - Copy
// (2).ini", "limits (2).ini" and "Copy of limits.ini" copy "limits.ini".
std::string CopiedName(std::string_view name) {
  std::string_view stem = name.substr(0, name.size() - 4);
  if (stem.size() > 8 && EqualsIgnoringCase(stem.substr(0, 8), "Copy of ")) stem.remove_prefix(8);
  if (!stem.empty() && stem.back() == ')') {
    const std::size_t open = stem.rfind(" (");
    if (open != std::string_view::npos) stem = stem.substr(0, open);
  }
  if (stem.size() > 7 && EqualsIgnoringCase(stem.substr(stem.size() - 7), " - Copy"))
    stem.remove_suffix(7);
  return std::string(stem) + ".ini";
}

bool Exists(const std::string& path) { return KindOfPath(path) != PathKind::Missing; }

std::string StemPath(const std::string& ini) { return ini.substr(0, ini.size() - 4); }

// A copy never wins over the file it copies; the .ini beside an .asi of its
// name is the one a plug-in reads.
bool IsCopy(const std::string& ini) {
  const std::string folder = FolderOf(ini);
  const std::string original = CopiedName(ini.substr(folder.size()));
  return !EqualsIgnoringCase(original, ini.substr(folder.size())) && Exists(folder + original);
}

std::string JoinedOthers(const PlateCount& count) {
  std::string text;
  for (const std::string& other : count.others) text += (text.empty() ? "" : "; ") + other;
  return text;
}

std::string CountText(const PlateCount& count) {
  return count.file + " line " + std::to_string(count.line) + " (" +
         (count.on ? std::to_string(count.count) : "off, so the game's own 3") + ")";
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
  // Each file's lines that are on, or its first line when all are off.
  std::vector<PlateCount> besideAPlugin, plain, copies;
  for (const std::string& ini : inis) {
    std::string text, reason;
    if (!ReadWholeFile(ini, kMostIniBytes, text, reason)) continue;
    std::vector<PlateCount> counts = CountsIn(ini.substr(gameFolder.size()), text);
    if (counts.empty()) continue;
    std::vector<PlateCount> on;
    std::copy_if(counts.begin(), counts.end(), std::back_inserter(on),
                 [](const PlateCount& c) { return c.on; });
    if (on.empty()) on.push_back(counts.front());
    auto& into = IsCopy(ini) ? copies : Exists(StemPath(ini) + ".asi") ? besideAPlugin : plain;
    into.insert(into.end(), on.begin(), on.end());
  }
  std::vector<PlateCount>& chosen = !besideAPlugin.empty() ? besideAPlugin
                                    : !plain.empty()       ? plain
                                                           : copies;
  if (chosen.empty()) return std::nullopt;
  const auto lowest =
      std::min_element(chosen.begin(), chosen.end(),
                       [](const PlateCount& a, const PlateCount& b) { return a.count < b.count; });
  PlateCount found = *lowest;
  found.guessed = chosen.size() > 1;
  for (const auto* group : {&besideAPlugin, &plain, &copies}) {
    for (const PlateCount& count : *group) {
      if (&count == &*lowest) continue;
      std::string other = CountText(count);
      if (group != &chosen)
        other += group == &copies ? ", a copy the game does not read" : ", read by no plug-in";
      found.others.push_back(other);
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
  if (count->guessed) {
    note +=
        "; several counts, and none is plainly the one the game reads, so the lowest is "
        "judged: " +
        JoinedOthers(*count) + "; keep one";
  } else if (!count->others.empty()) {
    note += "; not used: " + JoinedOthers(*count);
  }
  return note;
}

}  // namespace vexilo::check
