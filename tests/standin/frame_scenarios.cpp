// Frames with the plug-in in place: the debug line drawn through the host's
// font routines, and frames among plate requests from other threads.
#include <atomic>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

using testing::WriteFileBytes;

struct ExpectedCall {
  std::uint32_t routine;
  std::uint32_t first;
  std::uint32_t second;
};

// The 13 calls that print one debug line, for a line at (position, position)
// with the given scale and right edge.
std::vector<ExpectedCall> DebugLineCalls(float position, float scale, float rightEdge) {
  namespace h = host;
  return {
      {h::kFontSetProportional, 1, 0},
      {h::kFontSetScale, Bits(scale * 0.8f), Bits(scale * 1.6f)},
      {h::kFontSetColor, 0xFFFFFFFFu, 0},
      {h::kFontSetWrapx, Bits(255.0f), 0},
      {h::kFontSetDropShadow, 0, 0},
      {h::kFontSetDropColor, 0xFF000000u, 0},
      {h::kFontSetOutline, 1, 0},
      {h::kFontSetRightJustifyWrap, Bits(rightEdge), 0},
      {h::kFontSetBackground, 1, 0},
      {h::kFontSetBackgroundColor, 0, 0},
      {h::kFontSetCentre, 0, 0},
      {h::kFontSetStyle, 1, 0},
      {h::kFontPrintText, Bits(position), Bits(position)},
  };
}

void CheckFontCalls(Checks& checks, const std::vector<ExpectedCall>& expected,
                    const std::string& text) {
  const FontCallLog& log = FontCalls();
  STANDIN_CHECK_EQ(log.count, static_cast<std::int32_t>(expected.size()));
  for (std::size_t i = 0; i < expected.size() && static_cast<int>(i) < log.count; ++i) {
    STANDIN_CHECK_EQ(log.calls[i].routine, expected[i].routine);
    STANDIN_CHECK_EQ(log.calls[i].args[0], expected[i].first);
    STANDIN_CHECK_EQ(log.calls[i].args[1], expected[i].second);
  }
  if (log.count == static_cast<int>(expected.size()))
    STANDIN_CHECK_EQ(std::string(log.calls[12].text), text);
}

void DrawsTheDebugLineEveryFrame(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  PluginLibrary plugin(context.settings.plugin);
  for (int frame = 0; frame < 2; ++frame) {
    StandIn(Player::WithMatrix, "JEF2");
    ClearFontCalls();
    STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
    CheckFontCalls(
        checks, DebugLineCalls(20.0f, 1.0f, 10019.0f),
        "Zone: JEF2, Index: 63, Mapped Index: 0 => Selection from vehicle.txd: plateback1");
  }
  STANDIN_CHECK_EQ(
      FrameLine(Player::WithoutMatrix, "LA"),
      std::string("Zone: LA, Index: 0, Mapped Index: 1 => Selection from vehicle.txd: plateback2"));
  STANDIN_CHECK_EQ(
      FrameLine(Player::WithMatrix, "XYZ"),
      std::string(
          "Zone: XYZ, Index: 377, Mapped Index: 0 => Selection from vehicle.txd: plateback1"));
  STANDIN_CHECK_EQ(
      FrameLine(Player::WithMatrix, "CITYS"),
      std::string(
          "Zone: CITYS, Index: 110, Mapped Index: 1 => Selection from vehicle.txd: plateback2"));
  STANDIN_CHECK_EQ(
      FrameLine(Player::WithMatrix, "FRED"),
      std::string(
          "Zone: FRED, Index: 376, Mapped Index: 10 => Selection from vehicle.txd: plateback11"));
  STANDIN_CHECK_EQ(FrameLine(Player::None, "LA"), std::string());
  StandIn(Player::WithMatrix, "LA");
  LoseZone();
  ClearFontCalls();
  RunFrame();
  STANDIN_CHECK_EQ(FontCalls().count, 0);
}

void LaysTheLineOutByTheShorterSideOfTheScreen(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n");
  struct Screen {
    std::int32_t width, height;
    float position, rightEdge;
  };
  const Screen screens[] = {{1920, 1080, 20, 10019},
                            {1024, 768, 14, 7124},
                            {640, 480, 8, 4452},
                            {1080, 1920, 20, 10019},
                            {0, 0, 0, 0}};
  for (const Screen& screen : screens) {
    BuildHostImage(HostBuild::V1001, screen.width, screen.height);
    PluginLibrary plugin(context.settings.plugin);
    StandIn(Player::WithMatrix, "SF");
    ClearFontCalls();
    RunFrame();
    const float shorter =
        static_cast<float>(screen.width < screen.height ? screen.width : screen.height);
    CheckFontCalls(
        checks, DebugLineCalls(screen.position, shorter / 1080.0f, screen.rightEdge),
        "Zone: SF, Index: 162, Mapped Index: 0 => Selection from vehicle.txd: plateback1");
  }
}

