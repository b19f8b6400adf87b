#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mapping/zones.hpp"

/// The mapping file's format as pure functions over its bytes, shared by the
/// plug-in's loader and by every tool that must read a file exactly as it does.
namespace vexilo {

enum class LineKind {
  Blank,    ///< empty once spaces and tabs are trimmed
  Comment,  ///< starts with ';'
  Debug,    ///< exactly "DEBUG"
  Range,    ///< holds '-' and '=': start-end=value
  Exact,    ///< holds '=' and no '-': index=value
  Other,    ///< none of the above; sets nothing
};

enum class NumberStatus { Ok, NoDigit, OutOfRange };

/// A number field of a mapping line, named for diagnostics.
enum class LineField { None, Start, End, Index, Value };

/// What one line of the file says.
struct MappingLine {
  LineKind kind = LineKind::Other;
  std::int32_t first = 0;  ///< range start, or the exact line's index
  std::int32_t last = 0;   ///< range end, or the exact line's index
  std::int32_t value = 0;
  /// The first number field that has no digit or leaves the 32-bit range;
  /// such a line sets nothing.
  LineField malformed = LineField::None;
  /// What was wrong with that field.
  NumberStatus problem = NumberStatus::Ok;
  /// Where the line's first '-' and first '=' stand, in bytes from its start;
  /// kNowhere when it has none. Set for ranges and exact lines.
  std::size_t dashAt = kNowhere;
  std::size_t equalsAt = kNowhere;

  static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
};

/// The table a mapping file produces.
struct MappingTable {
  std::array<std::int32_t, kZoneCount> plates{};
  bool debug = false;
};

/// How much of a line's start an observer is shown; a longer line reaches
/// it cut there.
inline constexpr std::size_t kLineExcerptBytes = 200;

/// A decimal field read a piece at a time: blanks, an optional sign, digits;
/// whatever follows the digits is ignored. Leading zeros are skipped and a
/// run too long for 32 bits is only counted, so it holds a few bytes for a
/// field of any length. The reader's own: its functions are inlined into the
/// reader's file, so other files use ReadNumberField.
class NumberReading {
 public:
  /// Reads on from at; returns where the field's number ended within
  /// [at, end), or end when it may go on in later bytes.
  const char* Feed(const char* at, const char* end);
  /// The field ends here, before any byte Feed did not take.
  void Stop() { phase_ = Phase::Stopped; }
  bool stopped() const { return phase_ == Phase::Stopped; }
  /// The number the bytes fed so far hold; a failed read leaves number alone.
  NumberStatus Result(std::int32_t& number) const;

 private:
  enum class Phase : std::uint8_t { Blanks, FirstDigit, Digits, Stopped };
  const char* FindFirstDigit(const char* at, const char* end);
  const char* FeedDigits(const char* at, const char* end);
  const char* FeedDigitsPastNine(const char* at, const char* end);
  void AddDigitPastNine(unsigned digit);

  Phase phase_ = Phase::Blanks;
  bool negative_ = false;
  bool sawDigit_ = false;
  bool outOfRange_ = false;
  std::uint8_t significant_ = 0;  ///< digits after the leading zeros, up to 10
  std::uint32_t magnitude_ = 0;
};

/// What the reader keeps of a line while it reads it, whatever the line's
/// length: whether it is blank, a comment or exactly "DEBUG", whether it
/// holds '-' and '=', and the number fields that start at its beginning,
/// after its first '-' and after its first '='. Bytes come in pieces of any
/// size; no byte is kept. The reader's own, as NumberReading is: other files
/// use ParseMappingLine.
class LineSummary {
 public:
  /// Takes the next bytes of the line, its line end excluded.
  void Add(const char* begin, const char* end);
  /// What the line says, from the bytes added so far.
  MappingLine Line() const;

 private:
  enum class Start : std::uint8_t { Blank, Comment, Text };
  // A piece of the line: where it begins in memory and in the line.
  struct Piece {
    const char* begin;
    std::size_t offset;
    std::size_t PlaceOf(const char* at) const {
      return offset + static_cast<std::size_t>(at - begin);
    }
  };
  void AddText(const char* begin, const char* end, const Piece& piece);
  void FollowDebug(const char* begin, const char* end);
  MappingLine Range() const;
  MappingLine Exact() const;

  Start start_ = Start::Blank;
  /// How many bytes of "DEBUG" the trimmed line has matched; -1 once it
  /// cannot be the debug switch.
  std::int8_t debugMatched_ = -1;
  bool sawDash_ = false;
  bool sawEquals_ = false;
  std::size_t length_ = 0;
  std::size_t dashAt_ = MappingLine::kNowhere;
  std::size_t equalsAt_ = MappingLine::kNowhere;
  NumberReading fromStart_;
  NumberReading afterDash_;
  NumberReading afterEquals_;
};

/// Reads a decimal field whole.
NumberStatus ReadNumberField(std::string_view field, std::int32_t& number);

/// Reads one line, its line end already removed.
MappingLine ParseMappingLine(std::string_view line);

/// Whether the line writes at least one entry of a table.
bool SetsAnyZone(const MappingLine& line);

/// Applies a line to the table. Malformed lines and indices above 376 set nothing.
void ApplyMappingLine(const MappingLine& line, MappingTable& table);

/// Cuts file bytes into lines the way the host platform's text mode reads
/// them (CR LF or LF ends a line, a byte 0x1A ends the text) and applies each
/// line to a table. Takes the file in pieces of any size and keeps no line
/// whole, so its memory is the same for every file.
class MappingReader {
 public:
  /// Told of every line as it is applied: its number (from 1), the first
  /// kLineExcerptBytes bytes of its text without the line end, and what the
  /// whole line says. For tools that explain a file; the plug-in passes none.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void OnLine(std::size_t number, std::string_view excerpt, const MappingLine& line) = 0;
    /// A byte 0x1A ended the text in the given line; later bytes were ignored.
    virtual void OnEndOfText(std::size_t number) = 0;
  };

  explicit MappingReader(MappingTable& table, Observer* observer = nullptr)
      : table_(table), observer_(observer) {}

  /// Reads the next piece of the file. Returns false once the text has ended
  /// at a byte 0x1A; later pieces are ignored.
  bool Feed(std::string_view bytes);

  /// The file has ended: reads a last line that had no line end.
  void Finish();

 private:
  void EndWholeLine(const char* begin, const char* end);
  void AddToLine(const char* begin, const char* end, bool endsLine);
  void Append(const char* begin, const char* end);
  void EndLine(const MappingLine& line, const char* text, std::size_t size);
  void EndStartedLine();

  MappingTable& table_;
  Observer* observer_;
  /// The line that the last piece left unfinished.
  LineSummary started_;
  bool lineStarted_ = false;
  /// That line's last byte so far is a CR, left out until the next byte
  /// tells whether it belongs to a CR LF line end.
  bool heldCarriageReturn_ = false;
  char excerpt_[kLineExcerptBytes] = {};
  std::size_t excerptSize_ = 0;
  std::size_t lines_ = 0;  ///< counted only for an observer
  bool ended_ = false;
};

/// The table that a whole file's bytes give.
MappingTable ParseMappingText(std::string_view bytes);

}  // namespace vexilo
