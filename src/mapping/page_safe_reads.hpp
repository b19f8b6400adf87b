#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

/// The bytes around the ones a caller asked for are read on purpose; the
/// address checker would object all the same, so it is told not to look.
#if defined(_MSC_VER)
#define VEXILO_NO_ADDRESS_CHECK __declspec(no_sanitize_address)
#else
#define VEXILO_NO_ADDRESS_CHECK __attribute__((no_sanitize_address))
#endif

/// Reads that may take bytes around the ones asked for, but never from a
/// page those do not touch: x86 pages are 4 KB or larger and start on a
/// 16-byte boundary, so an aligned 16-byte block lies within one page.
namespace vexilo::page_safe {

inline constexpr std::uintptr_t kBlockSize = 16;

/// The start of the aligned block that holds p.
inline const char* BlockOf(const char* p) {
  return reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) & ~(kBlockSize - 1));
}

/// One bit per byte of the aligned block at block, set where the byte is c.
VEXILO_NO_ADDRESS_CHECK inline std::uint32_t BytesEqualTo(const char* block, char c) {
  const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

/// Clears the bits of a block's mask that stand for bytes outside [begin, end).
inline std::uint32_t WithinRange(std::uint32_t mask, const char* block, const char* begin,
                                 const char* end) {
  if (begin > block) mask &= ~0u << (begin - block);
  if (end - block < static_cast<std::ptrdiff_t>(kBlockSize)) mask &= (1u << (end - block)) - 1;
  return mask;
}

/// The position of the lowest set bit; mask must not be 0.
inline unsigned LowestBit(std::uint32_t mask) {
#if defined(_MSC_VER)
  unsigned long index;
  _BitScanForward(&index, mask);
  return static_cast<unsigned>(index);
#else
  return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

/// Calls found(p) for every byte c in [begin, end), in order.
template <typename Found>
void ForEachByte(const char* begin, const char* end, char c, Found found) {
  for (const char* block = BlockOf(begin); block < end; block += kBlockSize) {
    for (std::uint32_t mask = WithinRange(BytesEqualTo(block, c), block, begin, end); mask != 0;
         mask &= mask - 1) {
      found(block + LowestBit(mask));
    }
  }
}

}  // namespace vexilo::page_safe
