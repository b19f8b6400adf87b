#include "core/mapping_format.hpp"

#include <emmintrin.h>

#include <algorithm>
#include <limits>

#include "core/page_safe_reads.hpp"

namespace vexilo {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';

// The parser works on pointer pairs: every field it cuts lies within the
// line, so string_view's checked substr would only cost time.

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNumberSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One unsigned compare instead of two: '0' to '9' map to 0 to 9.
unsigned DigitValue(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }

// A run of ten or more digits: leading zeros aside, at most ten digits can
// fit, and the magnitude may reach 2^31 only for a negative number.
NumberStatus ReadLongNumber(const char* digits, const char* end, bool negative, std::int32_t& number) {
  while (end - digits > 1 && *digits == '0') ++digits;
  if (end - digits > 10) return NumberStatus::OutOfRange;
  std::uint64_t magnitude = 0;
  for (; digits != end; ++digits) magnitude = magnitude * 10 + DigitValue(*digits);
  const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : std::numeric_limits<std::int32_t>::max();
  if (magnitude > limit) return NumberStatus::OutOfRange;
  // Negated in unsigned arithmetic: -2^31 has no positive counterpart.
  const auto low = static_cast<std::uint32_t>(magnitude);
  number = static_cast<std::int32_t>(negative ? 0u - low : low);
  return NumberStatus::Ok;
}

inline NumberStatus ReadNumber(const char* at, const char* end, std::int32_t& number) {
  bool negative = false;
  // Most fields start with their first digit: blanks and a sign cost only
  // the fields that have them.
  if (at != end && DigitValue(*at) > 9) {
    while (at != end && IsNumberSpace(*at)) ++at;
    if (at != end && (*at == '+' || *at == '-')) negative = *at++ == '-';
  }
  const char* const digits = at;
  // Nine digits cannot leave 32 bits, so the common number needs no check
  // per digit; a longer run may wrap here and is read again.
  std::uint32_t magnitude = 0;
  for (unsigned digit; at != end && (digit = DigitValue(*at)) <= 9; ++at) magnitude = magnitude * 10 + digit;
  if (at == digits) return NumberStatus::NoDigit;
  if (at - digits > 9) return ReadLongNumber(digits, at, negative, number);
  number = static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
  return NumberStatus::Ok;
}

// The first '-' and the first '=' of a line, or null. Both come from one
// pass: a '-' after the '=' still makes the line a range.
struct Separators {
  const char* dash = nullptr;
  const char* equals = nullptr;
};

Separators FindSeparators(const char* begin, const char* end) {
  using namespace page_safe;
  Separators found;
  for (const char* block = BlockOf(begin); block < end; block += kBlockSize) {
    const std::uint32_t within = WithinRange(0xFFFF, block, begin, end);
    const std::uint32_t dashes = BytesEqualTo(block, '-') & within;
    const std::uint32_t equals = BytesEqualTo(block, '=') & within;
    if (dashes != 0 && found.dash == nullptr) found.dash = block + LowestBit(dashes);
    if (equals != 0 && found.equals == nullptr) found.equals = block + LowestBit(equals);
    if (found.dash != nullptr && found.equals != nullptr) break;
  }
  return found;
}

// Converts fields in order and remembers the first that fails, so a line
// changes nothing unless every one of its numbers is sound.
class FieldReader {
 public:
  explicit FieldReader(MappingLine& line) : line_(line) {}

  void Read(const char* begin, const char* end, LineField name, std::int32_t& number) {
    if (line_.malformed != LineField::None) return;
    line_.problem = ReadNumber(begin, end, number);
    if (line_.problem != NumberStatus::Ok) line_.malformed = name;
  }

