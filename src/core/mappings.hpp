#pragma once

#include <array>
#include <cstdint>

#include "core/zones.hpp"

/// The plug-in's shared tables: written once at start-up, only read afterwards.
namespace vexilo {

/// Mapping file path, relative to the host's working folder. Constant data,
/// so it is set before any constructor of the plug-in runs.
inline constexpr char configPath[] = ".\\Vexilo.txt";

/// Plateback index per zone index.
extern std::array<std::int32_t, kZoneCount> plateMappings;

/// Set by a "DEBUG" line; turns the debug overlay on.
extern bool debugEnabled;

/// The plateback index a table maps to a zone index, 0 for no zone (kNoZone)
/// or any other index outside the table.
inline std::int32_t MappedPlateback(const std::array<std::int32_t, kZoneCount>& table, std::int32_t zoneIndex) {
  if (zoneIndex < 0 || zoneIndex >= kZoneCount) return 0;
  return table[static_cast<std::size_t>(zoneIndex)];
}

/// The plateback index mapped to a zone index, 0 for no zone (kNoZone).
inline std::int32_t MappedPlateback(std::int32_t zoneIndex) { return MappedPlateback(plateMappings, zoneIndex); }

}  // namespace vexilo
