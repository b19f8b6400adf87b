#pragma once

#include <cstdint>

namespace vexilo {

/// Number of zone labels the plug-in knows; zone indices run 0 to 376.
inline constexpr std::int32_t kZoneCount = 377;
/// What FindZoneIndex gives for a label that is not in the table.
inline constexpr std::int32_t kNoZone = kZoneCount;

/// The host's zone labels; a label's position is its zone index.
/// "CITYS" stands twice (110 and 187); lookups always find 110.
extern const char* const (&zoneNames)[kZoneCount];

/// Position of the first entry of zoneNames equal to label (case-sensitive),
/// or kNoZone. Reads at most 8 bytes of label, so a host label field without
/// a terminating NUL is safe.
std::int32_t FindZoneIndex(const char* label);

}  // namespace vexilo
