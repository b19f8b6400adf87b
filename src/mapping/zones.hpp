#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <string_view>

#if defined(_MSC_VER)
#define VEXILO_NO_ADDRESS_CHECK __declspec(no_sanitize_address)
#else
#define VEXILO_NO_ADDRESS_CHECK __attribute__((no_sanitize_address))
#endif

namespace vexilo {

/// Number of zone labels the plug-in knows; zone indices run 0 to 376.
inline constexpr std::int32_t kZoneCount = 377;
/// What FindZoneIndex gives for a label that is not in the table.
inline constexpr std::int32_t kNoZone = kZoneCount;

/// The host's zone labels; a label's position is its zone index.
/// "CITYS" stands twice (110 and 187); lookups always find 110.
extern const char* const (&zoneNames)[kZoneCount];

/// The lookup's parts, inline so that a caller pays no call for it.
namespace zone_lookup {

/// A label as two 32-bit words: its bytes up to the NUL or the field's 8
/// bytes, little-endian, zero after the label. Equal labels, equal keys.
struct LabelKey {
  std::uint32_t low;
  std::uint32_t high;
};

/// A perfect hash of the distinct labels into 4096 slots, in 32-bit
/// arithmetic (a 64-bit multiply costs a 32-bit target three).
inline constexpr std::uint32_t kSlotBits = 12;
inline constexpr std::uint32_t kSlots = 1u << kSlotBits;
constexpr std::uint32_t SlotOf(LabelKey key) {
  return ((key.low + key.high * 0x200D1711u) * 0xF8F6F4B9u) >> (32 - kSlotBits);
}

/// The label keys by zone, and the zone per slot. An empty slot holds zone
/// 0, whose own key hashes elsewhere, so a label landing there never matches.
struct ZoneHash {
  LabelKey keys[kZoneCount];
  std::uint16_t zoneAt[kSlots];
  bool perfect;
};

/// Built by the compiler from zoneNames.
extern const ZoneHash zoneHash;

/// The zone whose key this is, or kNoZone.
inline std::int32_t ZoneOfKey(LabelKey key) {
  const std::uint16_t zone = zoneHash.zoneAt[SlotOf(key)];
  const LabelKey& candidate = zoneHash.keys[zone];
  return candidate.low == key.low && candidate.high == key.high ? zone : kNoZone;
}

/// The key from one 8-byte read at a label's address. Bytes past the NUL
/// are read, so the caller must know that all eight share the label's page;
/// the address checker would object to them all the same, so it is told not
/// to look, and GCC, inlining it for a short string constant, not to warn.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
VEXILO_NO_ADDRESS_CHECK inline LabelKey KeyOfField(const char* label) {
  const __m128i field = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(label));
  // z - 1, z holding 0xFF in each zero byte, keeps the bytes below the
  // lowest zero byte and clears it and every byte above that is not zero.
  const __m128i zeros = _mm_cmpeq_epi8(field, _mm_setzero_si128());
  const __m128i key = _mm_and_si128(field, _mm_add_epi64(zeros, _mm_set1_epi32(-1)));
  return {static_cast<std::uint32_t>(_mm_cvtsi128_si32(key)),
          static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_shuffle_epi32(key, 1)))};
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

/// FindZoneIndex for a label read a byte at a time.
std::int32_t ZoneOfLabelBytes(const char* label);

}  // namespace zone_lookup

/// Position of the first entry of zoneNames equal to label (case-sensitive),
/// or kNoZone. Reads at most 8 bytes of label, so a host label field without
/// a terminating NUL is safe, and none past its NUL on another page.
inline std::int32_t FindZoneIndex(const char* label) {
  // x86 pages are 4 KB or larger: eight bytes from label share its page
  // unless it starts in the last seven bytes of a 4 KB block (the test also
  // takes a block's first byte, which is merely slower).
  if (((reinterpret_cast<std::uintptr_t>(label) + 7) & 0xFF8) == 0)
    return zone_lookup::ZoneOfLabelBytes(label);
  return zone_lookup::ZoneOfKey(zone_lookup::KeyOfField(label));
}

/// The zone a mapping line's field names by its label: the whole field, its
/// blanks (space, tab) taken off both ends, in any case ("jef2" is 63,
/// "CITYS" 110). kNoZone for anything else: "#JEF2", "JEF2x", "Los Santos".
std::int32_t ZoneOfLabelField(std::string_view field);

}  // namespace vexilo
