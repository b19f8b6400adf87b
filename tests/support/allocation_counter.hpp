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

/// While it lives, operator new fails (throws std::bad_alloc) rather than
/// take LiveBytes past bytes: memory that runs out, on any machine.
class AllocationLimit {
 public:
  explicit AllocationLimit(std::size_t bytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;
};

}  // namespace vexilo::testing
