#include "events/host_version.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "host_image.hpp"
#include "host_memory.hpp"

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace events {
namespace {

using vexilo::standin::BuildHostImage;
using vexilo::standin::HostBuild;
using vexilo::standin::Relocated;

constexpr std::uint32_t kProbeAddresses[] = {0x401000, 0x8245BC, 0x8252FC,
                                             0x82533C, 0x858D51, 0x858C61};

TEST(HostVersion, EachProbeNamesItsBuild) {
  const std::pair<HostBuild, std::int32_t> builds[] = {
      {HostBuild::V1001, 1001}, {HostBuild::V1002, 1002}, {HostBuild::V1011, 1011},
      {HostBuild::V1101, 1101}, {HostBuild::V1111, 1111}, {HostBuild::V3200, 3200},
      {HostBuild::V3210, 3210}, {HostBuild::Unknown, 0}};
  for (const auto& [build, id] : builds) {
    BuildHostImage(build);
    EXPECT_EQ(DetectHostVersion(), id);
  }
  BuildHostImage(HostBuild::V1001);
}

TEST(HostVersion, TheFirstMatchingProbeWins) {
  BuildHostImage(HostBuild::V1011);
  vexilo::standin::PokeHost(Relocated(0x8252FC), {0xBF, 0x94, 0x00, 0x00});
  vexilo::standin::PokeHost(Relocated(0x82533C), {0xBF, 0x94, 0x00, 0x00});
  EXPECT_EQ(DetectHostVersion(), 1011);
  vexilo::standin::PokeHost(Relocated(0x401000), {0x55, 0x8B, 0xEC, 0x53});
  vexilo::standin::PokeHost(Relocated(0x858C61), {0x33, 0xF6, 0x39, 0x35});
  EXPECT_EQ(DetectHostVersion(), 1001);
  BuildHostImage(HostBuild::V1001);
}

TEST(HostVersion, ProbesWriteNothingAndLeaveEveryProtectionAsItWas) {
  BuildHostImage(HostBuild::V3210);
  std::vector<std::pair<std::array<std::uint8_t, 5>, std::string>> before;
  for (std::uint32_t probe : kProbeAddresses) {
    before.emplace_back(vexilo::standin::HostBytes(Relocated(probe)),
                        vexilo::standin::DescribeProtection(Relocated(probe)));
  }
  EXPECT_EQ(DetectHostVersion(), 3210);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(vexilo::standin::HostBytes(Relocated(kProbeAddresses[i])), before[i].first);
    EXPECT_EQ(vexilo::standin::DescribeProtection(Relocated(kProbeAddresses[i])), before[i].second);
    EXPECT_EQ(before[i].second, "r-x");
  }
  BuildHostImage(HostBuild::V1001);
}

#ifndef _WIN32
TEST(HostVersion, AProbeAddressThatIsNotMappedDoesNotMatch) {
  BuildHostImage(HostBuild::V3210);
  void* page = reinterpret_cast<void*>(std::uintptr_t{0x858000});
  ASSERT_EQ(munmap(page, 0x1000), 0);
  EXPECT_EQ(DetectHostVersion(), 0);
  ASSERT_EQ(
      mmap(page, 0x1000, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0),
      page);
  BuildHostImage(HostBuild::V1001);
}
#endif

TEST(HostAddress, MovesWithTheHostsBase) {
  EXPECT_EQ(RelocateAddress(0x400000, 0x53E293), 0x53E293u);
  EXPECT_EQ(RelocateAddress(0x500000, 0x53E293), 0x63E293u);
  EXPECT_EQ(RelocateAddress(0x500000, 0x401000), 0x501000u);
  EXPECT_EQ(RelocateAddress(0x300000, 0x53E293), 0x43E293u);
  EXPECT_EQ(GetHostBase(), vexilo::standin::HostBase());
  EXPECT_EQ(RelocateHostAddress(0x53E293), vexilo::standin::FrameCallSite());
}

TEST(HostVersionCache, AnUnknownBuildIsProbedOnceAndRemembered) {
  BuildHostImage(HostBuild::Unknown);
  EXPECT_EQ(GetHostVersion(), 0);
  BuildHostImage(HostBuild::V1001);
  EXPECT_EQ(DetectHostVersion(), 1001);
  EXPECT_EQ(GetHostVersion(), 0);
}

}  // namespace
}  // namespace events
