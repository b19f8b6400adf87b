#include <sys/mman.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host_memory.hpp"

namespace vexilo::standin {
namespace {

constexpr std::uint32_t kMapStart = 0x400000;

void* At(std::uint32_t address) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

}  // namespace

std::uint32_t HostBase() { return kMapStart; }

std::uint32_t LowestHostAddress() { return 0x53E000; }

bool MapHostMemory() {
  void* memory = mmap(At(kMapStart), kHostEnd - kMapStart, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (memory == At(kMapStart)) return true;
  std::fprintf(stderr, "stand-in: cannot map the host range at 0x%X: something is there already\n",
               kMapStart);
  if (memory != MAP_FAILED) munmap(memory, kHostEnd - kMapStart);
  return false;
}

void UnlockHostMemory() { mprotect(At(kMapStart), kHostEnd - kMapStart, PROT_READ | PROT_WRITE); }

void LockHostMemory() {
  mprotect(At(kMapStart), kHostDataPage - kMapStart, PROT_READ | PROT_EXEC);
  mprotect(At(kHostDataPage), kHostEnd - kHostDataPage, PROT_READ | PROT_WRITE);
}

std::string DescribeProtection(std::uint32_t address) {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    unsigned long start = 0, end = 0;
    char perms[5] = {};
    if (std::sscanf(line.c_str(), "%lx-%lx %4s", &start, &end, perms) == 3 && address >= start &&
        address < end) {
      return std::string(perms, 3);
    }
  }
  return "unmapped";
}

}  // namespace vexilo::standin
