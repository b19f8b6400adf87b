#include "wording.hpp"

#include <utility>

namespace vexilo::check {

std::string Texture(std::int64_t plate) { return "plateback" + std::to_string(plate + 1); }

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::map<std::int32_t, std::size_t> ZonesPerPlateback(const CheckReport& report) {
  std::map<std::int32_t, std::size_t> zones;
  for (std::int32_t plate : report.table.plates) ++zones[plate];
  return zones;
}

std::vector<std::int32_t> UnsetZones(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    if (zone != kCitysAgain && report.setBy[static_cast<std::size_t>(zone)] == 0)
      zones.push_back(zone);
  }
  return zones;
}

namespace {

using Run = std::pair<std::int64_t, std::int64_t>;

// Runs of plateback indices, as "plateback1 to plateback3 and plateback5".
std::string RunsText(const std::vector<Run>& runs) {
  std::string text;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) text += i + 1 == runs.size() ? " and " : ", ";
    text += Texture(runs[i].first);
    if (runs[i].second != runs[i].first) text += " to " + Texture(runs[i].second);
  }
  return text;
}

// The runs a dictionary holds and, with gaps, the runs between them.
std::vector<Run> HeldRuns(const PlateTextures& textures, bool gaps) {
  std::vector<Run> runs;
  for (std::int32_t plate : textures.indices) {
    if (!runs.empty() && runs.back().second + 1 == plate) {
      runs.back().second = plate;
    } else {
      runs.emplace_back(plate, plate);
    }
  }
  if (!gaps) return runs;
  std::vector<Run> between;
  for (std::size_t i = 1; i < runs.size(); ++i)
    between.emplace_back(runs[i - 1].second + 1, runs[i].first - 1);
  return between;
}

}  // namespace

std::string TextureRuns(const PlateTextures& textures) {
  const std::string held = RunsText(HeldRuns(textures, false));
  const std::string gaps = RunsText(HeldRuns(textures, true));
  if (held.empty()) return "no plateback texture";
  return gaps.empty() ? held : held + ", without " + gaps;
}

std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const std::int32_t plate = report.table.plates[static_cast<std::size_t>(zone)];
    if (zone != kCitysAgain && !report.options.HasTexture(plate)) zones.push_back(zone);
  }
  return zones;
}

std::string AssumedTextures(const CheckOptions& options) {
  if (options.Measured()) {
    return "the game has " +
           Plural(options.dictionary->indices.size(), "plate texture", "plate textures") + " in " +
           options.dictionary->file + ": " + TextureRuns(*options.dictionary);
  }
  std::string text =
      "assuming " +
      Plural(static_cast<std::size_t>(options.plates), "plate texture", "plate textures") +
      " (plateback1";
  if (options.plates > 1) text += " to " + Texture(std::int64_t{options.plates} - 1);
  text += ")";
  if (options.platesGiven)
    return text + ", as --plates " + std::to_string(options.plates) + " says";
  return text + ", as the default file does; --plates " + std::to_string(kGamePlates) +
         " for the game's own";
}

std::size_t ZonesBeyondTheTextures(const CheckReport& report) {
  return ZonesWithoutTexture(report).size();
}

std::string CutNote(const CheckReport& report) {
  if (report.diagnostics.size() >= report.errors + report.warnings) return "";
  return "Only the first " + std::to_string(report.diagnostics.size()) +
         " problems found are shown.";
}

}  // namespace vexilo::check
