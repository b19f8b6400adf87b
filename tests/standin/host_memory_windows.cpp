#include <windows.h>

#include <cstdio>

#include "host_area.hpp"
#include "host_memory.hpp"

namespace vexilo::standin {
namespace {

HostArea area{};

void* At(std::uint32_t address) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

void Protect(std::uint32_t start, std::uint32_t end, DWORD protection) {
  DWORD old;
  VirtualProtect(At(start), end - start, protection, &old);
}

std::uint32_t AreaEnd() { return area.start + area.size; }

std::uint32_t ProbePage() { return Relocated(0x401000); }

// The highest relocated address the stand-in writes: the last version probe.
std::uint32_t HighestRelocatedAddress() { return Relocated(0x858D51) + 4; }

}  // namespace

void SetHostArea(const HostArea& hostArea) { area = hostArea; }

std::uint32_t HostBase() { return area.imageBase; }

std::uint32_t LowestHostAddress() {
  const std::uint32_t callSitePage = Relocated(0x53E000);
  return callSitePage < 0x56E000 ? callSitePage : 0x56E000;
}

bool MapHostMemory() {
  const std::uint32_t end =
      HighestRelocatedAddress() > kHostEnd ? HighestRelocatedAddress() : kHostEnd;
  if (area.probePad != ProbePage() || area.start > LowestHostAddress() || AreaEnd() < end) {
    std::fprintf(stderr,
                 "stand-in: image at 0x%X, probe pad at 0x%X, host area 0x%X-0x%X: cannot cover "
                 "0x%X and 0x%X-0x%X\n",
                 area.imageBase, area.probePad, area.start, AreaEnd(), ProbePage(),
                 LowestHostAddress(), end);
    return false;
  }
  return true;
}

void UnlockHostMemory() {
  Protect(ProbePage(), ProbePage() + 0x1000, PAGE_EXECUTE_READWRITE);
  Protect(area.start, AreaEnd(), PAGE_READWRITE);
}

void LockHostMemory() {
  Protect(ProbePage(), ProbePage() + 0x1000, PAGE_EXECUTE_READ);
  Protect(area.start, kHostDataPage, PAGE_EXECUTE_READ);
  Protect(kHostDataPage, AreaEnd(), PAGE_READWRITE);
}

std::string DescribeProtection(std::uint32_t address) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(At(address), &info, sizeof info) == 0 || info.State != MEM_COMMIT)
    return "unmapped";
  switch (info.Protect & 0xFF) {
    case PAGE_READONLY:
      return "r--";
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
      return "rw-";
    case PAGE_EXECUTE_READ:
      return "r-x";
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
      return "rwx";
    default:
      return "---";
  }
}

}  // namespace vexilo::standin
