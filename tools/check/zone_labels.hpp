#pragma once

#include <cstdint>
#include <string_view>

#include "mapping/mapping_format.hpp"

/// Zone labels as the checker takes them from a player: a whole label asked
/// for, and a mapping line that names its zones by label ("JEF2=5").
namespace vexilo::check {

/// The zone a whole label names, in any case; CITYS is 110. kNoZone when the
/// zone table holds no such label.
std::int32_t ZoneOfLabel(std::string_view label);

/// Whether a line, as the reader read it, names a zone by its label.
bool NamesZoneByLabel(std::string_view text, const MappingLine& line);

}  // namespace vexilo::check
