#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// UTF-8 text as the checker's output formats need it.
namespace vexilo::check {

/// U+FFFD, shown where the file holds bytes that are not UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

/// The length of the well-formed UTF-8 sequence that text starts with, or 0
/// (overlong forms and surrogates are not well formed).
std::size_t Utf8SequenceLength(std::string_view text);

/// Case is that of ASCII letters only, as Windows compares file names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringCase(std::string_view name, std::string_view end);

/// Without the spaces and tabs at either end, as the game trims a line.
std::string_view TrimBlanks(std::string_view text);

#if defined(__MINGW32__)
__attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Append(std::string& out, const char* format, ...);

}  // namespace vexilo::check
