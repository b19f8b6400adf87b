// Live edits end to end: the real plug-in in the stand-in host, the file
// saved between frames, and frames run in real time, since the plug-in
// follows the file by the platform's own clock. The many-reload cases are in
// the host tests, on a clock of their own.
#include "reload_scenarios.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "checks.hpp"
#include "fake_host.hpp"
#include "file_faults.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "plugin_library.hpp"
#include "scenario_support.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::WriteFileBytes;

constexpr char kUnreadableNotice[] = "Vexilo.txt could not be read; the previous mappings stay";

// What the host was asked to print on one frame.
struct Frame {
  int fontCalls = 0;
  std::string line;           // the debug line
  std::string notice;         // the line under it
  std::uint32_t noticeY = 0;  // its y, as raw float bits
};

Frame OneFrame(const std::string& label) {
  StandIn(Player::WithMatrix, label);
  ClearFontCalls();
  RunFrame();
  Frame frame;
  const FontCallLog& log = FontCalls();
  frame.fontCalls = log.count;
  for (int i = 0, printed = 0; i < log.count; ++i) {
    if (log.calls[i].routine != host::kFontPrintText) continue;
    if (printed++ == 0) {
      frame.line = log.calls[i].text;
    } else {
      frame.notice = log.calls[i].text;
      frame.noticeY = log.calls[i].args[1];
    }
  }
  return frame;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs frames with the player in label, about a hundred a second, until done
// says so of a frame or the time is up; returns the last frame.
template <typename Done>
Frame FramesUntil(const std::string& label, double seconds, Done done) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    const Frame frame = OneFrame(label);
    if (done(frame) || SecondsSince(start) > seconds) return frame;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

const char kLine4[] =
    "Zone: LA, Index: 0, Mapped Index: 4 => Selection from vehicle.txd: plateback5";
const char kLine6[] =
    "Zone: LA, Index: 0, Mapped Index: 6 => Selection from vehicle.txd: plateback7";

void AnEditWhileDebugIsOnChangesLaterPlatesAndIsTold(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=4\n");
  PluginLibrary plugin(context.settings.plugin);
  STANDIN_CHECK_EQ(PlateIn("LA"), 4);
  STANDIN_CHECK_EQ(OneFrame("LA").fontCalls, 13);
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=6\n63=2\n");
  const Clock::time_point saved = Clock::now();
  const Frame told =
      FramesUntil("LA", 5.0, [](const Frame& frame) { return !frame.notice.empty(); });
  const double seconds = SecondsSince(saved);
  std::printf("    the edit was taken after %.2f s\n", seconds);
  STANDIN_CHECK(seconds < 3.0);
  STANDIN_CHECK_EQ(told.notice, std::string("Vexilo.txt reloaded: 2 mappings"));
  STANDIN_CHECK_EQ(told.line, std::string(kLine6));
  STANDIN_CHECK_EQ(told.fontCalls, 26);
  STANDIN_CHECK_EQ(told.noticeY, Bits(60.0f));
  STANDIN_CHECK_EQ(PlateIn("LA"), 6);
  STANDIN_CHECK_EQ(PlateIn("JEF2"), 2);
  const Clock::time_point shown = Clock::now();
  const Frame later =
      FramesUntil("LA", 6.0, [](const Frame& frame) { return frame.notice.empty(); });
  const double noticeSeconds = SecondsSince(shown);
  std::printf("    the notice stayed %.2f s\n", noticeSeconds);
  STANDIN_CHECK(noticeSeconds > 2.5 && noticeSeconds < 5.0);
  STANDIN_CHECK_EQ(later.fontCalls, 13);
  STANDIN_CHECK_EQ(later.line, std::string(kLine6));
}

void AnEditWithDebugOffChangesNothing(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "0=4\n");
  PluginLibrary plugin(context.settings.plugin);
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=6\n");
  int changed = 0;
  FramesUntil("LA", 1.6, [&](const Frame& frame) {
    if (frame.fontCalls != 0 || RequestPlate() != 4) ++changed;
    return false;
  });
  STANDIN_CHECK_EQ(changed, 0);
  STANDIN_CHECK_EQ(PlateIn("LA"), 4);
}

// The new file is written in eight pieces, a few frames apart: the file
// changes between any two queries until the last piece. A halfway read would
// give LA plateback 0 (the line for it comes last) or end DEBUG (an empty
// file).
void AFileSavedInPiecesBetweenFramesIsNeverReadHalfway(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=4\n");
  PluginLibrary plugin(context.settings.plugin);
  const std::string text = "DEBUG\n;" + std::string(300, '-') + "\n0=6\n";
  const std::size_t piece = text.size() / 8 + 1;
  int halfway = 0;
  WriteFileBytes("Vexilo.txt", "");
  for (std::size_t at = 0; at < text.size(); at += piece) {
    std::ofstream(fs::path("Vexilo.txt"), std::ios::binary | std::ios::app)
        << text.substr(at, piece);
    if (at + piece >= text.size()) break;
    FramesUntil("LA", 0.15, [&](const Frame& frame) {
      if (frame.line != kLine4 || RequestPlate() != 4) ++halfway;
      return false;
    });
  }
  STANDIN_CHECK_EQ(halfway, 0);
  const Frame taken =
      FramesUntil("LA", 4.0, [](const Frame& frame) { return frame.line == kLine6; });
  STANDIN_CHECK_EQ(taken.line, std::string(kLine6));
  STANDIN_CHECK_EQ(PlateIn("LA"), 6);
}

