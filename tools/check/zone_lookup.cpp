#include "zone_lookup.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>

#include "labels.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

void FormatZoneByIndex(std::string& out, std::int32_t index) {
  Append(out, "Zone index %d: %s", index, zoneNames[index]);
  if (index == kCitysAgain) Append(out, " (%s)", std::string(kCitysAgainNote).c_str());
  Append(out, "\n");
}

std::int32_t FormatZoneByNumber(std::string& out, std::string_view query) {
  const long index =
      query.size() > 4 ? kZoneCount : std::strtol(std::string(query).c_str(), nullptr, 10);
  if (index >= kZoneCount) {
    Append(out, "There is no zone index %s: zone indices run from 0 to 376.\n",
           std::string(query).c_str());
    return kNoZone;
  }
  FormatZoneByIndex(out, static_cast<std::int32_t>(index));
  return static_cast<std::int32_t>(index);
}

std::int32_t FormatZoneByLabel(std::string& out, std::string_view query) {
  const std::int32_t index = ZoneOfLabel(query);
  if (index == kNoZone) {
    Append(out, "No zone is labelled %s", std::string(query).c_str());
    const std::int32_t meant = NearestLabel(query);
    if (meant != kNoZone)
      Append(out, ": did you mean %s (zone index %d)?", zoneNames[meant], meant);
    Append(out, "%s vexilo-check --zones lists every label.\n", meant == kNoZone ? ":" : "");
    return kNoZone;
  }
  Append(out, "Zone %s: zone index %d", zoneNames[index], index);
  if (index == kCitys) Append(out, " (it also stands at 187, which the game never reaches)");
  Append(out, "\n");
  return index;
}

}  // namespace

void FormatZones(std::string& out) {
  Append(out, "%5s  %s\n", "Index", "Zone");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    Append(out, "%5d  %s", zone, zoneNames[zone]);
    if (zone == kCitysAgain) Append(out, "  (%s)", std::string(kCitysAgainNote).c_str());
    Append(out, "\n");
  }
}

std::int32_t FormatZone(std::string& out, std::string_view query) {
  const bool numeric = !query.empty() && std::all_of(query.begin(), query.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  return numeric ? FormatZoneByNumber(out, query) : FormatZoneByLabel(out, query);
}

void FormatZoneMapping(std::string& out, const std::string& file, const CheckReport& report,
                       std::int32_t zone) {
  const ZoneOutcome outcome = OutcomeOf(report, zone);
  Append(out, "In %s: plateback index %d (texture %s), ", file.c_str(), outcome.plate,
         Texture(outcome.plate).c_str());
  if (outcome.line == 0) {
    Append(out, "as no line sets it\n");
  } else {
    Append(out, "set by line %zu", outcome.line);
    if (!outcome.lineText.empty()) Append(out, ": %s", outcome.lineText.c_str());
    Append(out, "\n");
  }
  if (!outcome.blank.empty())
    Append(out, "In the game it shows no plateback: %s.\n", outcome.blank.c_str());
}

}  // namespace vexilo::check
