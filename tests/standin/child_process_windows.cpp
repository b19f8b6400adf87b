#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "child_process.hpp"

namespace vexilo::standin {
namespace {

std::wstring Widen(const std::string& text) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

// Quotes an argument as CommandLineToArgvW and the C runtime read it back.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t slashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    quoted.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    quoted += c;
  }
  quoted.append(slashes * 2, L'\\');
  return quoted + L"\"";
}

std::wstring OwnPath() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path;
}

}  // namespace

ChildOutcome RunStandinAgain(const std::vector<std::string>& args, int limitSeconds) {
  std::wstring commandLine = Quoted(OwnPath());
  for (const std::string& arg : args) commandLine += L" " + Quoted(Widen(arg));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return {false, -1};
  }
  CloseHandle(process.hThread);
  ChildOutcome outcome{true, -1};
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limitSeconds) * 1000) !=
      WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
    outcome.finished = false;
  }
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code)) outcome.exitCode = static_cast<int>(code);
  CloseHandle(process.hProcess);
  return outcome;
}

}  // namespace vexilo::standin
