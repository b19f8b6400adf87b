#include "injector/block_write.hpp"

namespace injector {

bool fits_one_block(address_t address, std::size_t size) {
  return size <= kBlockSize && address % kBlockSize + size <= kBlockSize;
}

address_t block_of(address_t address) { return address & ~static_cast<address_t>(kBlockSize - 1); }

std::uint64_t merge_into_block(std::uint64_t block, std::size_t offset, const std::uint8_t* bytes,
                               std::size_t size) {
  for (std::size_t i = 0; i < size && offset + i < kBlockSize; ++i) {
    const unsigned shift = static_cast<unsigned>((offset + i) * 8);
    block = (block & ~(std::uint64_t{0xFF} << shift)) | std::uint64_t{bytes[i]} << shift;
  }
  return block;
}

}  // namespace injector
