// Tests that need the host's address range in their own process, run by the
// Windows stand-in host executable.
#include <gtest/gtest.h>

#include "host_area.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"

extern "C" __declspec(dllexport) int VexiloStandinMain(int argc, char** argv,
                                                       const vexilo::standin::HostArea* area) {
  vexilo::standin::SetHostArea(*area);
  if (!vexilo::standin::MapHostMemory()) return 3;
  vexilo::standin::BuildHostImage(vexilo::standin::HostBuild::V1001);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
