#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mapping_check.hpp"

/// The zone table looked up by label or index, and what a mapping file makes
/// of one zone.
namespace vexilo::check {

std::string ZoneList();

/// Appends one zone, found by label or index, to out. Returns its zone index,
/// or kNoZone when there is none (and out says what may have been meant).
std::int32_t FormatZone(std::string& out, std::string_view query);

/// Appends what the checked file gives a zone: "In FILE: plateback index N
/// (texture platebackN+1), set by line L: TEXT", as the page's tooltip says.
void FormatZoneMapping(std::string& out, const std::string& file, const CheckReport& report,
                       std::int32_t zone);

}  // namespace vexilo::check
