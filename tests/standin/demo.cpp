#include "demo.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "checks.hpp"
#include "fake_host.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "injector/branch.hpp"
#include "mapping/zones.hpp"
#include "plugin_library.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

void ShowMappingFile() {
  const std::string text = testing::ReadFileBytes("Vexilo.txt");
  std::printf("--- Vexilo.txt (%zu bytes) ---\n", text.size());
  for (char c : text) {
    if (c != '\r') std::putchar(c);
  }
  std::printf("--- end of Vexilo.txt ---\n\n");
}

void ShowPlate(const char* where, std::int32_t plate) {
  std::printf("  %-22s -> plateback index %d (texture plateback%d)\n", where, plate, plate + 1);
}

// The walk of the local player; with frames, also what the host was asked
// to print on each frame.
void Walk(bool withFrames) {
  const char* labels[] = {"LA", "JEF2", "SF", "VE", "CITYS", "NOWHERE", nullptr};
  for (const char* label : labels) {
    StandIn(label != nullptr ? Player::WithMatrix : Player::None, label != nullptr ? label : "LA");
    const std::string where = label == nullptr                  ? "no local player"
                              : std::string(label) == "NOWHERE" ? "zone NOWHERE (unknown)"
                                                                : std::string("zone ") + label;
    ShowPlate(where.c_str(), RequestPlate());
    if (!withFrames) continue;
    ClearFontCalls();
    RunFrame();
    const FontCallLog& log = FontCalls();
    const bool printed = log.count > 0 && log.calls[log.count - 1].routine == host::kFontPrintText;
    std::printf("  %-22s    frame: %s\n", "",
                printed ? log.calls[log.count - 1].text : "(nothing drawn)");
  }
}

// The texts the host was asked to print on one frame with the player in
// label: the debug line and, under it, a notice or "".
std::pair<std::string, std::string> FramePrints(const char* label) {
  StandIn(Player::WithMatrix, label);
  ClearFontCalls();
  RunFrame();
  std::pair<std::string, std::string> printed;
  const FontCallLog& log = FontCalls();
  for (int i = 0; i < log.count; ++i) {
    if (log.calls[i].routine != host::kFontPrintText) continue;
    (printed.first.empty() ? printed.first : printed.second) = log.calls[i].text;
  }
  return printed;
}

// With DEBUG on, an edit saved while the game runs: frames go on until the
// plug-in has taken it, then the player stands in the same zone again.
void EditWhilePlaying() {
  std::string text = testing::ReadFileBytes("Vexilo.txt");
  const std::size_t at = text.find("\n0-62=1\r\n");
  if (at != std::string::npos) text.replace(at + 1, 6, "0-62=5");
  testing::WriteFileBytes("Vexilo.txt", text);
  std::printf("Saved. The game goes on, frame after frame, in zone LA:\n");
  const auto saved = std::chrono::steady_clock::now();
  std::pair<std::string, std::string> printed;
  for (;;) {
    printed = FramePrints("LA");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - saved).count();
    if (!printed.second.empty() || seconds > 5.0) {
      char when[32];
      std::snprintf(when, sizeof when, "%.2f s after the save", seconds);
      std::printf("  %-22s    frame: %s\n", when, printed.first.c_str());
      std::printf("  %-22s under it: %s\n", "",
                  printed.second.empty() ? "(nothing)" : printed.second.c_str());
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::printf("The same zone, after the edit:\n");
  StandIn(Player::WithMatrix, "LA");
  ShowPlate("zone LA", RequestPlate());
}

std::unique_ptr<PluginLibrary> Start(const std::string& plugin) {
  BuildHostImage(HostBuild::V1001);
  const bool hadFile = std::filesystem::exists("Vexilo.txt");
  auto library = std::make_unique<PluginLibrary>(plugin);
  if (!library->loaded()) {
    std::printf("Could not load %s: %s\n", plugin.c_str(), library->error().c_str());
    return nullptr;
  }
  for (const ErrorBox& box : library->boxes()) {
    std::printf("Message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
  }
  std::printf("Loaded %s; it %s Vexilo.txt.\n", plugin.c_str(),
              hadFile ? "read the existing" : "wrote and read a new");
  const std::array<std::uint8_t, 5> jump = HostBytes(host::kPlateDesignRoutine);
  const std::uint32_t destination = injector::rel32_destination(
      host::kPlateDesignRoutine, static_cast<std::int32_t>(injector::load_le32(&jump[1])));
  std::printf("Plate-design routine at 0x%X: %s (jump to 0x%X, %s the plug-in)\n",
              host::kPlateDesignRoutine, Show(jump).c_str(), destination,
              library->Contains(destination) ? "inside" : "NOT inside");
  std::printf("Frame-draw call site at 0x%X:  %s\n\n", FrameCallSite(),
              Show(HostBytes(FrameCallSite())).c_str());
  return library;
}

}  // namespace

int RunDemo(const std::string& plugin) {
  std::printf("== First start: stand-in host (build 1001) in the game folder %s ==\n",
              std::filesystem::current_path().string().c_str());
  std::printf("Plate-design routine at 0x%X before loading: %s\n", host::kPlateDesignRoutine,
              Show(HostBytes(host::kPlateDesignRoutine)).c_str());
  std::unique_ptr<PluginLibrary> library = Start(plugin);
  if (!library) return 1;
  ShowMappingFile();
  std::printf("The local player walks; the host asks for a plate in each place:\n");
  Walk(false);
  library.reset();

  std::printf("\n== Second start, after removing the ';' in front of DEBUG in Vexilo.txt ==\n");
  std::string text = testing::ReadFileBytes("Vexilo.txt");
  const std::size_t at = text.find(";DEBUG\r\n");
  if (at != std::string::npos) text.erase(at, 1);
  testing::WriteFileBytes("Vexilo.txt", text);
  library = Start(plugin);
  if (!library) return 1;
  std::printf("The same walk; each frame the host draws the debug line:\n");
  Walk(true);

  std::printf(
      "\n== While the game runs, with DEBUG on: LA's line 0-62=1 edited to 0-62=5 in Vexilo.txt "
      "==\n");
  EditWhilePlaying();
  library.reset();
  const bool restored = HostBytes(FrameCallSite()) == OriginalCallSiteBytes();
  std::printf("\nUnloaded: frame-draw call site holds %s (%s)\n",
              Show(HostBytes(FrameCallSite())).c_str(),
              restored ? "the host's own call again" : "NOT the host's own call");
  return 0;
}

int RunTable(const std::string& plugin, const std::string& mappingFile) {
  const std::string bytes = testing::ReadFileBytes(mappingFile);
  testing::ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", bytes);
  BuildHostImage(HostBuild::V1001);
  PluginLibrary library(plugin);
  if (!library.loaded()) {
    std::fprintf(stderr, "Could not load %s: %s\n", plugin.c_str(), library.error().c_str());
    return 1;
  }
  std::printf("%5s  %-6s  %11s  %s\n", "Index", "Zone", "Plateback", "Texture");
  for (std::int32_t zone = 0; zone < 377; ++zone) {
    if (zone == 187) continue;
    const char* label = zoneNames[zone];
    StandIn(Player::WithMatrix, label);
    const std::int32_t plate = RequestPlate();
    std::printf("%5d  %-6s  %11d  plateback%s\n", zone, label, plate,
                std::to_string(std::int64_t{plate} + 1).c_str());
  }
  return 0;
}

}  // namespace vexilo::standin
