// The stand-in's logic as the Windows host executable calls it.
#include "host_area.hpp"
#include "host_memory.hpp"
#include "standin_main.hpp"

extern "C" __declspec(dllexport) int VexiloStandinMain(int argc, char** argv,
                                                       const vexilo::standin::HostArea* area) {
  vexilo::standin::SetHostArea(*area);
  return vexilo::standin::RunStandin(argc, argv);
}
