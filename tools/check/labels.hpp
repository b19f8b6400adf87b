#pragma once

#include <cstdint>
#include <string_view>

/// Zone labels as a player writes them, near misses included, for the
/// checker's explanations. The game's own reading of a label field is the
/// format's (ZoneOfLabelField); these only say what a player may have meant.
namespace vexilo::check {

/// The zone whose label text is, in any case, blanks at either end left
/// out; kNoZone when it is none.
std::int32_t ZoneOfLabel(std::string_view text);

/// The label a mistyped one means: the only label within two edits of it,
/// or the closest when one is closer than all others, or the one label it
/// starts (in any case). kNoZone when there is no single such label.
std::int32_t NearestLabel(std::string_view text);

}  // namespace vexilo::check
