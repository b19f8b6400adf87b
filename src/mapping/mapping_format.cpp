#include "mapping/mapping_format.hpp"

#include <emmintrin.h>

#include <algorithm>
#include <limits>

#include "mapping/page_safe_reads.hpp"

// Every step of reading a line is inlined into the reader's loop: a line
// that lies whole in a piece then starts from a summary the compiler knows
// to be fresh, which it keeps in registers.
#if defined(_MSC_VER)
#define VEXILO_INLINE __forceinline
#else
#define VEXILO_INLINE inline __attribute__((always_inline))
#endif

namespace vexilo {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';
constexpr std::string_view kDebug = "DEBUG";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNumberSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One unsigned compare instead of two: '0' to '9' map to 0 to 9.
unsigned DigitValue(char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0'; }

// The first '-' and the first '=' of some bytes, or null. Both come from one
// pass: a '-' after the '=' still makes the line a range.
struct Separators {
  const char* dash = nullptr;
  const char* equals = nullptr;
};

VEXILO_INLINE Separators FindSeparators(const char* begin, const char* end) {
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

  VEXILO_INLINE void Read(const NumberReading& field, LineField name, std::int32_t& number) {
    if (line_.malformed != LineField::None) return;
    line_.problem = field.Result(number);
    if (line_.problem != NumberStatus::Ok) line_.malformed = name;
  }

 private:
  MappingLine& line_;
};

MappingLine LineOfKind(LineKind kind) {
  MappingLine line;
  line.kind = kind;
  return line;
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

// Every line's effect on the table.
VEXILO_INLINE void ApplyLine(const MappingLine& line, MappingTable& table) {
  if (line.kind == LineKind::Debug) {
    table.debug = true;
    return;
  }
  if (line.malformed != LineField::None) return;
  if (line.kind != LineKind::Range && line.kind != LineKind::Exact) return;
  const std::int32_t from = std::max(line.first, 0);
  const std::int32_t to = std::min(line.last, kZoneCount - 1);
  if (from <= to)
    FillPlates(table.plates.data() + from, static_cast<std::size_t>(to - from) + 1, line.value);
}

}  // namespace

VEXILO_INLINE const char* NumberReading::Feed(const char* at, const char* end) {
  if (phase_ != Phase::Digits) {
    // Most fields start with their first digit, or with spaces before it:
    // tabs and the like and a sign cost only the fields that have them.
    if (phase_ == Phase::Blanks) {
      while (at != end && *at == ' ') ++at;
    }
    if (phase_ == Phase::Blanks && at != end && DigitValue(*at) <= 9) {
      phase_ = Phase::Digits;
      sawDigit_ = true;
    } else if (phase_ == Phase::Blanks && at != end && !IsNumberSpace(*at) && *at != '+' &&
               *at != '-') {
      phase_ = Phase::Stopped;
      return at;
    } else {
      at = FindFirstDigit(at, end);
      if (phase_ != Phase::Digits) return at;
    }
  }
  return FeedDigits(at, end);
}

const char* NumberReading::FindFirstDigit(const char* at, const char* end) {
  switch (phase_) {
    case Phase::Blanks:
      while (at != end && IsNumberSpace(*at)) ++at;
      if (at == end) return end;
      phase_ = Phase::FirstDigit;
      if (*at == '+' || *at == '-') negative_ = *at++ == '-';
      [[fallthrough]];
    case Phase::FirstDigit:
      if (at == end) return end;
      if (DigitValue(*at) > 9) {
        phase_ = Phase::Stopped;
        return at;
      }
      phase_ = Phase::Digits;
      sawDigit_ = true;
      break;
    case Phase::Digits:
    case Phase::Stopped:
      break;
  }
  return at;
}

// Leading zeros only show that the field has a digit. Nine digits after them
// cannot leave 32 bits, so they need no check; from the tenth on each one is
// checked, and any past the tenth is out of range.
VEXILO_INLINE const char* NumberReading::FeedDigits(const char* at, const char* end) {
  if (significant_ >= 9) return FeedDigitsPastNine(at, end);
  if (significant_ == 0) {
    while (at != end && *at == '0') ++at;
  }
  const char* const first = at;
  const auto room = static_cast<std::ptrdiff_t>(9 - significant_);
  const char* const unchecked = end - at > room ? at + room : end;
  std::uint32_t magnitude = magnitude_;
  unsigned digit = 0;
  for (; at != unchecked && (digit = DigitValue(*at)) <= 9; ++at)
    magnitude = magnitude * 10 + digit;
  magnitude_ = magnitude;
  significant_ = static_cast<std::uint8_t>(significant_ + (at - first));
  if (at == end) return end;
  if (at != unchecked) {
    phase_ = Phase::Stopped;
    return at;
  }
  return FeedDigitsPastNine(at, end);
}

const char* NumberReading::FeedDigitsPastNine(const char* at, const char* end) {
  for (; at != end; ++at) {
    const unsigned digit = DigitValue(*at);
    if (digit > 9) {
      phase_ = Phase::Stopped;
      return at;
    }
    AddDigitPastNine(digit);
  }
  return end;
}

void NumberReading::AddDigitPastNine(unsigned digit) {
  if (significant_ > 9) {
    outOfRange_ = true;
    return;
  }
  significant_ = 10;
  // The magnitude may reach 2^31 only for a negative number.
  const std::uint64_t limit =
      negative_ ? std::uint64_t{1} << 31
                : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  const std::uint64_t wide = std::uint64_t{magnitude_} * 10 + digit;
  if (wide > limit) outOfRange_ = true;
  magnitude_ = static_cast<std::uint32_t>(wide);
}

VEXILO_INLINE NumberStatus NumberReading::Result(std::int32_t& number) const {
  if (!sawDigit_) return NumberStatus::NoDigit;
  if (outOfRange_) return NumberStatus::OutOfRange;
  // Negated in unsigned arithmetic: -2^31 has no positive counterpart.
  number = static_cast<std::int32_t>(negative_ ? 0u - magnitude_ : magnitude_);
  return NumberStatus::Ok;
}

VEXILO_INLINE void LineSummary::Add(const char* begin, const char* end) {
  // The piece's place in the line, for the separators' places.
  const Piece piece{begin, length_};
  length_ += static_cast<std::size_t>(end - begin);
  if (start_ == Start::Blank) {
    while (begin != end && IsBlank(*begin)) ++begin;
    if (begin == end) return;
    // A comment says nothing more, however it goes on.
    if (*begin == ';') {
      start_ = Start::Comment;
      return;
    }
    start_ = Start::Text;
    debugMatched_ = *begin == kDebug[0] ? 0 : -1;
  }
  if (start_ == Start::Text) AddText(begin, end, piece);
}

// Each number field ends where the line does or stops at its first byte that
// is no part of a number; so does the start of a range at the line's first
// '-', which would otherwise read as a sign. The fields that start after the
// first '-' and the first '=' are read from there in the same pass.
VEXILO_INLINE void LineSummary::AddText(const char* begin, const char* end, const Piece& piece) {
  if (debugMatched_ >= 0) FollowDebug(begin, end);
  Separators at;
  if (!sawDash_ || !sawEquals_) at = FindSeparators(begin, end);
  const char* const dash = sawDash_ ? nullptr : at.dash;
  const char* const equals = sawEquals_ ? nullptr : at.equals;
  if (!fromStart_.stopped()) {
    fromStart_.Feed(begin, dash != nullptr ? dash : end);
    if (dash != nullptr) fromStart_.Stop();
  }
  if (sawDash_) {
    afterDash_.Feed(begin, end);
  } else if (dash != nullptr) {
    sawDash_ = true;
    dashAt_ = piece.PlaceOf(dash);
    afterDash_.Feed(dash + 1, end);
  }
  if (sawEquals_) {
    afterEquals_.Feed(begin, end);
  } else if (equals != nullptr) {
    sawEquals_ = true;
    equalsAt_ = piece.PlaceOf(equals);
    afterEquals_.Feed(equals + 1, end);
  }
}

// "DEBUG" counts only as the whole line once blanks are trimmed: its five
// letters, then nothing but blanks.
void LineSummary::FollowDebug(const char* begin, const char* end) {
  for (; begin != end && debugMatched_ < static_cast<std::int8_t>(kDebug.size()); ++begin) {
    if (*begin != kDebug[static_cast<std::size_t>(debugMatched_)]) {
      debugMatched_ = -1;
      return;
    }
    ++debugMatched_;
  }
  for (; begin != end; ++begin) {
    if (!IsBlank(*begin)) {
      debugMatched_ = -1;
      return;
    }
  }
}

VEXILO_INLINE MappingLine LineSummary::Line() const {
  switch (start_) {
    case Start::Blank:
      return LineOfKind(LineKind::Blank);
    case Start::Comment:
      return LineOfKind(LineKind::Comment);
    case Start::Text:
      break;
  }
  if (debugMatched_ == static_cast<std::int8_t>(kDebug.size())) return LineOfKind(LineKind::Debug);
  if (!sawEquals_) return LineOfKind(LineKind::Other);
  return sawDash_ ? Range() : Exact();
}

// Start: before the first '-'. End: after it, up to the first '=' that
// follows it. Value: after the line's first '=', wherever the '-' stands.
VEXILO_INLINE MappingLine LineSummary::Range() const {
  MappingLine line;
  line.kind = LineKind::Range;
  line.dashAt = dashAt_;
  line.equalsAt = equalsAt_;
  FieldReader fields(line);
  fields.Read(fromStart_, LineField::Start, line.first);
  fields.Read(afterDash_, LineField::End, line.last);
  fields.Read(afterEquals_, LineField::Value, line.value);
  return line;
}

VEXILO_INLINE MappingLine LineSummary::Exact() const {
  MappingLine line;
  line.kind = LineKind::Exact;
  line.equalsAt = equalsAt_;
  FieldReader fields(line);
  fields.Read(fromStart_, LineField::Index, line.first);
  fields.Read(afterEquals_, LineField::Value, line.value);
  line.last = line.first;
  return line;
}

NumberStatus ReadNumberField(std::string_view field, std::int32_t& number) {
  NumberReading reading;
  reading.Feed(field.data(), field.data() + field.size());
  return reading.Result(number);
}

MappingLine ParseMappingLine(std::string_view line) {
  LineSummary summary;
  summary.Add(line.data(), line.data() + line.size());
  return summary.Line();
}

bool SetsAnyZone(const MappingLine& line) {
  if (line.malformed != LineField::None) return false;
  if (line.kind != LineKind::Range && line.kind != LineKind::Exact) return false;
  return std::max(line.first, 0) <= std::min(line.last, kZoneCount - 1);
}

void ApplyMappingLine(const MappingLine& line, MappingTable& table) { ApplyLine(line, table); }

// Lines are counted for the observer alone: the count is a store per line
// that the plug-in does not need.
VEXILO_INLINE void MappingReader::EndLine(const MappingLine& line, const char* text,
                                          std::size_t size) {
  ApplyLine(line, table_);
  if (observer_ != nullptr)
    observer_->OnLine(++lines_, std::string_view(text, std::min(size, kLineExcerptBytes)), line);
}

// A line that lies whole in one piece: the common case, read in place.
VEXILO_INLINE void MappingReader::EndWholeLine(const char* begin, const char* end) {
  // Text mode turns CR LF into LF; a CR anywhere else stays in the line.
  if (end != begin && end[-1] == kCarriageReturn) --end;
  LineSummary summary;
  summary.Add(begin, end);
  EndLine(summary.Line(), begin, static_cast<std::size_t>(end - begin));
}

void MappingReader::Append(const char* begin, const char* end) {
  started_.Add(begin, end);
  if (observer_ == nullptr) return;
  const std::size_t count =
      std::min(kLineExcerptBytes - excerptSize_, static_cast<std::size_t>(end - begin));
  std::copy(begin, begin + count, excerpt_ + excerptSize_);
  excerptSize_ += count;
}

// Bytes of a line that began in an earlier piece or goes on in a later one.
void MappingReader::AddToLine(const char* begin, const char* end, bool endsLine) {
  lineStarted_ = true;
  // A held CR right before the line feed was half of a CR LF line end.
  if (heldCarriageReturn_ && !(endsLine && begin == end))
    Append(&kCarriageReturn, &kCarriageReturn + 1);
  heldCarriageReturn_ = false;
  if (end != begin && end[-1] == kCarriageReturn) {
    --end;
    heldCarriageReturn_ = !endsLine;
  }
  Append(begin, end);
}

void MappingReader::EndStartedLine() {
  EndLine(started_.Line(), excerpt_, excerptSize_);
  started_ = LineSummary();
  lineStarted_ = false;
  excerptSize_ = 0;
}

bool MappingReader::Feed(std::string_view bytes) {
  if (ended_) return false;
  const std::size_t endOfText = bytes.find(kEndOfText);
  if (endOfText != std::string_view::npos) bytes = bytes.substr(0, endOfText);
  const char* lineStart = bytes.data();
  const char* const end = lineStart + bytes.size();
  page_safe::ForEachByte(lineStart, end, kLineFeed, [&](const char* lineFeed) {
    if (lineStarted_) {
      AddToLine(lineStart, lineFeed, true);
      EndStartedLine();
    } else {
      EndWholeLine(lineStart, lineFeed);
    }
    lineStart = lineFeed + 1;
  });
  if (lineStart != end) AddToLine(lineStart, end, false);
  if (endOfText == std::string_view::npos) return true;
  // The byte ends the line it stands in, or stands at the start of a line.
  const bool withinLine = lineStarted_;
  Finish();
  if (observer_ != nullptr) observer_->OnEndOfText(withinLine ? lines_ : lines_ + 1);
  ended_ = true;
  return false;
}

void MappingReader::Finish() {
  if (ended_ || !lineStarted_) return;
  // Only a line feed makes a CR part of the line end.
  if (heldCarriageReturn_) Append(&kCarriageReturn, &kCarriageReturn + 1);
  heldCarriageReturn_ = false;
  EndStartedLine();
}

MappingTable ParseMappingText(std::string_view bytes) {
  MappingTable table;
  MappingReader reader(table);
  reader.Feed(bytes);
  reader.Finish();
  return table;
}

}  // namespace vexilo
