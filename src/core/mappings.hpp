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

/// The plateback index mapped to a zone index, 0 for no zone (kNoZone). Until
/// a reload has published a table this costs one load more than reading
/// plateMappings.
inline std::int32_t MappedPlateback(std::int32_t zoneIndex) {
  if (zoneIndex < 0 || zoneIndex >= kZoneCount) return 0;
  if (publishedMappings.published()) return publishedMappings.Plateback(zoneIndex);
  return plateMappings[static_cast<std::size_t>(zoneIndex)];
}

}  // namespace vexilo
