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

TEST(StartedInItsOwnWindow, OnlyWhenBothEndsAreItsOwnConsole) {
  EXPECT_TRUE(StartedInItsOwnWindow({true, true, 1}));
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 2}));   // a command prompt shares it
  EXPECT_FALSE(StartedInItsOwnWindow({true, true, 0}));   // no console at all
  EXPECT_FALSE(StartedInItsOwnWindow({false, true, 1}));  // input piped in
  EXPECT_FALSE(StartedInItsOwnWindow({true, false, 1}));  // output sent to a file
}

}  // namespace
}  // namespace vexilo::check
