#include "terminal.hpp"

namespace vexilo::check {

bool ColourAllowed(bool asked, const char* noColour) {
  return asked && (noColour == nullptr || noColour[0] == '\0');
}

bool StartedInItsOwnWindow(const ConsoleFacts& facts) {
  // Under Wine a run from a Unix terminal is alone on a console too, one with
  // no window: only a console window that Wine shows closes with the program.
  return facts.inputIsConsole && facts.outputIsConsole && facts.processesOnConsole == 1 &&
         (!facts.underWine || facts.consoleWindowVisible);
}

}  // namespace vexilo::check
