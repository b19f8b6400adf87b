#pragma once

#include <cstdio>

namespace vexilo::check {

/// True when out is a terminal that shows ANSI colours (switched on where the
/// console needs it) and NO_COLOR is not set.
bool WantsColour(std::FILE* out);

}  // namespace vexilo::check
