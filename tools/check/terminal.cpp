#include "terminal.hpp"

#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vexilo::check {

bool WantsColour(std::FILE* out) {
  const char* noColour = std::getenv("NO_COLOR");
  if (noColour != nullptr && noColour[0] != '\0') return false;
#ifdef _WIN32
  if (!_isatty(_fileno(out))) return false;
  HANDLE console = GetStdHandle(out == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  return GetConsoleMode(console, &mode) && SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
  return isatty(fileno(out)) != 0;
#endif
}

}  // namespace vexilo::check
