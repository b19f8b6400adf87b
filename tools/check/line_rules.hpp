#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "finding.hpp"
#include "mapping/mapping_format.hpp"
#include "text_bytes.hpp"

/// The rules a line of the mapping file is judged by, kept as a linter keeps
/// its rules: one table, each rule with its id, severity, message and the
/// mend it may give. The check shows a mend as its "write ..."; --fix writes it.
namespace vexilo::check {

struct CheckOptions;
struct LineFacts;
struct Mend;

inline constexpr std::int32_t kLastZone = kZoneCount - 1;

/// What a line asks of the game, read from its zone field and value as the
/// player wrote them, never from a mend of it: the zones first to last set to
/// value, or the debug switch, or nothing at all (a comment).
struct LineIntent {
  enum class Kind { Nothing, Debug, Zones } kind = Kind::Nothing;
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::int32_t value = 0;
};

/// What the game does with the lines a rule names, said of one and of several.
struct Effect {
  const char* one;
  const char* many;
};

struct LineRule {
  const char* id;
  Severity severity;
  bool last;                             ///< a line it names is judged by no later rule
  const Effect* effect;                  ///< for the headline; null when it names no error
  bool (*fits)(const LineFacts& facts);  ///< what the line must be to be judged; null for any
  /// What is wrong and what to write, then why; empty when it does not fit.
  std::string (*message)(const LineFacts& facts);
  std::optional<Mend> (*mend)(const LineFacts& facts) = nullptr;
};

const std::vector<LineRule>& LineRules();  ///< in the order they are tried

/// The rules that fire on a line, with their messages, and the one mend
/// that the game's reading keeps, or why a mend that looked plain is left.
struct LineJudgement {
  std::vector<std::pair<const LineRule*, std::string>> found;
  std::string mended;
  LineIntent intent;
  std::string left;
};
LineJudgement JudgeLine(std::size_t number, std::string_view text, const MappingLine& line,
                        const CheckOptions& options, const TextBytes& bytes);

/// As the game clips them to its table.
std::pair<std::int32_t, std::int32_t> Covered(std::int32_t first, std::int32_t last);

/// Whether the game, reading text as lines of the file, does exactly what
/// intent asks: every message's "write ..." is held to this before it is shown.
bool ReadsAs(std::string_view text, const LineIntent& intent);

/// "write TEXT" when the game reads TEXT as a mapping, else empty.
std::string WriteIfRead(std::string_view text);

}  // namespace vexilo::check
