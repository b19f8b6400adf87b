// console_launcher OUT MODE PROGRAM [ARGS...]: starts PROGRAM the way a
// player or a script would and writes to OUT (UTF-8) whether it waited
// before closing, its exit code and what its console window showed.
//   window      a console of its own, as Explorer gives a double-clicked or
//               dropped-on program; if it waits, Enter is typed into it
//   shared      this launcher's own console, as from a command prompt
//   redirected  a console of its own, but standard output sent to a file,
//               as a script that captures the output does
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Whether the program waits is told by what it does, not by how long it
// takes: it waits once its prompt is on its console; it does not if it ends
// first. Under load (a full test run starts many Wine programs side by side)
// a program that does not wait can take well over any "quiet" time to end.
// These limits only end a run that has hung.
constexpr DWORD kDecideMilliseconds = 90000;
constexpr DWORD kCloseMilliseconds = 30000;
constexpr DWORD kPollMilliseconds = 100;
// How long a program started in a console of its own has before the launcher
// attaches to that console to read it: long enough for a loaded machine to
// start a Wine program and let it look at its console.
constexpr DWORD kAloneMilliseconds = 10000;
// Where programs run several times slower than natively (an emulated
// machine), VEXILO_TIME_FACTOR stretches every limit above alike.
DWORD Stretched(DWORD milliseconds) {
  const wchar_t* factor = _wgetenv(L"VEXILO_TIME_FACTOR");
  const unsigned long times = factor != nullptr ? std::wcstoul(factor, nullptr, 10) : 1;
  return milliseconds * static_cast<DWORD>(times >= 1 && times <= 20 ? times : 1);
}

// What it shows once it waits: the prompt to close, or the offer to mend
// lines that comes before it; either is answered with Enter alone.
constexpr const wchar_t* kPrompts[] = {L"Press Enter to close this window.",
                                       L"or just Enter to leave the file as it is."};

bool ShowsAPrompt(const std::wstring& screen) {
  for (const wchar_t* prompt : kPrompts) {
    if (screen.find(prompt) != std::wstring::npos) return true;
  }
  return false;
}

std::string Narrow(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length,
                      nullptr, nullptr);
  return narrow;
}

// Quotes an argument as CommandLineToArgvW reads it back.
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

// The text of the console this process is attached to, one line per row,
// trailing blanks cut.
std::wstring ScreenText() {
  const HANDLE out =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::wstring text;
  if (out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info))
    return L"(no screen buffer)\n";
  for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
    std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(out, line.data(), static_cast<DWORD>(line.size()), COORD{0, row},
                                &read);
    line.resize(read);
    line.erase(line.find_last_not_of(L' ') + 1);
    text += line + L"\n";
  }
  CloseHandle(out);
  return text;
}

bool TypeEnter() {
  const HANDLE in =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  INPUT_RECORD keys[2] = {};
  for (int i = 0; i < 2; ++i) {
    keys[i].EventType = KEY_EVENT;
    keys[i].Event.KeyEvent.bKeyDown = i == 0;
    keys[i].Event.KeyEvent.wRepeatCount = 1;
    keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
    keys[i].Event.KeyEvent.wVirtualScanCode =
        static_cast<WORD>(MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC));
    keys[i].Event.KeyEvent.uChar.UnicodeChar = L'\r';
  }
  DWORD written = 0;
  const bool typed = WriteConsoleInputW(in, keys, 2, &written) && written == 2;
  CloseHandle(in);
  return typed;
}

// The screen of the program's console: this launcher's own when they share
// it, otherwise the program's, which the launcher attaches to (and stays
// attached to, to type into it).
std::wstring ProgramScreen(const std::wstring& mode, DWORD processId) {
  if (mode == L"shared") return ScreenText();
  FreeConsole();
  if (!AttachConsole(processId)) return L"";
  return ScreenText();
}

// True once the program shows its prompt, false once it has ended; a
// program that does neither within the limit counts as waiting. Its own
// console is left alone at first: attached to, it would hold two processes,
// and a program that asks at its start whether it is alone on its console
// (as vexilo-check does) would see a console shared with a command prompt.
bool WaitsForEnter(const std::wstring& mode, const PROCESS_INFORMATION& process) {
  if (mode == L"window" &&
      WaitForSingleObject(process.hProcess, Stretched(kAloneMilliseconds)) == WAIT_OBJECT_0)
    return false;
  for (DWORD waited = 0; waited < Stretched(kDecideMilliseconds); waited += kPollMilliseconds) {
    if (WaitForSingleObject(process.hProcess, kPollMilliseconds) == WAIT_OBJECT_0) return false;
    if (mode == L"redirected") continue;
    if (ShowsAPrompt(ProgramScreen(mode, process.dwProcessId))) return true;
  }
  return WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fputs("usage: console_launcher OUT window|shared|redirected PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  const std::wstring mode = argv[2];
  std::wstring commandLine;
  for (int i = 3; i < argc; ++i) commandLine += (i > 3 ? L" " : L"") + Quoted(argv[i]);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // A wide, tall buffer, so that no line wraps or scrolls away before it is read.
  startup.dwFlags = STARTF_USECOUNTCHARS;
  startup.dwXCountChars = 500;
  startup.dwYCountChars = 2000;
  DWORD flags = CREATE_NEW_CONSOLE;
  HANDLE captured = INVALID_HANDLE_VALUE;
  // Explorer has no standard handles to pass on; without this the child
  // would inherit the ones this launcher was given and not see its console.
  for (DWORD handle : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
    SetStdHandle(handle, nullptr);
  if (mode == L"shared") {
    FreeConsole();
    if (!AllocConsole()) return 3;
    flags = 0;
  } else if (mode == L"redirected") {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    captured = CreateFileW((std::wstring(argv[1]) + L".stdout").c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = captured;
    startup.hStdError = captured;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr,
                      captured != INVALID_HANDLE_VALUE, flags, nullptr, nullptr, &startup,
                      &process)) {
    return 4;
  }
  std::string report;
  std::wstring screen;
  const bool waited = WaitsForEnter(mode, process);
  if (waited) {
    screen = ProgramScreen(mode, process.dwProcessId);
    report += TypeEnter() ? "typed: Enter\n" : "typed: nothing, the console took no input\n";
    if (WaitForSingleObject(process.hProcess, Stretched(kCloseMilliseconds)) == WAIT_TIMEOUT) {
      report += "closed: no, still running after Enter\n";
      TerminateProcess(process.hProcess, 99);
    }
  } else if (mode == L"shared") {
    screen = ScreenText();
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  report = std::string("waited: ") + (waited ? "yes" : "no") + "\n" + report +
           "exit: " + std::to_string(code) + "\nscreen:\n" + Narrow(screen);
  std::FILE* out = _wfopen(argv[1], L"wb");
  if (out == nullptr) return 5;
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return 0;
}
