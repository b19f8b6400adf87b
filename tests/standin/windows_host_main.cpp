// The stand-in host executable for Windows: based at the host's own base, its
// first .text bytes (host address 0x401000, where the version probes look)
// are a pad that never runs, and an array in .bss covers the rest of the
// host's range. Everything else lives in a DLL (vexilo_standin_core.dll, or
// the one named as the first argument), so that this image stays small and
// the array starts below the host's addresses.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host_area.hpp"

asm(".section .init,\"xr\"\n"
    ".globl _vexilo_standin_probe_pad\n"
    "_vexilo_standin_probe_pad:\n"
    ".fill 64,1,0xCC\n"
    ".text\n");
extern "C" unsigned char vexilo_standin_probe_pad[];

namespace {

constexpr std::uint32_t kAreaSize = 0x900000;
alignas(4096) unsigned char hostArea[kAreaSize];

std::uint32_t AddressOf(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

bool NamesADll(const char* argument) {
  const std::size_t length = std::strlen(argument);
  return length > 4 && _stricmp(argument + length - 4, ".dll") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* dll = "vexilo_standin_core.dll";
  if (argc > 1 && NamesADll(argv[1])) {
    dll = argv[1];
    --argc;
    ++argv;
  }
  HMODULE core = LoadLibraryA(dll);
  if (core == nullptr) {
    std::fprintf(stderr, "stand-in: cannot load %s beside the executable (error %lu)\n", dll,
                 GetLastError());
    return 3;
  }
  auto standinMain = reinterpret_cast<vexilo::standin::StandinMainFunction>(
      reinterpret_cast<void*>(GetProcAddress(core, "VexiloStandinMain")));
  if (standinMain == nullptr) {
    std::fprintf(stderr, "stand-in: %s has no VexiloStandinMain\n", dll);
    return 3;
  }
  const vexilo::standin::HostArea area{AddressOf(GetModuleHandleA(nullptr)),
                                       AddressOf(vexilo_standin_probe_pad), AddressOf(hostArea),
                                       kAreaSize};
  return standinMain(argc, argv, &area);
}
