#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game_build.hpp"
#include "mapping_check.hpp"

/// The report as one self-contained HTML page, for players who would rather
/// see their mapping than read it.
namespace vexilo::check {

/// The summary, the game's build, the 377 zones as a grid in index order
/// coloured by plateback with a legend, and every diagnostic. It loads nothing
/// from anywhere (a Content-Security-Policy forbids it) and prints.
std::string HtmlReport(const std::string& file, const CheckReport& report, const GameSearch& games);

/// Text safe in HTML content and attributes: markup escaped, bytes that are
/// not UTF-8 shown as U+FFFD, controls spelled out as \xNN (C1 as \uNNNN).
std::string HtmlText(std::string_view text);

/// "#RRGGBB": eleven distinct fills for plateback indices 0 to 10, then a cycle.
std::string_view PlatebackFill(std::int32_t plate);

/// "#000000" or "#ffffff", whichever contrasts more with a fill "#RRGGBB".
std::string_view TextColourOn(std::string_view fill);

}  // namespace vexilo::check
