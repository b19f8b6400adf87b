#pragma once

#include <cstdint>

namespace vexilo::standin {

/// Where the Windows host executable keeps the host's range: the never-run
/// pad at the start of its .text and the array in its .bss.
struct HostArea {
  std::uint32_t imageBase;
  std::uint32_t probePad;
  std::uint32_t start;
  std::uint32_t size;
};

/// Entry point of the stand-in's logic, which the Windows host executable
/// loads from a DLL so that the executable itself stays a few kilobytes and
/// its .bss begins just above its own code.
using StandinMainFunction = int (*)(int argc, char** argv, const HostArea* area);

}  // namespace vexilo::standin
