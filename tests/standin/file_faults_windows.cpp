#include <windows.h>

#include "file_faults.hpp"

namespace vexilo::standin {

UnreadableFile::UnreadableFile(const std::string& path, const std::string& bytes) {
  // No sharing at all: every other open of the file fails while this handle lives.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  handle_ = reinterpret_cast<std::intptr_t>(file);
  ok_ = written == bytes.size();
}

UnreadableFile::~UnreadableFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

FileThatFailsToRead::FileThatFailsToRead(const std::string& path, const std::string& bytes) {
  // Shared, so that the plug-in opens it; locked, so that its reads fail.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ok_ = written == bytes.size() && LockFile(file, 0, 0, MAXDWORD, MAXDWORD);
}

FileThatFailsToRead::~FileThatFailsToRead() {
  if (handle_ == -1) return;
  UnlockFile(reinterpret_cast<HANDLE>(handle_), 0, 0, MAXDWORD, MAXDWORD);
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool MakeDanglingLink(const std::string& path, const std::string& target) {
  return CreateSymbolicLinkA(path.c_str(), target.c_str(), 0) != 0;
}

bool UnmapHostPage(std::uint32_t) { return false; }

void RestoreHostPage(std::uint32_t) {}

}  // namespace vexilo::standin
