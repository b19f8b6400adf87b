#include "simple_reading.hpp"

#include <algorithm>

namespace vexilo::testing {
namespace {

std::vector<std::string> TextModeLines(std::string text) {
  // The text ends at the first byte 0x1A.
  text = text.substr(0, text.find('\x1A'));
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      // CR LF reads as LF.
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Blanks, an optional sign, then decimal digits; the rest is ignored. False
// for no digit or a value outside 32 bits.
bool Number(const std::string& field, long long& value) {
  std::size_t i = 0;
  while (i < field.size() && std::string(" \t\n\v\f\r").find(field[i]) != std::string::npos) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::string digits;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') digits += field[i++];
  if (digits.empty()) return false;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (digits.size() > 10) return false;
  value = std::stoll(digits) * (negative ? -1 : 1);
  return value >= -2147483648LL && value <= 2147483647LL;
}

void Apply(const std::string& line, SimpleTable& table) {
  const std::size_t dash = line.find('-');
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  long long first = 0;
  long long last = 0;
  long long value = 0;
  if (dash != std::string::npos) {
    const std::string afterDash = line.substr(dash + 1);
    if (!Number(line.substr(0, dash), first) ||
        !Number(afterDash.substr(0, afterDash.find('=')), last) ||
        !Number(line.substr(equals + 1), value)) {
      return;
    }
  } else {
    if (!Number(line.substr(0, equals), first) || !Number(line.substr(equals + 1), value)) return;
    last = first;
  }
  for (long long zone = first; zone <= last && zone <= 376; ++zone) {
    if (zone >= 0) table.plates[static_cast<std::size_t>(zone)] = value;
  }
}

}  // namespace

SimpleTable ReadSimply(const std::string& bytes) {
  SimpleTable table;
  for (const std::string& raw : TextModeLines(bytes)) {
    const std::string line = TrimBlanks(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line == "DEBUG") {
      table.debug = true;
      continue;
    }
    Apply(line, table);
  }
  return table;
}

}  // namespace vexilo::testing
