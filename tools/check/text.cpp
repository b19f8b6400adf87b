#include "text.hpp"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace vexilo::check {

std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xF4) length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length == 0 || text.size() < length) return 0;
  // The second byte's range is what rules out overlong forms, surrogates and
  // code points above U+10FFFF.
  const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view end) {
  return name.size() >= end.size() &&
         EqualsIgnoringCase(name.substr(name.size() - end.size()), end);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void Append(std::string& out, const char* format, ...) {
  va_list arguments, measure;
  va_start(arguments, format);
  va_copy(measure, arguments);
  const auto length =
      static_cast<std::size_t>(std::max(std::vsnprintf(nullptr, 0, format, measure), 0));
  va_end(measure);
  const std::size_t start = out.size();
  out.resize(start + length + 1);
  std::vsnprintf(&out[start], length + 1, format, arguments);
  out.pop_back();
  va_end(arguments);
}

}  // namespace vexilo::check
