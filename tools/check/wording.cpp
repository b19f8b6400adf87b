#include "wording.hpp"

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
    if (zone != kCitysAgain && report.setBy[static_cast<std::size_t>(zone)] == 0) zones.push_back(zone);
  }
  return zones;
}

std::string CutNote(const CheckReport& report) {
  if (report.diagnostics.size() >= report.errors + report.warnings) return "";
  return "Only the first " + std::to_string(report.diagnostics.size()) + " problems found are shown.";
}

}  // namespace vexilo::check
