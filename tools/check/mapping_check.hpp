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

struct Diagnostic {
  std::size_t line;
  Severity severity;
  std::string message;
  std::string quote;
  std::string where = {};  ///< another file's place ("limits.ini:12"), or empty
  /// A line rule's id; "no-plateback" for zones shown blank, "set-again" for a
  /// line whose zones later lines all set, "around" for the files around it.
  std::string rule = {};
};

const char* SeverityName(Severity severity);

/// All diagnostics are counted, but only so many kept.
inline constexpr std::size_t kMaxDiagnostics = 1000;

inline constexpr std::int32_t kGamePlates = 3;

/// The limit adjuster's count of plate textures, from its .ini file.
struct PlateCount {
  std::string file;
  std::size_t line = 0;             ///< "Number of plate textures = N"
  std::int32_t count = 0;           ///< N, or 3 when the line is off
  bool on = false;                  ///< false when a '#' or ';' turns the line off
  std::vector<std::string> others;  ///< every other count line found, with its file
  bool guessed = false;             ///< several could be the game's: the lowest is taken
};

struct CheckOptions {
  std::int32_t plates = 0;  ///< from --plates: plateback indices 0 to plates-1
  bool platesGiven = false;
  /// Once read, it says which indices have a texture, in place of plates.
  std::optional<PlateTextures> dictionary;
  std::optional<PlateCount> limit;
  bool limitSearched = false;
  std::vector<Finding> findings;  ///< the game folder, its copies, the count

  bool HasTexture(std::int32_t plate) const;
  /// Without a limit adjuster's count the game loads only its own textures.
  std::int32_t CountedPlates() const { return limit ? limit->count : kGamePlates; }
  bool Counted() const { return limit || limitSearched; }
  bool BeyondCount(std::int32_t plate) const { return Counted() && plate >= CountedPlates(); }
  bool ShowsPlate(std::int32_t plate) const { return HasTexture(plate) && !BeyondCount(plate); }
  bool Measured() const { return dictionary && dictionary->Read(); }
  bool Judged() const { return platesGiven || Measured(); }
};

struct CheckReport {
  bool readable = false;
  CheckOptions options;
  MappingTable table;
  std::size_t lines = 0;
  std::size_t mappings = 0;                     ///< lines that set at least one zone
  std::array<std::size_t, kZoneCount> setBy{};  ///< the line that last set each zone, or 0
  std::map<std::size_t, std::string> setterText;
  std::vector<Diagnostic> diagnostics;  ///< in line order
  std::size_t errors = 0;
  std::size_t warnings = 0;
  std::size_t notes = 0;
  std::size_t mendable = 0;  ///< lines --fix can mend, when the caller measured it

  std::size_t Count(Severity severity) const;
};

/// Reads a file at a native path, or bytes, as the plug-in does.
CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options);
CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options);

/// Control bytes spelled out, long lines cut.
std::string Quote(std::string_view line);

/// What the game shows in one zone, from which every report draws its row,
/// its cell and its verdict.
struct ZoneOutcome {
  std::int32_t plate = 0;
  std::size_t line = 0;  ///< 0 when no line set it
  std::string lineText;
  bool reached = true;  ///< false for zone 187, which the game never finds
  std::string blank;    ///< why it shows no plateback; empty when it shows one or is not reached
};

ZoneOutcome OutcomeOf(const CheckReport& report, std::int32_t zone);

std::map<std::int32_t, std::size_t> ZonesPerPlateback(const CheckReport& report);

/// Zone index 187 is left out: it never matters which plateback it has.
std::vector<std::int32_t> UnsetZones(const CheckReport& report);

std::string AssumedTextures(const CheckOptions& options);

/// "plateback1 to plateback3 and plateback5, without plateback4".
std::string TextureRuns(const PlateTextures& textures);

std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report);

/// "no texture in models/generic/vehicle.txd", "beyond the 3 plate textures
/// of limits.ini"; empty when it shows one.
std::string WhyNoPlateback(const CheckOptions& options, std::int32_t plate);

/// As the player would write them: "0 to 2", "0 to 2 and 4".
std::string IndicesTheGameHas(const CheckOptions& options);

/// Grouped by why, in order of their first zone.
std::vector<std::pair<std::string, std::vector<std::int32_t>>> ZonesWithoutPlateback(
    const CheckReport& report);

std::string MendableNote(const CheckReport& report);

/// "In the game: ...": the one thing a player must know first; empty when no error.
std::string Headline(const CheckReport& report);

std::string Verdict(const CheckReport& report);

std::string CutNote(const CheckReport& report);

}  // namespace vexilo::check
