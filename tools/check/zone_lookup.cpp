#include "zone_lookup.hpp"

#include <cstdint>
#include <cstdlib>

#include "labels.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {

std::string ZoneList() {
  std::string list = "Index  Zone\n";
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone)
    Append(list, "%5d  %s%s\n", zone, zoneNames[zone],
           zone == kCitysAgain ? ("  (" + std::string(kCitysAgainNote) + ")").c_str() : "");
  return list;
}

std::int32_t FormatZone(std::string& out, std::string_view query) {
  const std::string text(query);
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    // Five digits or more cannot be a zone index, and may be too many for a long.
    const long index = text.size() > 4 ? kZoneCount : std::strtol(text.c_str(), nullptr, 10);
    if (index < kZoneCount)
      Append(out, "Zone index %ld: %s%s\n", index, zoneNames[index],
             index == kCitysAgain ? (" (" + std::string(kCitysAgainNote) + ")").c_str() : "");
    else
      Append(out, "There is no zone index %s: zone indices run from 0 to 376.\n", text.c_str());
    return index < kZoneCount ? static_cast<std::int32_t>(index) : kNoZone;
  }
  if (const std::int32_t index = ZoneOfLabel(query); index != kNoZone) {
    Append(out, "Zone %s: zone index %d%s\n", zoneNames[index], index,
           index == kCitys ? " (it also stands at 187, which the game never reaches)" : "");
    return index;
  }
  Append(out, "No zone is labelled %s", text.c_str());
  const std::int32_t meant = NearestLabel(query);
  if (meant != kNoZone) Append(out, ": did you mean %s (zone index %d)?", zoneNames[meant], meant);
  Append(out, "%s vexilo-check --zones lists every label.\n", meant == kNoZone ? ":" : "");
  return kNoZone;
}

void FormatZoneMapping(std::string& out, const std::string& file, const CheckReport& report,
                       std::int32_t zone) {
  const ZoneOutcome outcome = OutcomeOf(report, zone);
  const std::string line = outcome.line == 0
                               ? "as no line sets it"
                               : "set by line " + std::to_string(outcome.line) +
                                     (outcome.lineText.empty() ? "" : ": " + outcome.lineText);
  Append(out, "In %s: plateback index %d (texture %s), %s\n", file.c_str(), outcome.plate,
         Texture(outcome.plate).c_str(), line.c_str());
  if (!outcome.blank.empty())
    Append(out, "In the game it shows no plateback: %s.\n", outcome.blank.c_str());
}

}  // namespace vexilo::check
