#pragma once

#include <cstddef>
#include <string>

#include "mapping_check.hpp"
#include "mapping_fix.hpp"

/// What --fix did, told a player, beside what the check still finds after it.
namespace vexilo::check {

/// The offer a double-clicked checker makes when it found mendable lines.
std::string FixOffer(std::size_t lines);

/// Appends what --fix did: "line N: OLD -> NEW" for each change and the
/// backup, or why the file was left alone; then the lines left as they are,
/// from after, the check of what the file now holds.
void FormatFix(std::string& out, const std::string& file, const FixedFile& fixed,
               const CheckReport& after);

}  // namespace vexilo::check