void EachFrameFormatsIntoTheNextOfTenBuffers(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=-1\n");
  PluginLibrary plugin(context.settings.plugin);
  std::vector<const char*> texts;
  for (int frame = 0; frame < 12; ++frame) {
    // A frame without a player formats nothing, so the ring does not move.
    StandIn(frame == 1 ? Player::None : Player::WithMatrix, "LA");
    ClearFontCalls();
    RunFrame();
    if (FontCalls().count == 13) texts.push_back(FontCalls().calls[12].textPointer);
    if (frame == 0) {
      STANDIN_CHECK_EQ(
          std::string(FontCalls().calls[12].text),
          std::string(
              "Zone: LA, Index: 0, Mapped Index: -1 => Selection from vehicle.txd: plateback0"));
    }
  }
  STANDIN_CHECK_EQ(static_cast<std::int32_t>(texts.size()), 11);
  if (texts.size() != 11) return;
  for (std::size_t i = 1; i < 10; ++i)
    STANDIN_CHECK(texts[i] != texts[0] && texts[i] != texts[i - 1]);
  STANDIN_CHECK_EQ(static_cast<const void*>(texts[10]), static_cast<const void*>(texts[0]));
}

void WithoutDebugAFrameOnlyAsksForThePlayer(Context& context) {
  Checks& checks = context.checks;
  PluginLibrary plugin(context.settings.plugin);
  StandIn(Player::WithMatrix, "LA");
  ClearFontCalls();
  ClearFrameCalleeCalls();
  for (int frame = 0; frame < 3; ++frame) STANDIN_CHECK_EQ(RunFrame(), kFrameCalleeResult);
  STANDIN_CHECK_EQ(CallLog().findPlayer, 3);
  STANDIN_CHECK_EQ(CallLog().findZone, 0);
  STANDIN_CHECK_EQ(FontCalls().count, 0);
  STANDIN_CHECK_EQ(FrameCalleeCalls(), 3);
}

void PlateRequestsFromFourThreadsWhileFramesRun(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", DefaultFileWithDebug(context));
  PluginLibrary plugin(context.settings.plugin);
  StandIn(Player::WithMatrix, "SF");
  std::atomic<int> wrong{0};
  std::vector<std::thread> requesters;
  for (int t = 0; t < 4; ++t) {
    requesters.emplace_back([&wrong] {
      for (int i = 0; i < 20000; ++i) {
        if (RequestPlate() != 3) ++wrong;
      }
    });
  }
  int wrongFrames = 0;
  for (int frame = 0; frame < 2000; ++frame) {
    ClearFontCalls();
    if (RunFrame() != kFrameCalleeResult || FontCalls().count != 13 ||
        std::string(FontCalls().calls[12].text) !=
            "Zone: SF, Index: 162, Mapped Index: 3 => Selection from vehicle.txd: plateback4") {
      ++wrongFrames;
    }
  }
  for (std::thread& requester : requesters) requester.join();
  STANDIN_CHECK_EQ(wrong.load(), 0);
  STANDIN_CHECK_EQ(wrongFrames, 0);
}

constexpr Scenario kFrameScenarios[] = {
    {"DrawsTheDebugLineEveryFrame", DrawsTheDebugLineEveryFrame},
    {"LaysTheLineOutByTheShorterSideOfTheScreen", LaysTheLineOutByTheShorterSideOfTheScreen},
    {"EachFrameFormatsIntoTheNextOfTenBuffers", EachFrameFormatsIntoTheNextOfTenBuffers},
    {"WithoutDebugAFrameOnlyAsksForThePlayer", WithoutDebugAFrameOnlyAsksForThePlayer},
    {"PlateRequestsFromFourThreadsWhileFramesRun", PlateRequestsFromFourThreadsWhileFramesRun},
};

}  // namespace

const Scenario* FrameScenariosBegin() { return std::begin(kFrameScenarios); }
const Scenario* FrameScenariosEnd() { return std::end(kFrameScenarios); }

}  // namespace vexilo::standin
