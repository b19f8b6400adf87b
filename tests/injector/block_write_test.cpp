#include "injector/block_write.hpp"

#include <gtest/gtest.h>

namespace injector {
namespace {

TEST(BlockWrite, BothHostSitesFitOneBlockAndAStraddlingWriteDoesNot) {
  EXPECT_TRUE(fits_one_block(0x6FD7A0, 5));
  EXPECT_TRUE(fits_one_block(0x53E293, 5));
  EXPECT_TRUE(fits_one_block(0x63E293, 5));
  EXPECT_TRUE(fits_one_block(0x1000, 8));
  EXPECT_FALSE(fits_one_block(0x53E294, 5));
  EXPECT_FALSE(fits_one_block(0x1000, 9));
  EXPECT_EQ(block_of(0x53E293), 0x53E290u);
  EXPECT_EQ(block_of(0x6FD7A0), 0x6FD7A0u);
}

TEST(BlockWrite, MergeReplacesOnlyTheGivenBytesLittleEndian) {
  const std::uint8_t call[5] = {0xE8, 0x01, 0x02, 0x03, 0x04};
  EXPECT_EQ(merge_into_block(0x8877665544332211u, 3, call, 5), 0x04030201E8332211u);
  EXPECT_EQ(merge_into_block(0x8877665544332211u, 0, call, 5), 0x88776604030201E8u);
  EXPECT_EQ(merge_into_block(0x8877665544332211u, 0, call, 0), 0x8877665544332211u);
}

}  // namespace
}  // namespace injector
