#pragma once

#include <string>
#include <string_view>

#include "game_build.hpp"
#include "mapping_check.hpp"

/// The report as text for a terminal or a file. Each Format function appends
/// UTF-8 text to out.
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

/// Whether DEBUG is on, how many zones each plateback index covers and which
/// zones no line sets.
void FormatSummary(std::string& out, const std::string& file, const CheckReport& report);

/// "Game build:" and a line per executable with what Vexilo does on it, then
/// what a check of the file cannot tell; or why no executable was read.
void FormatGameBuilds(std::string& out, const GameSearch& games, const Style& style);

/// "No problems found.", "N errors, M warnings: the game will not show what
/// this file asks." or "No errors, M warnings: the game shows what this file asks."
void FormatVerdict(std::string& out, const CheckReport& report, const Style& style);

/// The 377 rows of the resulting table, aligned.
void FormatTable(std::string& out, const CheckReport& report);

}  // namespace vexilo::check
