#include "core/mapping_format.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vexilo {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNumberSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Converts fields in order and remembers the first that fails, so a line
// changes nothing unless every one of its numbers is sound.
class FieldReader {
 public:
  explicit FieldReader(MappingLine& line) : line_(line) {}

  void Read(std::string_view field, LineField name, std::int32_t& number) {
    if (line_.malformed != LineField::None) return;
    line_.problem = ReadNumberField(field, number);
    if (line_.problem != NumberStatus::Ok) line_.malformed = name;
  }

 private:
  MappingLine& line_;
};

MappingLine ParseRange(std::string_view line, std::size_t dash, std::size_t equals) {
  MappingLine parsed;
  parsed.kind = LineKind::Range;
  const std::string_view afterDash = line.substr(dash + 1);
  FieldReader fields(parsed);
  fields.Read(line.substr(0, dash), LineField::Start, parsed.first);
  fields.Read(afterDash.substr(0, afterDash.find('=')), LineField::End, parsed.last);
  fields.Read(line.substr(equals + 1), LineField::Value, parsed.value);
  return parsed;
}

MappingLine ParseExact(std::string_view line, std::size_t equals) {
  MappingLine parsed;
  parsed.kind = LineKind::Exact;
  FieldReader fields(parsed);
  fields.Read(line.substr(0, equals), LineField::Index, parsed.first);
  fields.Read(line.substr(equals + 1), LineField::Value, parsed.value);
  parsed.last = parsed.first;
  return parsed;
}

}  // namespace

NumberStatus ReadNumberField(std::string_view field, std::int32_t& number) {
  std::size_t at = 0;
  while (at < field.size() && IsNumberSpace(field[at])) ++at;
  bool negative = false;
  if (at < field.size() && (field[at] == '+' || field[at] == '-')) negative = field[at++] == '-';
  if (at == field.size() || !IsDigit(field[at])) return NumberStatus::NoDigit;
  // The magnitude may reach 2^31 only for a negative number.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  bool tooLarge = false;
  for (; at < field.size() && IsDigit(field[at]); ++at) {
    magnitude = magnitude * 10 + (field[at] - '0');
    if (magnitude > limit) {
      tooLarge = true;
      magnitude = limit;  // keeps the product in range while the digits run on
    }
  }
  if (tooLarge) return NumberStatus::OutOfRange;
  number = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return NumberStatus::Ok;
}

MappingLine ParseMappingLine(std::string_view raw) {
  const std::string_view line = Trim(raw);
  MappingLine parsed;
  if (line.empty()) {
    parsed.kind = LineKind::Blank;
  } else if (line.front() == ';') {
    parsed.kind = LineKind::Comment;
  } else if (line == "DEBUG") {
    parsed.kind = LineKind::Debug;
  } else {
    const std::size_t dash = line.find('-');
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return parsed;
    return dash != std::string_view::npos ? ParseRange(line, dash, equals) : ParseExact(line, equals);
  }
  return parsed;
}

void ApplyMappingLine(const MappingLine& line, MappingTable& table) {
  if (line.malformed != LineField::None) return;
  switch (line.kind) {
    case LineKind::Debug:
      table.debug = true;
      break;
    case LineKind::Range:
    case LineKind::Exact: {
      const std::int32_t from = std::max(line.first, 0);
      const std::int32_t to = std::min(line.last, kZoneCount - 1);
      for (std::int32_t index = from; index <= to; ++index) {
        table.plates[static_cast<std::size_t>(index)] = line.value;
      }
      break;
    }
    case LineKind::Blank:
    case LineKind::Comment:
    case LineKind::Other:
      break;
  }
}

bool MappingReader::Feed(std::string_view bytes) {
  if (ended_) return false;
  const std::size_t endOfText = bytes.find(kEndOfText);
  if (endOfText != std::string_view::npos) bytes = bytes.substr(0, endOfText);
  for (std::size_t lineFeed; (lineFeed = bytes.find(kLineFeed)) != std::string_view::npos;) {
    std::string_view line = bytes.substr(0, lineFeed);
    // Text mode turns CR LF into LF; a CR anywhere else stays in the line.
    if (!pending_.empty()) {
      pending_.append(line);
      line = pending_;
    }
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    EndLine(line);
    pending_.clear();
    bytes.remove_prefix(lineFeed + 1);
  }
  pending_.append(bytes);
  if (endOfText == std::string_view::npos) return true;
  // The byte ends the line it stands in, or stands at the start of a line.
  const bool withinLine = !pending_.empty();
  Finish();
  if (observer_ != nullptr) observer_->OnEndOfText(withinLine ? lines_ : lines_ + 1);
  ended_ = true;
  return false;
}

void MappingReader::Finish() {
  if (ended_ || pending_.empty()) return;
  EndLine(pending_);
  pending_.clear();
}

void MappingReader::EndLine(std::string_view line) {
  const MappingLine parsed = ParseMappingLine(line);
  ApplyMappingLine(parsed, table_);
  ++lines_;
  if (observer_ != nullptr) observer_->OnLine(lines_, line, parsed);
}

MappingTable ParseMappingText(std::string_view bytes) {
  MappingTable table;
  MappingReader reader(table);
  reader.Feed(bytes);
  reader.Finish();
  return table;
}

}  // namespace vexilo
