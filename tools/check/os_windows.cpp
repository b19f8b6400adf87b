#include <cerrno>
#include <cstring>

#include "os.hpp"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
// After <windows.h>, which it builds on.
#include <shellapi.h>

namespace vexilo::check {
namespace {

using platform::Widen;

std::string Narrow(std::wstring_view text) {
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

// The running program's file, however long its path; empty when it cannot be told.
std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

HANDLE HandleOf(std::FILE* out) {
  return GetStdHandle(out == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

// Windows' own sentence for an error, without its line break.
std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "error " + std::to_string(error);
  std::string message = Narrow(std::wstring_view(text, length));
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

}  // namespace

bool ShowsColours(std::FILE* out) {
  if (!_isatty(_fileno(out))) return false;
  HANDLE console = HandleOf(out);
  DWORD mode = 0;
  return GetConsoleMode(console, &mode) &&
         SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

void WriteText(std::FILE* out, std::string_view text) {
  const HANDLE handle = HandleOf(out);
  if (!IsConsole(handle)) {
    std::fwrite(text.data(), 1, text.size(), out);
    return;
  }
  std::fflush(out);
  std::wstring wide = Widen(text);
  for (std::wstring_view rest = wide; !rest.empty();) {
    const DWORD chunk = rest.size() > 8192 ? 8192 : static_cast<DWORD>(rest.size());
    DWORD written = 0;
    if (!WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0) return;
    rest.remove_prefix(written);
  }
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  std::FILE* file = _wfopen(Widen(path).c_str(), L"wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  // On disk before anyone renames it over a file, or the rename could outlive it.
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 &&
                       FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
  const int error = errno;
  if (std::fclose(file) != 0 || !written) {
    reason = std::strerror(written ? errno : error);
    return false;
  }
  return true;
}

PathKind KindOfPath(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                          : PathKind::Other;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::Other;
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  return Narrow(full);
}

std::string ProgramFolder() {
  const std::wstring path = ProgramPath();
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? "" : Narrow(std::wstring_view(path).substr(0, slash + 1));
}

std::string ProgramName() {
  const std::wstring path = ProgramPath();
  return Narrow(std::wstring_view(path).substr(path.find_last_of(L"\\/") + 1));
}

bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  names.clear();
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(Widen(folder + "*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    // A folder that holds nothing, not even "." (a drive's root), matches nothing.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    reason = SystemMessage(GetLastError());
    return false;
  }
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    reason = SystemMessage(error);
    return false;
  }
  return true;
}

std::vector<std::string> FolderNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(Widen(folder + "*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchLimitToDirectories, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..")
      names.push_back(Narrow(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Not std::filesystem::hard_link_count: MinGW's takes it from the C
// runtime's stat, which says 1 on Windows whatever the file has.
std::uint32_t NamesOf(const std::string& path) {
  const HANDLE file =
      CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool told = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  return told && information.nNumberOfLinks > 0 ? information.nNumberOfLinks : 1;
}

bool IsReadOnlyFile(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return true;
  // Opening for writing, and writing nothing, asks the file's permissions.
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(file);
  return false;
}

std::string ErrorText(int error) { return SystemMessage(static_cast<DWORD>(error)); }

bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason) {
  if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = SystemMessage(GetLastError());
  return false;
}

void RemoveFile(const std::string& path) { DeleteFileW(Widen(path).c_str()); }

std::string ReadConsoleLine() {
  wchar_t typed[256];
  DWORD read = 0;
  if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), typed, 256, &read, nullptr)) return "";
  std::wstring_view line(typed, read);
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.remove_suffix(1);
  return Narrow(line);
}

ConsoleFacts QueryConsole() {
  ConsoleFacts facts;
  facts.inputIsConsole = IsConsole(GetStdHandle(STD_INPUT_HANDLE));
  facts.outputIsConsole = IsConsole(GetStdHandle(STD_OUTPUT_HANDLE));
  DWORD processes[4];
  // A list too short for all still reports how many there are.
  facts.processesOnConsole = GetConsoleProcessList(processes, 4);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  facts.underWine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  const HWND window = GetConsoleWindow();
  facts.consoleWindowVisible = window != nullptr && IsWindowVisible(window);
  return facts;
}

void WaitForEnter() {
  WriteText(stdout, "\nPress Enter to close this window.\n");
  wchar_t typed[256];
  DWORD read = 0;
  ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), typed, 256, &read, nullptr);
}

FileAtOffsets::FileAtOffsets(const std::string& path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open, so only
  // regular files get through.
  const HANDLE file = CreateFileW(platform::Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileAtOffsets::~FileAtOffsets() {
  if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::int64_t FileAtOffsets::Size() const {
  LARGE_INTEGER size{};
  if (!IsOpen() || !GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size)) return -1;
  return static_cast<std::int64_t>(size.QuadPart);
}

std::ptrdiff_t FileAtOffsets::ReadAt(std::int64_t offset, char* buffer, std::size_t size) {
  if (!IsOpen() || offset < 0) return -1;
  const DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
  // On a handle opened for synchronous reading, the offset in OVERLAPPED
  // says where this one read starts.
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD read = 0;
  if (ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, chunk, &read, &at))
    return static_cast<std::ptrdiff_t>(read);
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

}  // namespace vexilo::check
