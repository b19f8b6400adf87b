// The game quitting while the plug-in is in use: from inside a frame (its
// callee, another plug-in or a crash handler ends the process), or while
// another thread is parked inside a frame. Each runs in a stand-in of its
// own, which must end promptly with the game's exit code.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>

#include "child_process.hpp"
#include "host_image.hpp"
#include "scenario_support.hpp"

namespace vexilo::standin {
namespace {

constexpr int kQuitCode = 42;
// Far above what a prompt end takes, even with the plug-in's bounded wait
// for the parked thread; a stand-in still running then has hung.
constexpr int kLimitSeconds = 60;

constexpr char kQuitInFrame[] = "quit-in-frame";
constexpr char kQuitWhileParked[] = "quit-while-parked";

std::atomic<bool> parked{false};

[[noreturn]] void QuitNow() { std::exit(kQuitCode); }

// A frame that does not return while the process ends.
void ParkForAMinute() {
  parked = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLimitSeconds);
  while (std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void CheckEndsWithItsOwnCode(Context& context, const char* command) {
  Checks& checks = context.checks;
  const ChildOutcome outcome = RunStandinAgain({command, context.settings.plugin}, kLimitSeconds);
  STANDIN_CHECK(outcome.finished);
  STANDIN_CHECK_EQ(outcome.exitCode, kQuitCode);
}

void AGameThatQuitsInsideAFrameEndsWithItsExitCode(Context& context) {
  CheckEndsWithItsOwnCode(context, kQuitInFrame);
}

void AGameThatQuitsWhileAnotherThreadIsInsideAFrameEndsWithItsExitCode(Context& context) {
  CheckEndsWithItsOwnCode(context, kQuitWhileParked);
}

constexpr Scenario kQuitScenarios[] = {
    {"AGameThatQuitsInsideAFrameEndsWithItsExitCode",
     AGameThatQuitsInsideAFrameEndsWithItsExitCode},
    {"AGameThatQuitsWhileAnotherThreadIsInsideAFrameEndsWithItsExitCode",
     AGameThatQuitsWhileAnotherThreadIsInsideAFrameEndsWithItsExitCode},
};

}  // namespace

const Scenario* QuitScenariosBegin() { return std::begin(kQuitScenarios); }
const Scenario* QuitScenariosEnd() { return std::end(kQuitScenarios); }

bool IsQuitCommand(const std::string& command) {
  return command == kQuitInFrame || command == kQuitWhileParked;
}

int RunQuitCommand(const std::string& command, const std::string& plugin) {
  BuildHostImage(HostBuild::V1001);
  PluginLibrary library(plugin);
  if (!library.loaded()) return 3;
  if (command == kQuitInFrame) {
    SetFrameCalleeAction(&QuitNow);
    RunFrame();
    return 4;
  }
  SetFrameCalleeAction(&ParkForAMinute);
  std::thread([] { RunFrame(); }).detach();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLimitSeconds);
  while (!parked && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  std::exit(kQuitCode);
}

}  // namespace vexilo::standin
