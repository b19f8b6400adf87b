#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

/// The line rules' mends applied, and the bytes the game misreads mended: lone
/// carriage returns, a 0x1A with lines after it, UTF-16, a byte-order mark. A
/// line's mend is kept only when the game, reading the whole mended file, sets
/// just the zones that its zone field names, each to its value.
namespace vexilo::check {

struct CheckOptions;

struct LineChange {
  std::size_t line;
  std::string before;
  std::string after;  ///< or why it is left
};

/// All changed lines are counted, but only so many kept.
inline constexpr std::size_t kMostChangesKept = 1000;

struct MappingFix {
  std::string bytes;
  bool decoded = false;      ///< from UTF-16 to UTF-8, whose ASCII the plug-in reads
  std::string encodingLeft;  ///< why a UTF-16 file stays as it is
  std::size_t lines = 0;     ///< before its lines were mended
  std::vector<LineChange> changes;
  std::size_t changed = 0;
  std::vector<LineChange> left;  ///< lines that look mendable but are left
  std::size_t leftCount = 0;
  std::size_t lineEndsMended = 0;  ///< carriage returns alone, each now CR LF
  std::size_t endOfTextLine = 0;   ///< of the first 0x1A removed; 0 when none
  /// "the 2 lines after it will be read, DEBUG among them"
  std::string endOfTextEffect;

  /// All lines when it decodes UTF-16: a byte-order mark alone is a line to the game.
  std::size_t Mended() const {
    return decoded ? std::max<std::size_t>(lines, 1)
                   : changed + lineEndsMended + (endOfTextLine != 0 ? 1 : 0);
  }
};

/// Line ends, comments and blank lines stay as they were.
MappingFix FixMappingText(std::string_view bytes, const CheckOptions& options);

struct FixedFile {
  enum class Outcome { NothingToMend, Written, LeftAlone, DryRun };
  Outcome outcome = Outcome::LeftAlone;
  MappingFix fix;
  std::string backup;   ///< when Written
  std::string problem;  ///< when LeftAlone
};

inline constexpr std::size_t kMostBytesFixed = 64u << 20;

/// Mends the file at a UTF-8 path where its symbolic links point: keeps the
/// old file beside it as FILE.bak (FILE.bak2, ... when that exists) with its
/// permissions, and renames a new one, flushed to disk, over it; or, when the
/// file has hard links, writes it in place once the backup is safe. A
/// read-only file, or one that changes while it is read, is left, and no backup.
FixedFile FixMappingFile(const std::string& path, const std::string& shownAs,
                         const CheckOptions& options, bool dryRun = false);

/// The second half of FixMappingFile: the bytes were read when file had stamp.
FixedFile FixReadFile(const std::string& file, const std::string& shownAs, std::string_view bytes,
                      platform::FileStamp stamp, const CheckOptions& options, bool dryRun);

}  // namespace vexilo::check
