#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "allocation_counter.hpp"
#include "core/mappings.hpp"
#include "core/overlay.hpp"
#include "core/selection.hpp"
#include "fake_host.hpp"
#include "frame_event.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/hooking.hpp"

namespace vexilo {
namespace {

std::array<std::int32_t, kZoneCount> Filled(std::int32_t plate) {
  std::array<std::int32_t, kZoneCount> plates{};
  plates.fill(plate);
  return plates;
}

using Event = standin::StandinFrameEvent<3>;
using Hooker = standin::StandinHooker<3>;

// The plug-in's two hot paths, driven as the host drives them: a frame
// through the hooked call site with the overlay on, and a plate request
// through the jump.
TEST(HotPaths, FramesAndPlateRequestsAllocateNothing) {
  standin::BuildHostImage(standin::HostBuild::V1001);
  StoreMappings(Filled(4));
  debugEnabled = true;
  {
    Event event;
    event.Subscribe(event.postCallSubscribers, [] { DrawDebugOverlay(); });
    injector::write_jump(
        host::kPlateDesignRoutine,
        static_cast<injector::address_t>(reinterpret_cast<std::uintptr_t>(&SelectPlateback)));
    standin::StandIn(standin::Player::WithMatrix, "JEF2");
    const std::size_t before = testing::AllocationCount();
    std::int32_t plates = 0;
    for (int i = 0; i < 1000; ++i) {
      standin::ClearFontCalls();
      standin::RunFrame();
      plates += standin::RequestPlate();
    }
    const std::size_t allocations = testing::AllocationCount() - before;
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(plates, 4000);
    EXPECT_EQ(standin::FontCalls().count, 13);
    EXPECT_STREQ(
        standin::FontCalls().calls[12].text,
        "Zone: JEF2, Index: 63, Mapped Index: 4 => Selection from vehicle.txd: plateback5");
    injector::kept_hookers<Hooker>().clear();
  }
  debugEnabled = false;
  StoreMappings(Filled(0));
  standin::BuildHostImage(standin::HostBuild::V1001);
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Garbage screen sizes: every value from 2^23 on is whole already, and must
// reach the host as it is instead of through an overflowing integer.
TEST(Overlay, AHugeScreenSizeIsLaidOutWithoutOverflow) {
  StoreMappings(Filled(0));
  debugEnabled = true;
  standin::StandIn(standin::Player::WithMatrix, "SF");
  for (const std::int32_t size : {INT32_MAX, INT32_MIN}) {
    standin::BuildHostImage(standin::HostBuild::V1001, size, size);
    standin::ClearFontCalls();
    DrawDebugOverlay();
    const float shorter = static_cast<float>(size);
    const float position = shorter * 20.0f / 1080.0f;
    const float width = shorter * 9999.0f / 1080.0f;
    const standin::FontCallLog& log = standin::FontCalls();
    ASSERT_EQ(log.count, 13);
    EXPECT_EQ(log.calls[7].routine, host::kFontSetRightJustifyWrap);
    EXPECT_EQ(log.calls[7].args[0], Bits(position + width)) << size;
    EXPECT_EQ(log.calls[12].args[0], Bits(position)) << size;
    EXPECT_EQ(log.calls[12].args[1], Bits(position)) << size;
  }
  debugEnabled = false;
  standin::BuildHostImage(standin::HostBuild::V1001);
}

}  // namespace
}  // namespace vexilo
