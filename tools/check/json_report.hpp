#pragma once

#include <string>
#include <string_view>

#include "game_build.hpp"
#include "mapping_check.hpp"

/// The report as JSON, for scripts.
namespace vexilo::check {

/// The table, the diagnostics, the summary and the game's executables as one
/// JSON object, appended to out.
void FormatJson(std::string& out, const std::string& file, const CheckReport& report,
                const GameSearch& games);

/// Text as a JSON string, quotes included: valid UTF-8 passes, other bytes
/// become U+FFFD and control characters are escaped.
std::string JsonString(std::string_view text);

}  // namespace vexilo::check
