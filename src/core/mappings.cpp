#include "core/mappings.hpp"

namespace vexilo {

std::array<std::atomic<std::int32_t>, kZoneCount> plateMappings{};
std::atomic<bool> debugEnabled{false};

void StoreMappings(const std::array<std::int32_t, kZoneCount>& plates) {
  for (std::size_t zone = 0; zone < plates.size(); ++zone)
    plateMappings[zone].store(plates[zone], std::memory_order_relaxed);
}

}  // namespace vexilo
