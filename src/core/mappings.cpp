#include "core/mappings.hpp"

namespace vexilo {

std::array<std::int32_t, kZoneCount> plateMappings{};
bool debugEnabled = false;

}  // namespace vexilo
