#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The words that every report of the checker and the check itself share,
/// so that no two of them say the same thing two ways.
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

/// "a", "a and b", "a, b and c"; or with other joints, "a; b; c".
std::string Listed(const std::vector<std::string>& items, std::string_view joint = ", ",
                   std::string_view lastJoint = " and ");

}  // namespace vexilo::check
