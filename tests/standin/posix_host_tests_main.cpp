// Tests that need the host's address range in their own process.
#include <gtest/gtest.h>

#include "host_image.hpp"
#include "host_memory.hpp"

int main(int argc, char** argv) {
  if (!vexilo::standin::MapHostMemory()) return 3;
  vexilo::standin::BuildHostImage(vexilo::standin::HostBuild::V1001);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
