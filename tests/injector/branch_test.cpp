#include "injector/branch.hpp"

#include <gtest/gtest.h>

namespace injector {
namespace {

TEST(Rel32, JumpBackwardsEncodesANegativeDisplacement) {
  EXPECT_EQ(encode_rel32(kJmpRel32, 0x6FD7A0, 0x6FD000),
            (rel32_instruction{0xE9, 0x5B, 0xF8, 0xFF, 0xFF}));
}

TEST(Rel32, CallToTheNextInstructionHasDisplacementZero) {
  EXPECT_EQ(encode_rel32(kCallRel32, 0x1000, 0x1005), (rel32_instruction{0xE8, 0, 0, 0, 0}));
}

TEST(Rel32, AddressArithmeticWrapsAround4GiB) {
  const rel32_instruction bytes = encode_rel32(kJmpRel32, 0xFFFFFFF0u, 0x10);
  EXPECT_EQ(bytes, (rel32_instruction{0xE9, 0x1B, 0, 0, 0}));
  EXPECT_EQ(rel32_destination(0xFFFFFFF0u, 0x1B), 0x10u);
  EXPECT_EQ(rel32_destination(0x10, -0x20), 0xFFFFFFF5u);
}

TEST(Rel32, DecodesWhatItEncodes) {
  for (address_t at : {0x400000u, 0x6FD7A0u, 0x7FFFFFF0u}) {
    for (address_t to : {0x10u, 0x53E293u, 0xF7001234u}) {
      const rel32_instruction bytes = encode_rel32(kCallRel32, at, to);
      EXPECT_EQ(rel32_destination(at, static_cast<std::int32_t>(load_le32(&bytes[1]))), to);
    }
  }
}

}  // namespace
}  // namespace injector
