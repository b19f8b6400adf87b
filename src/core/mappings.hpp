#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "core/published_tables.hpp"
#include "core/zones.hpp"

/// The plug-in's shared tables: filled at start-up; with DEBUG on, replaced
/// by reloads of the mapping file while the host runs.
namespace vexilo {

/// Mapping file path, relative to the host's working folder. Constant data,
/// so it is set before any constructor of the plug-in runs.
inline constexpr char configPath[] = ".\\Vexilo.txt";

/// Plateback index per zone index, as start-up read it. Never written once
/// the host can ask for plates; the table in use until a reload publishes one.
extern std::array<std::int32_t, kZoneCount> plateMappings;

/// The tables that reloads publish (see LiveEdits).
extern PublishedTables publishedMappings;

/// Set by a "DEBUG" line; turns the debug overlay and live edits on. After
/// start-up only the frame thread writes it, when a reload finds no DEBUG.
extern std::atomic<bool> debugEnabled;

/// Whether an index names an entry of a mapping table; kNoZone does not.
inline bool IsTableIndex(std::int32_t zoneIndex) {
  return zoneIndex >= 0 && zoneIndex < kZoneCount;
}

/// The plateback index a table maps to a zone index, 0 for no zone (kNoZone)
/// or any other index outside the table.
inline std::int32_t MappedPlateback(const std::array<std::int32_t, kZoneCount>& table,
                                    std::int32_t zoneIndex) {
  return IsTableIndex(zoneIndex) ? table[static_cast<std::size_t>(zoneIndex)] : 0;
}

/// The plateback index mapped to a zone index, 0 for no zone (kNoZone). Until
/// a reload has published a table this costs one load more than reading
/// plateMappings.
inline std::int32_t MappedPlateback(std::int32_t zoneIndex) {
  if (!publishedMappings.published()) return MappedPlateback(plateMappings, zoneIndex);
  return IsTableIndex(zoneIndex) ? publishedMappings.Plateback(zoneIndex) : 0;
}

}  // namespace vexilo
