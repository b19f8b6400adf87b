#include "simple_reading.hpp"

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

std::string TrimBlanks(std::string text) {
  while (!text.empty() && (text[0] == ' ' || text[0] == '\t')) text.erase(0, 1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
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
  while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
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
    if (!Number(line.substr(0, dash), first) || !Number(afterDash.substr(0, afterDash.find('=')), last) ||
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
