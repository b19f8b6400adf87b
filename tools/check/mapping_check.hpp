#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "finding.hpp"
#include "mapping/mapping_format.hpp"
#include "texture_dictionary.hpp"

/// What a mapping file does, line by line, as the plug-in reads it.
namespace vexilo::check {

/// One line that does not do what it looks like.
struct Diagnostic {
  std::size_t line;
  Severity severity;
  std::string message;
  std::string quote;  ///< the line as written, shortened and made printable
  /// Where it stands when that is another file ("limits.ini:12"); empty for
  /// a line of the mapping file.
  std::string where = {};
  /// The rule that found it: a line rule's id, "no-plateback" for the zones
  /// the game shows blank, "set-again" for a line whose zones later lines all
  /// set, "around" for the files around the mapping file.
  std::string rule = {};
};

const char* SeverityName(Severity severity);

/// How many diagnostics a report keeps; all of them are counted.
inline constexpr std::size_t kMaxDiagnostics = 1000;

/// The game's own plate textures.
inline constexpr std::int32_t kGamePlates = 3;

/// The limit adjuster's count of plate textures, read from its .ini file.
struct PlateCount {
  std::string file;                 ///< the .ini that gave it, as shown
  std::size_t line = 0;             ///< its line "Number of plate textures = N"
  std::int32_t count = 0;           ///< what the game uses: N, or 3 when the line is off
  bool on = false;                  ///< false when a '#' or ';' turns the line off
  std::vector<std::string> others;  ///< every other count line found, with its file
  /// Several counts could be the game's, and the lowest was taken.
  bool guessed = false;
};

struct CheckOptions {
  /// How many plate textures the game has, when --plates says so:
  /// plateback indices 0 to plates-1.
  std::int32_t plates = 0;
  bool platesGiven = false;
  /// The game's texture dictionary, when one was looked for: read, it says
  /// which plateback indices have a texture in place of plates.
  std::optional<PlateTextures> dictionary;

  /// The limit adjuster's count, when an .ini file with one was found.
  std::optional<PlateCount> limit;
  /// Whether the game folder was searched for that count.
  bool limitSearched = false;
  /// What was found around the file: the game folder, its copies, the count.
  std::vector<Finding> findings;

  bool HasTexture(std::int32_t plate) const;
  /// Whether a plateback index lies at or above the limit adjuster's count.
  bool BeyondCount(std::int32_t plate) const { return limit && plate >= limit->count; }
  bool ShowsPlate(std::int32_t plate) const { return HasTexture(plate) && !BeyondCount(plate); }
  /// Whether the textures were measured in the game's dictionary.
  bool Measured() const { return dictionary && dictionary->Read(); }
  /// Whether the check knows which textures the game has: measured, or given.
  bool Judged() const { return platesGiven || Measured(); }
};

struct CheckReport {
  bool readable = false;
  CheckOptions options;  ///< what the check assumed
  MappingTable table;
  std::size_t lines = 0;
  std::size_t mappings = 0;  ///< lines that set at least one zone
  /// The line that last set each zone; 0 where no line set it.
  std::array<std::size_t, kZoneCount> setBy{};
  /// The text, quoted, of every line named in setBy.
  std::map<std::size_t, std::string> setterText;
  std::vector<Diagnostic> diagnostics;  ///< the first kMaxDiagnostics found, in line order
  std::size_t errors = 0;
  std::size_t warnings = 0;
  std::size_t notes = 0;
  /// Lines --fix can mend, when the caller measured it.
  std::size_t mendable = 0;

  std::size_t Count(Severity severity) const;
};

/// Reads the file at a native path, or its bytes, as the plug-in does, and explains it.
CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options);
CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options);

/// A line as it can be shown: control bytes spelled out, long lines cut.
std::string Quote(std::string_view line);

/// What the game shows in one zone, from which every report draws its row,
/// its cell and its verdict.
struct ZoneOutcome {
  std::int32_t plate = 0;  ///< the plateback index the game gives it
  std::size_t line = 0;    ///< the line that set it; 0 when none did
  std::string lineText;    ///< that line, quoted; empty when none did
  bool reached = true;     ///< false for zone 187, which the game never finds
  /// Why it shows no plateback in the game; empty when it shows one or is
  /// never reached.
  std::string blank;
};

ZoneOutcome OutcomeOf(const CheckReport& report, std::int32_t zone);

std::map<std::int32_t, std::size_t> ZonesPerPlateback(const CheckReport& report);

/// The zones no line sets, in order; zone index 187 is left out, since it
/// never matters which plateback it has.
std::vector<std::int32_t> UnsetZones(const CheckReport& report);

/// The texture count a check assumed and how to change it: "assuming 11 plate
/// textures (plateback1 to plateback11), as the default file does; --plates 3
/// for the game's own", or "..., as --plates N says" when it was given.
std::string AssumedTextures(const CheckOptions& options);

/// The plate textures a dictionary holds, as runs, and its gaps: "plateback1
/// to plateback3 and plateback5, without plateback4".
std::string TextureRuns(const PlateTextures& textures);

/// The zones the game can reach that show no plateback, in order.
std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report);

/// Why a plateback index shows no plateback, in a few words ("no texture in
/// models/generic/vehicle.txd", "beyond the 3 plate textures of limits.ini");
/// empty when it shows one.
std::string WhyNoPlateback(const CheckOptions& options, std::int32_t plate);

/// The plateback indices the game shows, as the player would write them:
/// "0 to 2", "0 to 2 and 4".
std::string IndicesTheGameHas(const CheckOptions& options);

/// The zones that show no plateback, grouped by why, in order of their first zone.
std::vector<std::pair<std::string, std::vector<std::int32_t>>> ZonesWithoutPlateback(
    const CheckReport& report);

std::string MendableNote(const CheckReport& report);

/// "In the game: ...": the one thing a player must know first, from the
/// worst finding; empty when there is no error.
std::string Headline(const CheckReport& report);

/// The verdict, in one of three forms: "No problems found.", "No errors, N
/// warnings: the game shows what this file asks." or "N errors, M
/// warnings: the game will not show what this file asks."
std::string Verdict(const CheckReport& report);

/// "Only the first N problems found are shown.", or empty.
std::string CutNote(const CheckReport& report);

}  // namespace vexilo::check
