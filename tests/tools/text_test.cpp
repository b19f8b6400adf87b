#include "text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vexilo::check {
namespace {

TEST(Utf8SequenceLength, AcceptsWellFormedSequencesOnly) {
  EXPECT_EQ(Utf8SequenceLength("a"), 1u);
  EXPECT_EQ(Utf8SequenceLength("\xC3\xA9"), 2u);
  EXPECT_EQ(Utf8SequenceLength("\xED\x9F\xBF"), 3u);
  EXPECT_EQ(Utf8SequenceLength("\xF4\x8F\xBF\xBF"), 4u);
  for (std::string_view bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
                               "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\x80", "\xE2\x82", ""}) {
    EXPECT_EQ(Utf8SequenceLength(bad), 0u) << ::testing::PrintToString(std::string(bad));
  }
}

TEST(Append, AddsFormattedTextOfAnyLength) {
  std::string out = "a";
  Append(out, "%d-%s", 5, "b");
  EXPECT_EQ(out, "a5-b");
  const std::string longer(3000, 'x');
  Append(out, "[%s]", longer.c_str());
  EXPECT_EQ(out, "a5-b[" + longer + "]");
}

}  // namespace
}  // namespace vexilo::check
