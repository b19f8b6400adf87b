#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "mapping/zones.hpp"

/// The mapping file's format, shared by the plug-in's loader and by every
/// tool that must read a file exactly as it does. Layered as a small config
/// parser is: a line's fields, a line, then a reader of lines over any input.
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
  /// The first field that could not be read; such a line sets nothing, and
  /// the fields after it are not read.
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

/// Reads a decimal field: blanks (space, tab, LF, VT, FF, CR), an optional
/// sign, one or more digits; whatever follows the digits is ignored. A field
/// without a digit, or outside 32 bits, leaves number alone.
NumberStatus ReadNumberField(std::string_view field, std::int32_t& number);

/// Reads a field that names a zone: a range's start or end, an exact line's
/// index, when it stands before the line's first '='. A zone is named by its
/// index, read as any number is, or, in a field without digits, by its whole
/// label (ZoneOfLabelField); anything else is NoDigit.
NumberStatus ReadZoneField(std::string_view field, std::int32_t& zone);

/// Reads one line, its line end already removed.
MappingLine ParseMappingLine(std::string_view line);

/// The text of one number field of a range or exact line, as ParseMappingLine
/// cut it from that line's text: for tools that show or mend a field.
std::string_view FieldText(std::string_view text, const MappingLine& line, LineField field);

/// Whether the line writes at least one entry of a table.
bool SetsAnyZone(const MappingLine& line);

/// Applies a line to the table. Malformed lines and indices above 376 set nothing.
void ApplyMappingLine(const MappingLine& line, MappingTable& table);

/// Told of every line as it is applied; for tools that explain a file.
class LineObserver {
 public:
  virtual ~LineObserver() = default;
  /// The line's number (from 1), its whole text without the line end, and
  /// what it says.
  virtual void OnLine(std::size_t number, std::string_view text, const MappingLine& line) = 0;
  /// A byte 0x1A ended the text in the given line; later bytes were ignored.
  virtual void OnEndOfText(std::size_t number) = 0;
};

/// Reads up to size bytes of an input into buffer: the count read, 0 at its
/// end, -1 on a read error.
using ByteReader = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

/// Reads an input line by line, as the host platform's text mode gives it
/// (CR LF or LF ends a line, a byte 0x1A ends the text), and applies each
/// line to table in order. One line is held at a time, so memory grows with
/// the longest line. True once the text has ended; false on a read error or
/// a line too long to hold, and then table is not what the input says.
bool ReadMappingText(const ByteReader& read, MappingTable& table, LineObserver* observer = nullptr);

/// The table that bytes in memory give.
MappingTable ParseMappingText(std::string_view bytes, LineObserver* observer = nullptr);

}  // namespace vexilo
