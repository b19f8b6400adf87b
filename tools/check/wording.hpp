#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "mapping_check.hpp"

/// The words and counts that every report of the checker shares, so that the
/// terminal, the JSON and the page never tell the same thing two ways.
namespace vexilo::check {

/// Zone index 110 holds CITYS; the label stands again at 187, which the game
/// never reaches.
inline constexpr std::int32_t kCitys = 110;
inline constexpr std::int32_t kCitysAgain = 187;

/// Why zone index 187 does not matter, as every report says it.
inline constexpr std::string_view kCitysAgainNote =
    "never reached: the game always finds CITYS at zone index 110";

/// The texture a plateback index selects: "plateback1" for 0. Wide enough for
/// every 32-bit index and one either side.
std::string Texture(std::int64_t plate);

/// "1 zone", "2 zones".
std::string Plural(std::size_t count, const char* one, const char* many);

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
