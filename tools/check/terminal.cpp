#include "terminal.hpp"

namespace vexilo::check {

bool ColourAllowed(bool asked, const char* noColour) { return asked && (noColour == nullptr || noColour[0] == '\0'); }

bool StartedInItsOwnWindow(const ConsoleFacts& facts) {
  return facts.inputIsConsole && facts.outputIsConsole && facts.processesOnConsole == 1;
}

}  // namespace vexilo::check
