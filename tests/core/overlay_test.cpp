#include "core/overlay.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vexilo {
namespace {

TEST(FormatText, WritesIntoTheNextOfTenBuffersInTurn) {
  const std::uint32_t start = formatBufferIndex;
  const char* first = FormatText("%s %d", "line", 1);
  EXPECT_STREQ(first, "line 1");
  for (int i = 2; i <= 10; ++i) {
    const char* text = FormatText("line %d", i);
    EXPECT_NE(text, first);
  }
  EXPECT_STREQ(first, "line 1") << "a text lasts through the next nine calls";
  EXPECT_EQ(FormatText("line %d", 11), first);
  EXPECT_EQ(formatBufferIndex, (start + 11) % 10);
}

TEST(FormatText, CutsLongTextAt4095CharactersAndAlwaysEndsIt) {
  const std::string longText(5000, 'x');
  const char* text = FormatText("%s", longText.c_str());
  EXPECT_EQ(std::strlen(text), kFormatBufferSize - 1);
}

TEST(OverlayFormat, NeverReadsMoreThanTheEightByteLabelField) {
  const char field[9] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'Z'};
  EXPECT_STREQ(
      FormatText(kOverlayFormat, field, 377, 0, 1),
      "Zone: ABCDEFGH, Index: 377, Mapped Index: 0 => Selection from vehicle.txd: plateback1");
}

}  // namespace
}  // namespace vexilo
