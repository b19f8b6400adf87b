#pragma once

#include "os.hpp"

/// What the checker decides from what it knows of its terminal.
namespace vexilo::check {

/// Whether colours may be used at all: asked for (no --no-color) and the
/// environment's NO_COLOR (null when unset) unset or empty. Whether the
/// output shows them is the OS's to tell.
bool ColourAllowed(bool asked, const char* noColour);

/// True when the program has a console window to itself, as when Explorer
/// starts it by a double-click or a drop: the window closes with the program,
/// so it should wait. Never from a console, a script or a redirection, nor
/// under Wine from a Unix terminal.
bool StartedInItsOwnWindow(const ConsoleFacts& facts);

}  // namespace vexilo::check
