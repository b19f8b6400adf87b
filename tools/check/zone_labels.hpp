#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "mapping/mapping_format.hpp"

/// Zone labels where a mapping line's zone index stands ("JEF2=5",
/// "LA-JEF1B=1"), as the plug-in reads them: the one place the checker knows
/// that rule, so that it follows the plug-in's reader and nothing else.
namespace vexilo::check {

/// The zone a whole label names, in any case; CITYS is 110. kNoZone when the
/// zone table holds no such label.
std::int32_t ZoneOfLabel(std::string_view label);

/// The zone a number field names by its label: the letters and digits from
/// the field's first letter to the first character that is neither, in any
/// case. kNoZone when the field holds no letter or that is no label.
std::int32_t ZoneOfLabelField(std::string_view field);

/// A mapping line whose zone fields (start, end or index) hold labels, read
/// with the labels' zones; its value is always a number. Nothing when the
/// line holds no label there, or is malformed for another reason. text is the
/// line as written, read holds what the plain number reading made of it.
std::optional<MappingLine> ReadLabelledLine(std::string_view text, const MappingLine& read);

}  // namespace vexilo::check
