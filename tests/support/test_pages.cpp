#include "test_pages.hpp"

#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace vexilo::testing {
namespace {

std::size_t PageSize() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}

void* AsPointer(std::uint32_t address) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)); }

void SetProtection(std::uint32_t address, std::size_t size, bool writable) {
#ifdef _WIN32
  DWORD old;
  VirtualProtect(AsPointer(address), size, writable ? PAGE_EXECUTE_READWRITE : PAGE_EXECUTE_READ, &old);
#else
  mprotect(AsPointer(address), size, PROT_READ | PROT_EXEC | (writable ? PROT_WRITE : 0));
#endif
}

}  // namespace

TestPages::TestPages(std::size_t pages) : size_(pages * PageSize()) {
  const std::size_t reserved = size_ + PageSize();
#ifdef _WIN32
  // Reserve one page more than is committed: the tail stays unusable.
  void* memory = VirtualAlloc(nullptr, reserved, MEM_RESERVE, PAGE_NOACCESS);
  if (memory == nullptr || VirtualAlloc(memory, size_, MEM_COMMIT, PAGE_EXECUTE_READWRITE) == nullptr) {
    throw std::runtime_error("VirtualAlloc failed");
  }
#else
  void* memory = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::runtime_error("mmap failed");
  munmap(static_cast<char*>(memory) + size_, PageSize());
#endif
  base_ = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(memory));
  std::memset(memory, 0x90, size_);
  MakeReadExecute();
}

TestPages::~TestPages() {
#ifdef _WIN32
  VirtualFree(AsPointer(base_), 0, MEM_RELEASE);
#else
  munmap(AsPointer(base_), size_);
#endif
}

std::uint8_t* TestPages::bytes(std::size_t offset) const { return static_cast<std::uint8_t*>(AsPointer(address(offset))); }

void TestPages::Poke(std::size_t offset, const void* data, std::size_t size) {
  SetProtection(base_, size_, true);
  std::memcpy(bytes(offset), data, size);
  MakeReadExecute();
}

void TestPages::MakeReadExecute() { SetProtection(base_, size_, false); }

}  // namespace vexilo::testing
