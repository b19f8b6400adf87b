#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mapping_check.hpp"

/// The usual mistakes of a mapping file mended where their meaning is plain,
/// every other byte kept: a zone label where its index belongs, a missing '='
/// between two numbers, "5=-3" for zone 5, a file saved as UTF-16 or with a
/// byte-order mark.
namespace vexilo::check {

/// One line mended, both forms quoted.
struct LineChange {
  std::size_t line;
  std::string before;
  std::string after;
};

/// What mending a file's bytes gives.
struct MappingFix {
  std::string bytes;  ///< the mended file
  /// The file was UTF-16 and is now the single-byte text the plug-in reads.
  bool decoded = false;
  /// Why a UTF-16 file stays as it is; empty when it was none or was decoded.
  std::string encodingLeft;
  std::size_t lines = 0;  ///< lines the file holds
  std::vector<LineChange> changes;

  /// How many lines the mending changes: all of them when it decodes UTF-16.
  std::size_t Mended() const { return decoded ? lines : changes.size(); }
};

/// Mends a mapping file's bytes. A line is changed only when the plug-in
/// reads the new line as exactly what the old one plainly meant; line ends,
/// comments, blank lines and all that follows a byte 0x1A stay as they were.
MappingFix FixMappingText(std::string_view bytes);

/// What --fix did to a file.
struct FixedFile {
  enum class Outcome { NothingToMend, Written, LeftAlone };
  Outcome outcome = Outcome::LeftAlone;
  MappingFix fix;
  std::string backup;   ///< where the old file is kept, when Written
  std::string problem;  ///< why the file was left alone, when LeftAlone
};

/// The most bytes --fix reads of a file.
inline constexpr std::size_t kMostBytesFixed = 64u << 20;

/// Mends the file at a UTF-8 path (shown as shownAs): keeps the old file
/// beside it as FILE.bak (FILE.bak2, ... when that exists), writes the new
/// one beside it and renames it over the old. Leaves a read-only file, or one
/// that changes while it is read, as it was.
FixedFile FixMappingFile(const std::string& path, const std::string& shownAs);

/// The offer a double-clicked checker makes when it found mendable lines.
std::string FixOffer(std::size_t lines);

/// Appends what --fix did: "line N: OLD -> NEW" for each change and the
/// backup, or why the file was left alone; then the lines left as they are,
/// from after, the check of what the file now holds.
void FormatFix(std::string& out, const std::string& file, const FixedFile& fixed,
               const CheckReport& after);

}  // namespace vexilo::check
