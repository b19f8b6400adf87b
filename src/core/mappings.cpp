#include "core/mappings.hpp"

namespace vexilo {

std::array<std::int32_t, kZoneCount> plateMappings{};
PublishedTables publishedMappings;
std::atomic<bool> debugEnabled{false};

}  // namespace vexilo
