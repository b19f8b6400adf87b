// Replaces the global allocation functions of the test program to count
// allocations and follow the bytes in use.
#include "allocation_counter.hpp"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> limit{0};  // 0: none

// Each block carries its size in front, so that delete knows what it frees.
constexpr std::size_t kHeader = 16;

void RaisePeak(std::size_t now) {
  std::size_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
  }
}

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  const std::size_t most = limit.load(std::memory_order_relaxed);
  if (most != 0 && size > most - std::min(most, live.load(std::memory_order_relaxed)))
    throw std::bad_alloc();
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  RaisePeak(live.fetch_add(size, std::memory_order_relaxed) + size);
  return block + kHeader;
}

void operator delete(void* memory) noexcept {
  if (memory == nullptr) return;
  auto* block = static_cast<unsigned char*>(memory) - kHeader;
  live.fetch_sub(*reinterpret_cast<std::size_t*>(block), std::memory_order_relaxed);
  std::free(block);
}

void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }

// Every other form goes through the two above, so that a sanitizer's own
// versions never free a block counted here, or the other way round.
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
  return operator new(size, nothrow);
}
void operator delete[](void* memory) noexcept { operator delete(memory); }
void operator delete[](void* memory, std::size_t) noexcept { operator delete(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { operator delete(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { operator delete(memory); }

namespace vexilo::testing {

std::size_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }
std::size_t LiveBytes() { return live.load(std::memory_order_relaxed); }
std::size_t PeakBytes() { return peak.load(std::memory_order_relaxed); }
AllocationLimit::AllocationLimit(std::size_t bytes) { limit = bytes; }
AllocationLimit::~AllocationLimit() { limit = 0; }

void ResetPeakBytes() {
  peak.store(live.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

}  // namespace vexilo::testing
