#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "mapping/zones.hpp"

/// The plug-in's shared tables: filled at start-up; with DEBUG on, refilled
/// by reloads of the mapping file while the host runs.
namespace vexilo {

/// Mapping file path, relative to the host's working folder. Constant data,
/// so it is set before any constructor of the plug-in runs.
inline constexpr char configPath[] = ".\\Vexilo.txt";

/// The one table plate requests read: a plateback index per zone index.
/// Start-up fills it before the jump exists; a reload parses the file into a
/// table of its own and then stores it here entry by entry. A plate request
/// reads one entry, so it gets its zone's old plateback or its new one.
extern std::array<std::atomic<std::int32_t>, kZoneCount> plateMappings;

/// Set by a "DEBUG" line; turns the debug overlay and live edits on. After
/// start-up only the frame thread writes it, when a reload finds no DEBUG.
extern std::atomic<bool> debugEnabled;

/// Stores every entry of plates into plateMappings.
void StoreMappings(const std::array<std::int32_t, kZoneCount>& plates);

/// Whether an index names an entry of a mapping table; kNoZone does not.
inline bool IsTableIndex(std::int32_t zoneIndex) {
  return zoneIndex >= 0 && zoneIndex < kZoneCount;
}

/// The plateback index mapped to a zone index, 0 for no zone (kNoZone) or
/// any other index outside the table. One plain load on x86.
inline std::int32_t MappedPlateback(std::int32_t zoneIndex) {
  if (!IsTableIndex(zoneIndex)) return 0;
  return plateMappings[static_cast<std::size_t>(zoneIndex)].load(std::memory_order_relaxed);
}

}  // namespace vexilo
