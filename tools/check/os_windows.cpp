#include <algorithm>

#include "os.hpp"

// As the plug-in's platform layer: no min/max macros to break std::min under MSVC.
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
  return Utf8Of(std::u16string(text.begin(), text.end()));
}

HANDLE HandleOf(std::FILE* out) {
  return GetStdHandle(out == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Opened to ask it, never to read or write it.
HANDLE OpenExisting(const std::string& path, DWORD access) {
  return CreateFileW(Widen(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool ShowsColours(std::FILE* out) {
  const HANDLE console = HandleOf(out);
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
  const std::wstring wide = Widen(text);
  DWORD written = 0;
  for (std::size_t at = 0; at < wide.size(); at += written) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
    if (!WriteConsoleW(handle, wide.data() + at, chunk, &written, nullptr) || written == 0) return;
  }
}

std::string ReadConsoleLine() {
  wchar_t typed[256];
  DWORD read = 0;
  if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), typed, 256, &read, nullptr)) return "";
  std::wstring_view line(typed, read);
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.remove_suffix(1);
  return Narrow(line);
}

ConsoleFacts QueryConsole() {
  DWORD processes[4];
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const HWND window = GetConsoleWindow();
  // A list too short for all still reports how many there are.
  return {IsConsole(GetStdHandle(STD_INPUT_HANDLE)), IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)),
          GetConsoleProcessList(processes, 4),
          ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr,
          window != nullptr && IsWindowVisible(window)};
}

std::string ProgramPath() {
  // The longest path Windows has; a path cut short fills the buffer.
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  return length == 0 || length == 32768 ? "" : Narrow(std::wstring_view(path, length));
}

// Not std::filesystem::hard_link_count: MinGW's takes it from the C runtime's stat, which says 1 on
// Windows whatever the file has.
std::uint32_t NamesOf(const std::string& path) {
  const HANDLE file = OpenExisting(path, 0);
  if (file == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool told = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  return told && information.nNumberOfLinks > 0 ? information.nNumberOfLinks : 1;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return true;
  // Opening for writing, and writing nothing, asks the file's permissions.
  const HANDLE file = OpenExisting(path, GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(file);
  return false;
}

std::FILE* OpenToWrite(const std::string& path) { return _wfopen(Widen(path).c_str(), L"wb"); }

bool FlushToDisk(std::FILE* file) { return _commit(_fileno(file)) == 0; }

// Not std::filesystem::rename: MinGW's gives every failure but "access denied" as an input/output
// error, and does not wait for the disk.
bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason) {
  CopyPermissions(to, from);
  if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  reason = ErrorText(static_cast<int>(GetLastError()));
  return false;
}

}  // namespace vexilo::check
