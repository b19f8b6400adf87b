#include "test_pages.hpp"

#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <string>

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

void* AsPointer(std::uint32_t address) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

void SetProtection(std::uint32_t address, std::size_t size, bool writable) {
#ifdef _WIN32
  DWORD old;
  VirtualProtect(AsPointer(address), size, writable ? PAGE_EXECUTE_READWRITE : PAGE_EXECUTE_READ,
                 &old);
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
  if (memory == nullptr ||
      VirtualAlloc(memory, size_, MEM_COMMIT, PAGE_EXECUTE_READWRITE) == nullptr) {
    throw std::runtime_error("VirtualAlloc failed");
  }
#else
  void* memory =
      mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
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

std::uint8_t* TestPages::bytes(std::size_t offset) const {
  return static_cast<std::uint8_t*>(AsPointer(address(offset)));
}

void TestPages::Poke(std::size_t offset, const void* data, std::size_t size) {
  SetProtection(base_, size_, true);
  std::memcpy(bytes(offset), data, size);
  MakeReadExecute();
}

void TestPages::MakeReadExecute() { SetProtection(base_, size_, false); }

namespace {

std::filesystem::path FreshFilePath() {
  static int count = 0;
  return std::filesystem::temp_directory_path() /
         ("vexilo-read-only-" + std::to_string(++count) + ".bin");
}

}  // namespace

ReadOnlyFilePage::ReadOnlyFilePage(std::uint32_t value) {
  const std::filesystem::path path = FreshFilePath();
  {
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    if (out == nullptr) throw std::runtime_error("cannot write " + path.string());
    std::fwrite(&value, sizeof value, 1, out);
    std::fclose(out);
  }
#ifdef _WIN32
  HANDLE file =
      CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE mapping = file == INVALID_HANDLE_VALUE
                       ? nullptr
                       : CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void* view = mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  file_ = reinterpret_cast<std::intptr_t>(file);
  mapping_ = reinterpret_cast<std::intptr_t>(mapping);
#else
  const int fd = open(path.c_str(), O_RDONLY);
  void* view = fd < 0 ? MAP_FAILED : mmap(nullptr, PageSize(), PROT_READ, MAP_SHARED, fd, 0);
  std::filesystem::remove(path);
  if (view == MAP_FAILED) view = nullptr;
  file_ = fd;
#endif
  if (view == nullptr) throw std::runtime_error("cannot map " + path.string());
  address_ = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(view));
}

ReadOnlyFilePage::~ReadOnlyFilePage() {
#ifdef _WIN32
  UnmapViewOfFile(AsPointer(address_));
  CloseHandle(reinterpret_cast<HANDLE>(mapping_));
  CloseHandle(reinterpret_cast<HANDLE>(file_));
#else
  munmap(AsPointer(address_), PageSize());
  close(static_cast<int>(file_));
#endif
}

}  // namespace vexilo::testing
