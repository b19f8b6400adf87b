#include "demo.hpp"

#include <cstdio>
#include <filesystem>

#include "checks.hpp"
#include "fake_host.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "injector/branch.hpp"
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

}  // namespace

int RunDemo(const std::string& plugin) {
  BuildHostImage(HostBuild::V1001);
  const bool hadFile = std::filesystem::exists("Vexilo.txt");
  std::printf("Stand-in host (build 1001), game folder %s\n", std::filesystem::current_path().string().c_str());
  std::printf("Plate-design routine at 0x%X before loading: %s\n", host::kPlateDesignRoutine,
              Show(HostBytes(host::kPlateDesignRoutine)).c_str());
  PluginLibrary library(plugin);
  if (!library.loaded()) {
    std::printf("Could not load %s: %s\n", plugin.c_str(), library.error().c_str());
    return 1;
  }
  for (const ErrorBox& box : library.boxes()) std::printf("Message box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
  std::printf("Loaded %s; it %s Vexilo.txt.\n", plugin.c_str(), hadFile ? "read the existing" : "wrote and read a new");
  const std::array<std::uint8_t, 5> jump = HostBytes(host::kPlateDesignRoutine);
  const std::uint32_t destination =
      injector::rel32_destination(host::kPlateDesignRoutine, static_cast<std::int32_t>(injector::load_le32(&jump[1])));
  std::printf("Plate-design routine at 0x%X after loading:  %s (jump to 0x%X, %s the plug-in)\n\n",
              host::kPlateDesignRoutine, Show(jump).c_str(), destination,
              library.Contains(destination) ? "inside" : "NOT inside");
  ShowMappingFile();
  std::printf("The local player walks; the host asks for a plate in each place:\n");
  for (const char* label : {"LA", "JEF2", "SF", "VE", "CITYS"}) {
    StandIn(Player::WithMatrix, label);
    ShowPlate((std::string("zone ") + label).c_str(), RequestPlate());
  }
  StandIn(Player::WithMatrix, "NOWHERE");
  ShowPlate("zone NOWHERE (unknown)", RequestPlate());
  StandIn(Player::None, "LA");
  ShowPlate("no local player", RequestPlate());
  return 0;
}

}  // namespace vexilo::standin
