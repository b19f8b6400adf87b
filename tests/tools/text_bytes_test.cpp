#include "text_bytes.hpp"

#include <gtest/gtest.h>

#include <string>

#include "pe_image.hpp"

namespace vexilo::check {
namespace {

using namespace std::string_literals;

// "63=5;к" and CR LF in UTF-16 without a mark: к (U+043A) is no Latin-1 letter.
const std::string kUtf16NoMark =
    "6\0"
    "3\0"
    "=\0"
    "5\0"
    ";\0"
    "\x3A\x04"
    "\r\0"
    "\n\0"s;

TEST(TextBytes, TellsTheEncodingFromTheMarkOrWhereItsZeroBytesStand) {
  EXPECT_EQ(ReadTextBytes(kUtf16NoMark).encoding, Encoding::Utf16LittleEndian);
  std::string big = kUtf16NoMark;
  for (std::size_t i = 0; i + 1 < big.size(); i += 2) std::swap(big[i], big[i + 1]);
  EXPECT_EQ(ReadTextBytes(big).encoding, Encoding::Utf16BigEndian);
  EXPECT_TRUE(ReadTextBytes("\xFE\xFF").marked);
  const TextBytes utf8 = ReadTextBytes(
      "\xEF\xBB\xBF"
      "63=5\n");
  EXPECT_TRUE(utf8.marked);
  EXPECT_EQ(utf8.encoding, Encoding::Bytes);
  EXPECT_EQ(ReadTextBytes("0-62=1 ;\0x\n"s).encoding, Encoding::Bytes);
  EXPECT_EQ(Utf16AsUtf8(kUtf16NoMark, ReadTextBytes(kUtf16NoMark)), "63=5;\xD0\xBA\r\n");
}

TEST(TextBytes, FindsHalfAUtf16CharacterByItsLine) {
  EXPECT_EQ(ReadTextBytes(kUtf16NoMark).halfCharacterLine, 0u);
  EXPECT_EQ(ReadTextBytes(kUtf16NoMark + "6").halfCharacterLine, 2u);
  EXPECT_EQ(ReadTextBytes(kUtf16NoMark + "\x3D\xD8"
                                         "6\0"s)
                .halfCharacterLine,
            2u);
  EXPECT_EQ(ReadTextBytes(kUtf16NoMark + "\x3D\xD8\x00\xDE"s).halfCharacterLine, 0u);
}

TEST(TextBytes, ReadsLineEndsAndCtrlZAsTheGamesTextModeDoes) {
  const TextBytes mac = ReadTextBytes("1=1\n2=2\r3=3\r4=4\r\n63=5\r");
  EXPECT_EQ(mac.loneCarriageReturns, 2u);
  EXPECT_EQ(mac.loneCarriageReturnLine, 2u);
  EXPECT_EQ(ReadTextBytes("63=5\r").loneCarriageReturns, 0u);
  EXPECT_EQ(ReadTextBytes("63=5\r\x1A"
                          "1=1\r")
                .loneCarriageReturns,
            0u);
  const TextBytes trailing = ReadTextBytes("1=1\n\x1A\r\n \x1A");
  EXPECT_EQ(trailing.endOfTextLine, 2u);
  EXPECT_FALSE(trailing.textAfterEndOfText);
  EXPECT_TRUE(ReadTextBytes("1=1\x1A\nDEBUG\n").textAfterEndOfText);
  // Pieces of any size give the same reading.
  MemoryBytes bytes("1=1\r2=2\r\n");
  EXPECT_EQ(ReadTextBytes(bytes, 1).loneCarriageReturnLine, 1u);
  EXPECT_EQ(WithLineFeeds("1=1\r2=2\r\n3=3\r"), "1=1\r\n2=2\r\n3=3\r");
}

}  // namespace
}  // namespace vexilo::check
