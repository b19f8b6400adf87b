#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "file_bytes.hpp"

/// How a mapping file's bytes are written, found in one pass over them, so
/// that the check and --fix cannot judge them apart: the encoding, and the
/// line ends and 0x1A as the game's text mode meets them.
namespace vexilo::check {

/// The mark Notepad's "UTF-8 with BOM" puts at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class Encoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

struct TextBytes {
  Encoding encoding = Encoding::Bytes;
  bool marked = false;  ///< a byte-order mark, UTF-8's or UTF-16's, opens the file
  /// The line (from 1) of UTF-16 that holds half a character; 0 when none.
  std::size_t halfCharacterLine = 0;

  /// The rest is about 8-bit text, lines as the game counts them: the
  /// carriage returns that end no line (neither before a line feed nor the
  /// last byte the game reads: it reads "63=5\r" as 63=5), and the first's line.
  std::size_t loneCarriageReturns = 0;
  std::size_t loneCarriageReturnLine = 0;
  /// The line of the first 0x1A, where the game's reading ends; 0 when none.
  std::size_t endOfTextLine = 0;
  /// Whether anything but blanks, line ends and 0x1A follows it, which the
  /// game would read once the 0x1A goes.
  bool textAfterEndOfText = false;

  bool Utf16() const { return encoding != Encoding::Bytes; }
  /// Which --fix cannot decode, and so leaves to the player.
  bool HalfUtf16() const { return Utf16() && halfCharacterLine != 0; }
};

TextBytes ReadTextBytes(std::string_view bytes);
/// Read piece bytes at a time.
TextBytes ReadTextBytes(ByteSource& source, std::size_t piece = 64 << 10);

/// Mark and all; only for read.Utf16() and no half character.
std::string Utf16AsUtf8(std::string_view bytes, const TextBytes& read);

/// 8-bit text without its bytes 0x1A, or with a line feed after each lone CR.
std::string WithoutEndOfText(std::string_view text);
std::string WithLineFeeds(std::string_view text);

}  // namespace vexilo::check
