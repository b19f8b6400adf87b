#include "terminal.hpp"

#include <gtest/gtest.h>

namespace vexilo::check {
namespace {

TEST(ColourAllowed, OnlyWhenAskedForAndNoColorIsUnsetOrEmpty) {
  EXPECT_TRUE(ColourAllowed(true, nullptr));
  EXPECT_TRUE(ColourAllowed(true, ""));
  EXPECT_FALSE(ColourAllowed(true, "1"));
  EXPECT_FALSE(ColourAllowed(false, nullptr));
}

// The facts, in order: input a console, output a console, processes on it,
// under Wine, its window shown.
TEST(StartedInItsOwnWindow, OnlyWhenBothEndsAreItsOwnConsole) {
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, false, true}));    // Explorer
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, false, false}));   // window not shown yet
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 2, false, true}));   // a command prompt's
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 0, false, false}));  // no console at all
  EXPECT_FALSE(StartedInItsOwnWindow({false, true, 1, false, true}));  // input piped in
  EXPECT_FALSE(StartedInItsOwnWindow({true, false, 1, false, true}));  // output to a file
}

TEST(StartedInItsOwnWindow, UnderWineOnlyWhenWineShowsItsConsoleWindow) {
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 1, true, false}));  // a Unix terminal
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, true, true}));    // a desktop launcher
  EXPECT_FALSE(StartedInItsOwnWindow({true, false, 1, true, true}));  // piped into less
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 2, true, true}));   // wine cmd's console
}

}  // namespace
}  // namespace vexilo::check