 private:
  MappingLine& line_;
};

MappingLine ParseRange(const char* begin, const char* end, Separators at) {
  MappingLine parsed;
  parsed.kind = LineKind::Range;
  // The end field stops at the first '=' after the dash, or at the line's end.
  const char* const endOfEnd = at.equals > at.dash ? at.equals : end;
  FieldReader fields(parsed);
  fields.Read(begin, at.dash, LineField::Start, parsed.first);
  fields.Read(at.dash + 1, endOfEnd, LineField::End, parsed.last);
  fields.Read(at.equals + 1, end, LineField::Value, parsed.value);
  return parsed;
}

MappingLine ParseExact(const char* begin, const char* end, const char* equals) {
  MappingLine parsed;
  parsed.kind = LineKind::Exact;
  FieldReader fields(parsed);
  fields.Read(begin, equals, LineField::Index, parsed.first);
  fields.Read(equals + 1, end, LineField::Value, parsed.value);
  parsed.last = parsed.first;
  return parsed;
}

MappingLine LineOfKind(LineKind kind) {
  MappingLine line;
  line.kind = kind;
  return line;
}

bool IsDebugLine(const char* begin, const char* end) {
  constexpr std::string_view kDebug = "DEBUG";
  return std::string_view(begin, static_cast<std::size_t>(end - begin)) == kDebug;
}

// A line that is neither blank nor a comment, trimmed.
MappingLine ParseStatement(const char* begin, const char* end) {
  const Separators at = FindSeparators(begin, end);
  if (at.equals == nullptr) return LineOfKind(IsDebugLine(begin, end) ? LineKind::Debug : LineKind::Other);
  return at.dash != nullptr ? ParseRange(begin, end, at) : ParseExact(begin, end, at.equals);
}

// Blank and comment lines, a third of a typical file, are told apart here
// and cost no call. Each result is made where the caller keeps it: a copy
// would read back as one wide load what was just stored field by field,
// which the processor cannot forward from its store buffer.
inline MappingLine ParseLine(const char* begin, const char* end) {
  while (begin != end && IsBlank(*begin)) ++begin;
  while (begin != end && IsBlank(end[-1])) --end;
  if (begin == end) return LineOfKind(LineKind::Blank);
  if (*begin == ';') return LineOfKind(LineKind::Comment);
  return ParseStatement(begin, end);
}

// Sets count entries from first on, count at least 1. Ranges come in every
// length, so a loop whose trip count changes from line to line is a
// mispredicted branch per line: short ranges take a fixed set of stores that
// may overlap, long ones one loop of eight entries a round and two closing
// stores that end at the range's end.
void FillPlates(std::int32_t* first, std::size_t count, std::int32_t value) {
  if (count < 4) {
    first[0] = value;
    first[count / 2] = value;
    first[count - 1] = value;
    return;
  }
  const __m128i four = _mm_set1_epi32(value);
  const auto storeFour = [first, four](std::size_t at) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(first + at), four);
  };
  if (count >= 8) {
    for (std::size_t at = 0; at < count - 8; at += 8) {
      storeFour(at);
      storeFour(at + 4);
    }
    storeFour(count - 8);
  } else {
    storeFour(0);
  }
  storeFour(count - 4);
}

// The entries a sound range or exact line writes, clipped to the table;
// false when it writes none.
bool WrittenRange(const MappingLine& line, std::int32_t& from, std::int32_t& to) {
  if (line.malformed != LineField::None) return false;
  if (line.kind != LineKind::Range && line.kind != LineKind::Exact) return false;
  from = std::max(line.first, 0);
  to = std::min(line.last, kZoneCount - 1);
  return from <= to;
}

// Every line's effect on the table. Inline in the reader's loop, as is
// ParseLine: their calls and the copied line would cost a short line more
// than its reading.
inline void ApplyLine(const MappingLine& line, MappingTable& table) {
  if (line.kind == LineKind::Debug) {
    table.debug = true;
    return;
  }
  std::int32_t from = 0;
  std::int32_t to = 0;
  if (WrittenRange(line, from, to)) {
    FillPlates(table.plates.data() + from, static_cast<std::size_t>(to - from) + 1, line.value);
  }
}

void MarkWritten(const MappingLine& line, WrittenEntries& written) {
  std::int32_t from = 0;
  std::int32_t to = 0;
  if (WrittenRange(line, from, to)) FillPlates(written.data() + from, static_cast<std::size_t>(to - from) + 1, -1);
}

}  // namespace

NumberStatus ReadNumberField(std::string_view field, std::int32_t& number) {
  return ReadNumber(field.data(), field.data() + field.size(), number);
}

MappingLine ParseMappingLine(std::string_view line) { return ParseLine(line.data(), line.data() + line.size()); }

void ApplyMappingLine(const MappingLine& line, MappingTable& table) { ApplyLine(line, table); }

void ApplyMappingLine(const MappingLine& line, MappingTable& table, WrittenEntries& written) {
  ApplyLine(line, table);
  MarkWritten(line, written);
}

inline void MappingReader::EndLine(std::string_view line) {
  const MappingLine parsed = ParseLine(line.data(), line.data() + line.size());
  ApplyLine(parsed, table_);
  if (written_ != nullptr) MarkWritten(parsed, *written_);
  ++lines_;
  if (observer_ != nullptr) observer_->OnLine(lines_, line, parsed);
}

bool MappingReader::Feed(std::string_view bytes) {
  if (ended_) return false;
  const std::size_t endOfText = bytes.find(kEndOfText);
  if (endOfText != std::string_view::npos) bytes = bytes.substr(0, endOfText);
  const char* lineStart = bytes.data();
  const char* const end = lineStart + bytes.size();
  page_safe::ForEachByte(lineStart, end, kLineFeed, [&](const char* lineFeed) {
    std::string_view line(lineStart, static_cast<std::size_t>(lineFeed - lineStart));
    if (!pending_.empty()) {
      pending_.append(line);
      line = pending_;
    }
    // Text mode turns CR LF into LF; a CR anywhere else stays in the line.
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    EndLine(line);
    pending_.clear();
    lineStart = lineFeed + 1;
  });
  pending_.append(lineStart, static_cast<std::size_t>(end - lineStart));
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

MappingTable ParseMappingText(std::string_view bytes) {
  MappingTable table;
  MappingReader reader(table);
  reader.Feed(bytes);
  reader.Finish();
  return table;
}

}  // namespace vexilo
