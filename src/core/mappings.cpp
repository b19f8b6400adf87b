#include "core/mappings.hpp"

namespace vexilo {

std::array<std::int32_t, kZoneCount> plateMappings{};
bool debugEnabled = false;

std::int32_t MappedPlateback(std::int32_t zoneIndex) {
  if (zoneIndex < 0 || zoneIndex >= kZoneCount) return 0;
  return plateMappings[static_cast<std::size_t>(zoneIndex)];
}

}  // namespace vexilo
