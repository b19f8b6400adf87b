#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "finding.hpp"
#include "mapping/mapping_format.hpp"
#include "text_bytes.hpp"

/// The rules a line of the mapping file is judged by, kept as a linter keeps
/// its rules: one table, each rule with its id, severity and message, and
/// whether --fix mends what it finds.
namespace vexilo::check {

struct CheckOptions;

/// What a rule sees of one line.
struct LineFacts {
  std::size_t number;        ///< from 1
  std::string_view text;     ///< as read, without its line end
  std::string_view trimmed;  ///< spaces and tabs off both ends, as the game trims
  const MappingLine& line;   ///< what the game reads in it
  const CheckOptions& options;
  std::string_view mended;  ///< the line as --fix would write it, or the line itself
  const TextBytes& bytes;   ///< how the whole file is written
};

struct LineRule {
  const char* id;  ///< its name in tests and reports: "hash-comment"
  Severity severity;
  bool mendable;  ///< --fix mends the lines it names
  bool last;      ///< a line it names is judged by no later rule
  /// What is wrong and what to write, then why; empty when the rule does
  /// not fit the line.
  std::string (*message)(const LineFacts& facts);
};

/// Every rule for one line, in the order they are tried.
const std::vector<LineRule>& LineRules();

/// "write TEXT" when the game reads TEXT as a mapping, else empty: a message
/// never shows text to write that the game would not read as meant.
std::string WriteIfRead(std::string_view text);

}  // namespace vexilo::check
