#include "zone_labels.hpp"

#include <cctype>

#include "mapping/zones.hpp"

namespace vexilo::check {

std::int32_t ZoneOfLabel(std::string_view label) {
  for (char c : label) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) return kNoZone;
  }
  return ZoneOfLabelField(label);
}

bool NamesZoneByLabel(std::string_view text, const MappingLine& line) {
  if (line.malformed != LineField::None) return false;
  const auto byLabel = [](std::string_view field) {
    std::int32_t number = 0;
    return ReadNumberField(field, number) == NumberStatus::NoDigit;
  };
  if (line.kind == LineKind::Exact) return byLabel(text.substr(0, line.equalsAt));
  if (line.kind != LineKind::Range) return false;
  const std::string_view afterDash = text.substr(line.dashAt + 1);
  return byLabel(text.substr(0, line.dashAt)) || byLabel(afterDash.substr(0, afterDash.find('=')));
}

}  // namespace vexilo::check
