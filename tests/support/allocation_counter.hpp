#pragma once

#include <cstddef>

namespace vexilo::testing {

/// How many times operator new has run in this test program so far.
std::size_t AllocationCount();

}  // namespace vexilo::testing
