#pragma once

#include <string>
#include <string_view>

#include "game_build.hpp"
#include "mapping_check.hpp"

/// The report as text for a terminal or a file, appended to out as UTF-8.
namespace vexilo::check {

/// How output is dressed: ANSI colours on a terminal, plain text otherwise.
struct Style {
  bool colour = false;
  std::string Paint(std::string_view text, const char* code) const;
};

/// The whole check: what matters most first ("In the game: ..."), then
/// "FILE:LINE: severity: message" and the line quoted, one per diagnostic,
/// the summary, the game's builds, and the verdict last.
void FormatReport(std::string& out, const std::string& file, const CheckReport& report,
                  const GameSearch& games, const Style& style);

void FormatTable(std::string& out, const CheckReport& report);

}  // namespace vexilo::check
