#include "mapping/mapping_format.hpp"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

namespace vexilo {
namespace {

constexpr std::string_view kDebug = "DEBUG";
constexpr char kEndOfText = '\x1A';

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == MappingLine::kNowhere) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

MappingLine LineOfKind(LineKind kind) {
  MappingLine line;
  line.kind = kind;
  return line;
}

// Fields are read in order, and a line changes nothing unless every one of
// its numbers is sound: the first that fails is named, the rest not read.
void ReadField(MappingLine& line, LineField name, std::string_view field, std::int32_t& number,
               NumberStatus (*read)(std::string_view, std::int32_t&)) {
  if (line.malformed != LineField::None) return;
  line.problem = read(field, number);
  if (line.problem != NumberStatus::Ok) line.malformed = name;
}

MappingLine RangeLine(std::string_view text, std::size_t dash, std::size_t equals) {
  MappingLine line = LineOfKind(LineKind::Range);
  line.dashAt = dash;
  line.equalsAt = equals;
  ReadField(line, LineField::Start, FieldText(text, line, LineField::Start), line.first,
            ReadZoneField);
  // An end that runs past the line's first '=' is the tail of a note
  // ("5=3 ; Los Santos-Red County"): only a number there counts, as ever.
  ReadField(line, LineField::End, FieldText(text, line, LineField::End), line.last,
            dash < equals ? ReadZoneField : ReadNumberField);
  ReadField(line, LineField::Value, FieldText(text, line, LineField::Value), line.value,
            ReadNumberField);
  return line;
}

MappingLine ExactLine(std::string_view text, std::size_t equals) {
  MappingLine line = LineOfKind(LineKind::Exact);
  line.equalsAt = equals;
  ReadField(line, LineField::Index, FieldText(text, line, LineField::Index), line.first,
            ReadZoneField);
  ReadField(line, LineField::Value, FieldText(text, line, LineField::Value), line.value,
            ReadNumberField);
  line.last = line.first;
  return line;
}

// Cuts an input into lines as text mode does: a CR ends a line only before a
// line feed, a byte 0x1A ends the text.
class TextModeLines {
 public:
  explicit TextModeLines(const ByteReader& read) : read_(read) {}

  enum class Next { Line, End, Failed };

  /// The next line into line, its line end removed.
  Next ReadLine(std::string& line) {
    line.clear();
    bool started = false;
    for (;;) {
      if (at_ == size_ && !Refill()) return Next::Failed;
      if (at_ == size_) return started ? Next::Line : Next::End;
      const char* const begin = piece_ + at_;
      const char* const end = piece_ + size_;
      const char* const stop =
          std::find_if(begin, end, [](char c) { return c == '\n' || c == kEndOfText; });
      line.append(begin, stop);
      started = started || stop != begin;
      at_ = static_cast<std::size_t>(stop - piece_);
      if (stop == end) continue;
      if (*stop == kEndOfText) return EndText(started);
      ++at_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return Next::Line;
    }
  }

  /// Whether a byte 0x1A ended the text, and whether it stood in a line.
  bool endedAtEndOfText() const { return endOfText_; }
  bool endOfTextInLine() const { return endOfTextInLine_; }

 private:
  // False on a read error, which is no end of the input: what came before it
  // is not what the input says.
  bool Refill() {
    if (ended_) return true;
    const std::ptrdiff_t count = read_(piece_, sizeof piece_);
    if (count < 0) return false;
    at_ = 0;
    size_ = static_cast<std::size_t>(count);
    ended_ = count == 0;
    return true;
  }

  Next EndText(bool started) {
    ended_ = endOfText_ = true;
    endOfTextInLine_ = started;
    at_ = size_;
    return started ? Next::Line : Next::End;
  }

  const ByteReader& read_;
  char piece_[4096];
  std::size_t at_ = 0;
  std::size_t size_ = 0;
  bool ended_ = false;
  bool endOfText_ = false;
  bool endOfTextInLine_ = false;
};

}  // namespace

