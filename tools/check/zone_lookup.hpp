#pragma once

#include <string>
#include <string_view>

/// The zone table looked up by label or index, without a mapping file.
namespace vexilo::check {

/// Appends the zone table to out: index and label.
void FormatZones(std::string& out);

/// Appends one zone, found by label or index, to out; false when there is none.
bool FormatZone(std::string& out, std::string_view query);

}  // namespace vexilo::check
