#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/mapping_format.hpp"

namespace vexilo {

/// Reads a mapping file from its end towards its start, for a loader that
/// can read the file in any order. A later line wins, so once lines near the
/// end have set every entry, the earlier ones can only turn DEBUG on or end
/// the text with a byte 0x1A: they are searched for those bytes, not read
/// line by line. Gives the table MappingReader gives for the same bytes.
class BackwardMappingReader {
 public:
  /// Entries no line sets keep their value in table.
  explicit BackwardMappingReader(MappingTable& table) : table_(table) {}

  /// Reads the piece of the file that comes right before all pieces read so far.
  void FeedPreceding(std::string_view bytes);

  /// The start of the file has been reached: writes what the file sets into the table.
  void Finish();

 private:
  /// Applies lines that come before every line applied so far, each ended
  /// by its line feed.
  void ApplyEarlierLines(std::string_view lines);
  /// The same for one line without its line feed, which it had when endsLine.
  void ApplyEarlierLine(std::string_view line, bool endsLine);
  /// What a group of lines set, below what later lines set.
  void KeepUndecided(const MappingTable& group, const WrittenEntries& written);
  /// A byte 0x1A ended the text: what came after it sets nothing.
  void EndTextHere();
  /// Whether earlier lines could still change the table: once later lines
  /// set every entry, only a DEBUG line can, and it holds a 'D'.
  bool CouldChangeTheTable(std::string_view lines, bool carriedHoldsD = false) const;
  /// The line that began before the piece and goes on into the later ones.
  std::string JoinCarried(std::string_view head) const;

  MappingTable& table_;
  std::array<std::int32_t, kZoneCount> decided_{};
  WrittenEntries isDecided_{};
  int undecided_ = kZoneCount;
  bool debug_ = false;
  // The unfinished line at the start of the earliest piece so far, as pieces
  // in reverse order, joined only once the line is whole.
  std::vector<std::string> carried_;
  bool carriedHasD_ = false;
  bool carriedEndsLine_ = false;
};

}  // namespace vexilo
