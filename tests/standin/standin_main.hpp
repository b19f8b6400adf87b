#pragma once

namespace vexilo::standin {

/// Runs a stand-in command line ("test ..." or "demo ..."); the exit status.
int RunStandin(int argc, char** argv);

}  // namespace vexilo::standin
