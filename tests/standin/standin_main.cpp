// The stand-in's command line, shared by both platforms.
#include "standin_main.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "demo.hpp"
#include "host_memory.hpp"
#include "reload_scenarios.hpp"
#include "scenarios.hpp"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vexilo_standin test PLUGIN DATA_DIR [LOCKED_DIR]\n"
               "       vexilo_standin live-edits PLUGIN DATA_DIR\n"
               "       vexilo_standin demo PLUGIN\n"
               "       vexilo_standin quit-in-frame|quit-while-parked PLUGIN\n"
               "       vexilo_standin table PLUGIN MAPPING_FILE\n");
  return 2;
}

}  // namespace

int vexilo::standin::RunStandin(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  const std::string plugin = std::filesystem::absolute(argv[2]).string();
  if (!vexilo::standin::MapHostMemory()) return 3;
  if (command == "demo") return vexilo::standin::RunDemo(plugin);
  if (vexilo::standin::IsQuitCommand(command))
    return vexilo::standin::RunQuitCommand(command, plugin);
  if (argc < 4) return Usage();
  if (command == "table")
    return vexilo::standin::RunTable(plugin, std::filesystem::absolute(argv[3]).string());
  if (command == "live-edits") {
    const vexilo::standin::ScenarioSettings settings{
        plugin, std::filesystem::absolute(argv[3]).string(), "", ""};
    return vexilo::standin::RunReloadScenarios(settings) == 0 ? 0 : 1;
  }
  if (command != "test") return Usage();
  // The loader library lies beside the stand-in's own files; the test names it.
  const char* loader = std::getenv("VEXILO_STANDIN_LOADER");
  vexilo::standin::ScenarioSettings settings{
      plugin, std::filesystem::absolute(argv[3]).string(),
      argc > 4 ? std::filesystem::absolute(argv[4]).string() : "",
      loader != nullptr ? std::filesystem::absolute(loader).string() : ""};
  return vexilo::standin::RunScenarios(settings) == 0 ? 0 : 1;
}
