#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/platform.hpp"

namespace vexilo::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

LPVOID AsPointer(std::uintptr_t address) { return reinterpret_cast<LPVOID>(address); }

bool WriteAll(HANDLE file, std::string_view contents) {
  while (!contents.empty()) {
    const DWORD chunk =
        contents.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(contents.size());
    DWORD written = 0;
    if (!WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0) return false;
    contents.remove_prefix(written);
  }
  return true;
}

}  // namespace

// Paths are UTF-8 inside Vexilo; Windows opens them as UTF-16, whatever the
// ANSI code page.
std::wstring Widen(std::string_view text) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

bool Unprotect(std::uintptr_t address, std::size_t size, Protection* previous) {
  DWORD old = 0;
  if (!VirtualProtect(AsPointer(address), size, PAGE_EXECUTE_READWRITE, &old)) return false;
  *previous = old;
  return true;
}

void Reprotect(std::uintptr_t address, std::size_t size, Protection previous) {
  DWORD ignored = 0;
  VirtualProtect(AsPointer(address), size, previous, &ignored);
}

std::optional<Protection> QueryProtection(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(AsPointer(address), &info, sizeof info) == 0 || info.State != MEM_COMMIT) {
    return std::nullopt;
  }
  return info.Protect;
}

bool IsWritable(Protection protection) {
  const Protection writable =
      PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return (protection & writable) != 0;
}

bool IsReadable(Protection protection) {
  const Protection readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return (protection & readable) != 0 && (protection & (PAGE_GUARD | PAGE_NOACCESS)) == 0;
}

std::uint64_t CompareExchange64(std::uintptr_t address, std::uint64_t expected,
                                std::uint64_t desired) {
  auto* block = reinterpret_cast<volatile LONG64*>(address);
  return static_cast<std::uint64_t>(InterlockedCompareExchange64(
      block, static_cast<LONG64>(desired), static_cast<LONG64>(expected)));
}

void FlushCode(std::uintptr_t address, std::size_t size) {
  FlushInstructionCache(GetCurrentProcess(), AsPointer(address), size);
}

std::uintptr_t HostModuleBase() {
  return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
}

void ShowErrorBox(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR);
}

std::string NativePath(std::string_view path) { return std::string(path); }

InputFile::InputFile(const std::string& path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open, so only
  // regular files get through.
  const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(file);
}

InputFile::~InputFile() {
  if (is_open()) CloseHandle(AsHandle(handle_));
}

std::ptrdiff_t InputFile::Read(char* buffer, std::size_t size) {
  if (!is_open()) return -1;
  const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!ReadFile(AsHandle(handle_), buffer, chunk, &read, nullptr)) return -1;
  return static_cast<std::ptrdiff_t>(read);
}

std::int64_t MonotonicMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

std::optional<FileStamp> QueryFileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &info)) return std::nullopt;
  const auto size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  const auto written = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                       info.ftLastWriteTime.dwLowDateTime;
  return FileStamp{static_cast<std::int64_t>(size), static_cast<std::int64_t>(written)};
}

CreateResult CreateNewFile(const std::string& path, std::string_view contents, int* error) {
  int ignored = 0;
  int& why = error != nullptr ? *error : ignored;
  const std::wstring wide = Widen(path);
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = static_cast<int>(GetLastError());
    // A directory of that name gives "access denied" rather than "exists";
    // either way something the user owns is there and must stay untouched.
    const bool exists = GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
    return exists ? CreateResult::AlreadyExists : CreateResult::Failed;
  }
  bool complete = WriteAll(file, contents);
  if (!complete) why = static_cast<int>(GetLastError());
  if (!CloseHandle(file) && complete) {
    why = static_cast<int>(GetLastError());
    complete = false;
  }
  if (complete) return CreateResult::Created;
  // A half-written file would be read as the user's own next time; removing it
  // lets the next start write the defaults again.
  DeleteFileW(wide.c_str());
  return CreateResult::Failed;
}

}  // namespace vexilo::platform
