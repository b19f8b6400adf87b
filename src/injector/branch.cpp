#include "injector/branch.hpp"

namespace injector {

rel32_instruction encode_rel32(std::uint8_t opcode, address_t at, address_t destination) {
  const address_t displacement = destination - at - 5;
  return {
      opcode, static_cast<std::uint8_t>(displacement), static_cast<std::uint8_t>(displacement >> 8),
      static_cast<std::uint8_t>(displacement >> 16), static_cast<std::uint8_t>(displacement >> 24)};
}

address_t rel32_destination(address_t at, std::int32_t rel32) {
  return at + 5 + static_cast<address_t>(rel32);
}

std::uint32_t load_le32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace injector
