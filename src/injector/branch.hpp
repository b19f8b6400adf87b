#pragma once

#include <array>
#include <cstdint>

/// x86 branch encodings as pure byte work, testable on a plain array.
namespace injector {

using address_t = std::uint32_t;

inline constexpr std::uint8_t kCallRel32 = 0xE8;
inline constexpr std::uint8_t kJmpRel32 = 0xE9;
inline constexpr std::uint8_t kIndirectPrefix = 0xFF;
inline constexpr std::uint8_t kCallThroughSlot = 0x15;  // FF 15: call [slot]
inline constexpr std::uint8_t kJumpThroughSlot = 0x25;  // FF 25: jmp [slot]

/// A 5-byte relative jump or call.
using rel32_instruction = std::array<std::uint8_t, 5>;

/// The bytes of a relative branch at `at` towards `destination` (mod 2^32).
rel32_instruction encode_rel32(std::uint8_t opcode, address_t at, address_t destination);

/// Where a relative branch at `at` with displacement `rel32` goes (mod 2^32).
address_t rel32_destination(address_t at, std::int32_t rel32);

/// Reads a little-endian 32-bit value from 4 bytes.
std::uint32_t load_le32(const std::uint8_t* bytes);

}  // namespace injector
