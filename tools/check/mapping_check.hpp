#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mapping/mapping_format.hpp"
#include "texture_dictionary.hpp"

/// What a mapping file does, line by line, as the plug-in reads it.
namespace vexilo::check {

enum class Severity { Warning, Error };

/// One line that does not do what it looks like.
struct Diagnostic {
  std::size_t line;
  Severity severity;
  std::string message;
  std::string quote;  ///< the line as written, shortened and made printable
};

/// How many diagnostics a report keeps; all of them are counted.
inline constexpr std::size_t kMaxDiagnostics = 1000;

/// The plate textures the default file uses, and the game's own.
inline constexpr std::int32_t kDefaultFilePlates = 11;
inline constexpr std::int32_t kGamePlates = 3;

struct CheckOptions {
  /// How many plate textures the game has: plateback indices 0 to plates-1.
  std::int32_t plates = kDefaultFilePlates;
  /// Whether the player said so (--plates), or the count is assumed.
  bool platesGiven = false;
  /// The game's texture dictionary, when one was looked for: read, it says
  /// which plateback indices have a texture in place of plates.
  std::optional<PlateTextures> dictionary;

  /// Whether the game has the texture a plateback index selects.
  bool HasTexture(std::int32_t plate) const;
  /// Whether the textures were measured in the game's dictionary.
  bool Measured() const { return dictionary && dictionary->Read(); }
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

  std::size_t Count(Severity severity) const;
};

/// Reads the file at a native path with the plug-in's own loader and explains it.
CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options);

/// The same over a file's bytes.
CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options);

/// A line as it can be shown: control bytes and a byte-order mark spelled
/// out, long lines cut.
std::string Quote(std::string_view line);

/// The counts and words that every report draws from a check, so that the
/// terminal, the JSON and the page never tell the same thing two ways.

/// How many zones each plateback index covers, in index order.
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

/// The zones the game can reach whose plateback index has no texture, in order.
std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report);

/// How many zones the game can reach get a plateback index that has no
/// texture under the assumed count (negative ones included).
std::size_t ZonesBeyondTheTextures(const CheckReport& report);

/// "Only the first N problems found are shown." when the report kept fewer
/// problems than it found; empty otherwise.
std::string CutNote(const CheckReport& report);

}  // namespace vexilo::check
