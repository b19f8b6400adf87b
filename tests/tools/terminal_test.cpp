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

// Facts: input a console, output a console, processes on it, under Wine, a window shown.
TEST(StartedInItsOwnWindow, OnlyWhenBothEndsAreItsOwnConsole) {
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, false, true}));   // Explorer: double-click or drop
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, false, false}));  // the same, its window not shown yet
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 2, false, true}));  // a command prompt shares it
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 0, false, false})); // no console at all
  EXPECT_FALSE(StartedInItsOwnWindow({false, true, 1, false, true})); // input piped in
  EXPECT_FALSE(StartedInItsOwnWindow({true, false, 1, false, true})); // output sent to a file
}

TEST(StartedInItsOwnWindow, UnderWineOnlyWhenWineShowsItsConsoleWindow) {
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 1, true, false}));  // a Unix terminal: alone, but no window
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1, true, true}));    // Wine's Explorer or a desktop launcher
  EXPECT_FALSE(StartedInItsOwnWindow({true, false, 1, true, true}));  // piped into less from a terminal
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 2, true, true}));   // wine cmd shares its console
}

}  // namespace
}  // namespace vexilo::check
