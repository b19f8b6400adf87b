#pragma once

#include <cstddef>
#include <cstdint>

#include "injector/branch.hpp"

/// Placing a few bytes inside one naturally aligned 8-byte block, so that
/// they can go into host code with a single indivisible store: a thread that
/// runs the code sees the old bytes or the new ones, never a mix.
namespace injector {

inline constexpr std::size_t kBlockSize = 8;

/// True when the size bytes at address all lie in one aligned 8-byte block.
bool fits_one_block(address_t address, std::size_t size);

/// The start of the aligned 8-byte block that holds address.
address_t block_of(address_t address);

/// The block's 8 bytes (read little-endian into a value) with size bytes
/// replaced from offset on; the other bytes stay as they are.
std::uint64_t merge_into_block(std::uint64_t block, std::size_t offset, const std::uint8_t* bytes,
                               std::size_t size);

}  // namespace injector
