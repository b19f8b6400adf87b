#pragma once

#include <cstddef>

namespace vexilo::testing {

/// How many times operator new has run in this test program so far.
std::size_t AllocationCount();

/// Bytes allocated through operator new and not yet freed.
std::size_t LiveBytes();

/// The most LiveBytes has been since the last ResetPeakBytes.
std::size_t PeakBytes();
void ResetPeakBytes();

}  // namespace vexilo::testing
