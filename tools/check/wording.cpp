#include "wording.hpp"

#include <iterator>

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

std::string TextureRuns(const PlateTextures& textures) {
  std::string text;
  const auto& held = textures.indices;
  for (auto first = held.begin(); first != held.end();) {
    auto last = first;
    while (std::next(last) != held.end() && *std::next(last) == *last + 1) ++last;
    if (!text.empty()) text += std::next(last) == held.end() ? " and " : ", ";
    text += Texture(*first);
    if (last != first) text += " to " + Texture(*last);
    first = std::next(last);
  }
  return text.empty() ? "no plateback texture" : text;
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
