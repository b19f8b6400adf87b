#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/zones.hpp"

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
};

/// The table a mapping file produces.
struct MappingTable {
  std::array<std::int32_t, kZoneCount> plates{};
  bool debug = false;
};

/// Which entries of a table lines have written: -1 where one has, else 0.
using WrittenEntries = std::array<std::int32_t, kZoneCount>;

/// Reads a decimal field: blanks, an optional sign, digits; whatever follows
/// the digits is ignored.
NumberStatus ReadNumberField(std::string_view field, std::int32_t& number);

/// Reads one line, its line end already removed.
MappingLine ParseMappingLine(std::string_view line);

/// Applies a line to the table. Malformed lines and indices above 376 set nothing.
void ApplyMappingLine(const MappingLine& line, MappingTable& table);

/// The same, marking in written the entries the line writes.
void ApplyMappingLine(const MappingLine& line, MappingTable& table, WrittenEntries& written);

/// Cuts file bytes into lines the way the host platform's text mode reads
/// them (CR LF or LF ends a line, a byte 0x1A ends the text) and applies each
/// line to a table. Takes the file in pieces of any size and keeps only the
/// unfinished line, so memory follows the longest line, not the file.
class MappingReader {
 public:
  /// Told of every line as it is applied: its number (from 1), its text
  /// without the line end, and what it says. For tools that explain a file;
  /// the plug-in passes none.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void OnLine(std::size_t number, std::string_view text, const MappingLine& line) = 0;
    /// A byte 0x1A ended the text in the given line; later bytes were ignored.
    virtual void OnEndOfText(std::size_t number) = 0;
  };

  explicit MappingReader(MappingTable& table, Observer* observer = nullptr) : table_(table), observer_(observer) {}

  /// Also marks, in written, every entry a line writes, whatever its value.
  MappingReader(MappingTable& table, WrittenEntries& written) : table_(table), observer_(nullptr), written_(&written) {}

  /// Reads the next piece of the file. Returns false once the text has ended
  /// at a byte 0x1A; later pieces are ignored.
  bool Feed(std::string_view bytes);

  /// The file has ended: reads a last line that had no line end.
  void Finish();

 private:
  void EndLine(std::string_view line);

  MappingTable& table_;
  Observer* observer_;
  WrittenEntries* written_ = nullptr;
  std::string pending_;
  std::size_t lines_ = 0;
  bool ended_ = false;
};

/// The table that a whole file's bytes give.
MappingTable ParseMappingText(std::string_view bytes);

}  // namespace vexilo
