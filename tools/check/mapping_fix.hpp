#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

/// The mends of the line rules applied, every other byte kept, and the
/// bytes the game misreads mended: line ends of a carriage return alone, a
/// 0x1A with lines after it, a file saved as UTF-16 or with a byte-order
/// mark. A line's mend is kept only when the game, reading the whole mended
/// file, sets just the zones that the line's zone field names, each to the
/// line's value.
namespace vexilo::check {

struct CheckOptions;

/// One line mended, or left with why, as written.
struct LineChange {
  std::size_t line;
  std::string before;
  std::string after;
};

/// How many changed lines a fix keeps to show; all are counted.
inline constexpr std::size_t kMostChangesKept = 1000;

struct MappingFix {
  std::string bytes;  ///< the mended file
  /// The file was UTF-16 and is now UTF-8, whose ASCII the plug-in reads.
  bool decoded = false;
  /// Why a UTF-16 file stays as it is; empty when it was none or was decoded.
  std::string encodingLeft;
  std::size_t lines = 0;            ///< lines the text held before its lines were mended
  std::vector<LineChange> changes;  ///< the first kMostChangesKept changed lines
  std::size_t changed = 0;          ///< every changed line
  /// The first kMostChangesKept lines that look mendable but are left, with
  /// why in after.
  std::vector<LineChange> left;
  std::size_t leftCount = 0;  ///< every line left
  /// Line ends of a carriage return alone, each now CR LF.
  std::size_t lineEndsMended = 0;
  /// The line of the first byte 0x1A removed; 0 when there was none.
  std::size_t endOfTextLine = 0;
  /// What the game reads once that 0x1A is gone, which it did not read
  /// before: "the 2 lines after it will be read, DEBUG among them".
  std::string endOfTextEffect;

  void Change(std::size_t line, std::string before, std::string after);
  void Leave(std::size_t line, std::string before, std::string why);
  /// How many lines the mending changes: all of them when it decodes UTF-16.
  std::size_t Mended() const {
    return decoded ? lines : changed + lineEndsMended + (endOfTextLine != 0 ? 1 : 0);
  }
};

/// Mends a mapping file's bytes; line ends, comments and blank lines stay as
/// they were.
MappingFix FixMappingText(std::string_view bytes, const CheckOptions& options);

struct FixedFile {
  enum class Outcome { NothingToMend, Written, LeftAlone, DryRun };
  Outcome outcome = Outcome::LeftAlone;
  MappingFix fix;
  std::string backup;   ///< where the old file is kept, when Written
  std::string problem;  ///< why the file was left alone, when LeftAlone
};

/// The most bytes --fix reads of a file.
inline constexpr std::size_t kMostBytesFixed = 64u << 20;

/// Mends the file at a UTF-8 path (shown as shownAs), where its symbolic
/// links point: keeps the old file beside it as FILE.bak (FILE.bak2, ...
/// when that exists) with its permissions, writes the new one beside it,
/// flushed to disk, and renames it over the old, or, when the file has
/// several names (hard links), writes it in place once the backup is safe.
/// Leaves a read-only file, or one that changes while it is read, as it was,
/// and then no new backup either; dryRun writes nothing.
FixedFile FixMappingFile(const std::string& path, const std::string& shownAs,
                         const CheckOptions& options, bool dryRun = false);

/// The second half of FixMappingFile: mends the bytes read from file when it
/// had stamp, and leaves it alone when it has changed since.
FixedFile FixReadFile(const std::string& file, const std::string& shownAs, std::string_view bytes,
                      platform::FileStamp stamp, const CheckOptions& options, bool dryRun);

}  // namespace vexilo::check