void AnUnreadableFileKeepsTheTableWithNoBoxUntilItChanges(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=4\n");
  PluginLibrary plugin(context.settings.plugin);
  fs::remove("Vexilo.txt");
  {
    UnreadableFile unreadable("Vexilo.txt", "DEBUG\n0=9\n");
    if (!unreadable.ok()) return checks.Skip("could not make an unreadable file");
    Frame told;
    const std::vector<ErrorBox> boxes = BoxesShownDuring([&] {
      told = FramesUntil("LA", 4.0, [](const Frame& frame) { return !frame.notice.empty(); });
    });
    STANDIN_CHECK_EQ(boxes, std::vector<ErrorBox>{});
    STANDIN_CHECK_EQ(told.notice, std::string(kUnreadableNotice));
    STANDIN_CHECK_EQ(told.line, std::string(kLine4));
    STANDIN_CHECK_EQ(PlateIn("LA"), 4);
  }
  fs::remove("Vexilo.txt");
  WriteFileBytes("Vexilo.txt", "DEBUG\n0=6\n");
  const Frame taken =
      FramesUntil("LA", 4.0, [](const Frame& frame) { return frame.line == kLine6; });
  STANDIN_CHECK_EQ(taken.notice, std::string("Vexilo.txt reloaded: 1 mapping"));
  STANDIN_CHECK_EQ(PlateIn("LA"), 6);
}

const char kLine8[] =
    "Zone: LA, Index: 0, Mapped Index: 8 => Selection from vehicle.txd: plateback9";

// An editor that writes part of the file, stalls past the half second a
// stamp must hold still, then writes the rest. The part is taken: it holds no
// DEBUG, so the line goes, but not the live edits: the rest is taken too.
void ASaveThatStallsMidWriteEndsOnTheCompletedFile(Context& context) {
  Checks& checks = context.checks;
  WriteFileBytes("Vexilo.txt", "DEBUG\n0-376=4\n");
  PluginLibrary plugin(context.settings.plugin);
  WriteFileBytes("Vexilo.txt", "0-376=6\n0-");
  int lost = 0;
  const auto noneLost = [&](const Frame& frame) {
    if (frame.notice.find(": 0 mappings") != std::string::npos || PlateIn("LA") == 0) ++lost;
    return false;
  };
  const Frame stalled = FramesUntil("LA", 2.0, noneLost);
  STANDIN_CHECK_EQ(stalled.fontCalls, 0);
  STANDIN_CHECK_EQ(PlateIn("LA"), 6);
  std::ofstream(fs::path("Vexilo.txt"), std::ios::binary | std::ios::app) << "0=8\nDEBUG\n";
  const Frame taken = FramesUntil("LA", 4.0, [&](const Frame& frame) {
    noneLost(frame);
    return frame.line == kLine8;
  });
  STANDIN_CHECK_EQ(lost, 0);
  STANDIN_CHECK_EQ(taken.line, std::string(kLine8));
  STANDIN_CHECK_EQ(PlateIn("LA"), 8);
  STANDIN_CHECK_EQ(PlateIn("JEF2"), 6);
}

constexpr Scenario kScenarios[] = {
    {"AnEditWhileDebugIsOnChangesLaterPlatesAndIsTold",
     AnEditWhileDebugIsOnChangesLaterPlatesAndIsTold},
    {"AnEditWithDebugOffChangesNothing", AnEditWithDebugOffChangesNothing},
    {"AFileSavedInPiecesBetweenFramesIsNeverReadHalfway",
     AFileSavedInPiecesBetweenFramesIsNeverReadHalfway},
    {"AnUnreadableFileKeepsTheTableWithNoBoxUntilItChanges",
     AnUnreadableFileKeepsTheTableWithNoBoxUntilItChanges},
    {"ASaveThatStallsMidWriteEndsOnTheCompletedFile",
     ASaveThatStallsMidWriteEndsOnTheCompletedFile},
};

}  // namespace

int RunReloadScenarios(const ScenarioSettings& settings) {
  std::printf("Live edits: stand-in host at 0x%X, plug-in %s\n", HostBase(),
              settings.plugin.c_str());
  return RunScenarioGroups({{std::begin(kScenarios), std::end(kScenarios)}}, settings);
}

}  // namespace vexilo::standin