NumberStatus ReadNumberField(std::string_view field, std::int32_t& number) {
  std::size_t at = field.find_first_not_of(" \t\n\v\f\r");
  if (at == MappingLine::kNowhere) return NumberStatus::NoDigit;
  const bool negative = field[at] == '-';
  if (field[at] == '+' || field[at] == '-') ++at;
  // Held just above any limit once past it: digits of any length never wrap.
  constexpr std::uint64_t kAboveAnyLimit = (std::uint64_t{1} << 31) + 1;
  std::uint64_t magnitude = 0;
  const std::size_t digits = at;
  for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
    magnitude = std::min(magnitude * 10 + static_cast<unsigned>(field[at] - '0'), kAboveAnyLimit);
  if (at == digits) return NumberStatus::NoDigit;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  if (magnitude > limit) return NumberStatus::OutOfRange;
  // Negated in unsigned arithmetic: -2^31 has no positive counterpart.
  const auto bits = static_cast<std::uint32_t>(magnitude);
  number = static_cast<std::int32_t>(negative ? 0u - bits : bits);
  return NumberStatus::Ok;
}

NumberStatus ReadZoneField(std::string_view field, std::int32_t& zone) {
  const NumberStatus status = ReadNumberField(field, zone);
  if (status != NumberStatus::NoDigit) return status;
  // The debug line shows labels, so that is what players copy into the file.
  const std::int32_t labelled = ZoneOfLabelField(field);
  if (labelled == kNoZone) return status;
  zone = labelled;
  return NumberStatus::Ok;
}

MappingLine ParseMappingLine(std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  if (trimmed.empty()) return LineOfKind(LineKind::Blank);
  if (trimmed.front() == ';') return LineOfKind(LineKind::Comment);
  if (trimmed == kDebug) return LineOfKind(LineKind::Debug);
  const std::size_t equals = text.find('=');
  if (equals == MappingLine::kNowhere) return LineOfKind(LineKind::Other);
  const std::size_t dash = text.find('-');
  return dash == MappingLine::kNowhere ? ExactLine(text, equals) : RangeLine(text, dash, equals);
}

// Start: before the first '-'. End: after it, up to the first '=' that
// follows it. Value: after the line's first '=', wherever the '-' stands.
std::string_view FieldText(std::string_view text, const MappingLine& line, LineField field) {
  switch (field) {
    case LineField::Start:
      return text.substr(0, line.dashAt);
    case LineField::End: {
      const std::string_view afterDash = text.substr(line.dashAt + 1);
      return afterDash.substr(0, afterDash.find('='));
    }
    case LineField::Index:
      return text.substr(0, line.equalsAt);
    case LineField::Value:
      return text.substr(line.equalsAt + 1);
    case LineField::None:
      break;
  }
  return {};
}

bool SetsAnyZone(const MappingLine& line) {
  if (line.malformed != LineField::None) return false;
  if (line.kind != LineKind::Range && line.kind != LineKind::Exact) return false;
  return std::max(line.first, 0) <= std::min(line.last, kZoneCount - 1);
}

void ApplyMappingLine(const MappingLine& line, MappingTable& table) {
  if (line.kind == LineKind::Debug) table.debug = true;
  if (!SetsAnyZone(line)) return;
  const auto from = static_cast<std::size_t>(std::max(line.first, 0));
  const auto to = static_cast<std::size_t>(std::min(line.last, kZoneCount - 1));
  std::fill(table.plates.begin() + from, table.plates.begin() + to + 1, line.value);
}

bool ReadMappingText(const ByteReader& read, MappingTable& table, LineObserver* observer) {
  try {
    TextModeLines lines(read);
    std::string line;
    std::size_t number = 0;
    TextModeLines::Next next;
    while ((next = lines.ReadLine(line)) == TextModeLines::Next::Line) {
      const MappingLine parsed = ParseMappingLine(line);
      ApplyMappingLine(parsed, table);
      ++number;
      if (observer != nullptr) observer->OnLine(number, line, parsed);
    }
    if (next == TextModeLines::Next::Failed) return false;
    if (observer != nullptr && lines.endedAtEndOfText())
      observer->OnEndOfText(lines.endOfTextInLine() ? number : number + 1);
    return true;
  } catch (const std::bad_alloc&) {
    return false;  // a line too long to hold
  } catch (const std::length_error&) {
    return false;  // a line longer than a string can be
  }
}

MappingTable ParseMappingText(std::string_view bytes, LineObserver* observer) {
  MappingTable table;
  ReadMappingText(
      [&bytes](char* buffer, std::size_t size) {
        const std::size_t count = bytes.copy(buffer, size);
        bytes.remove_prefix(count);
        return static_cast<std::ptrdiff_t>(count);
      },
      table, observer);
  return table;
}

}  // namespace vexilo
