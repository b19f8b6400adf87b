#include "text_bytes.hpp"

#include <algorithm>

#include "os.hpp"
#include "pe_image.hpp"

namespace vexilo::check {
namespace {

constexpr char kEndOfText = '\x1A';

// Text mode ends a line at a CR only before a line feed; a CR that the
// reading ends after (the last byte, or one before 0x1A) stays in the last
// line, where the number fields skip it as a blank.
bool IsLoneCarriageReturn(char c, char next) {
  return c == '\r' && next != '\n' && next != kEndOfText;
}

// Fed the bytes in order, in pieces of any size.
struct TextScan {
  std::size_t line_ = 1;
  bool carriageReturn_ = false;  // the last byte read was a CR
  TextBytes found_;
  // UTF-16 without a mark is told by where its zero bytes stand.
  std::uint64_t bytes_ = 0;
  std::uint64_t zeros_[2] = {0, 0};
  std::string head_;  // the first bytes, for a mark
  std::uint8_t previous_ = 0;
  // Per byte order: the line, and a high surrogate awaiting its low half.
  struct Units {
    std::size_t line = 1;
    bool high = false;
    std::size_t halfLine = 0;
  } units_[2];

  void Add(std::string_view piece) {
    for (const char c : piece) {
      const auto byte = static_cast<std::uint8_t>(c);
      if (head_.size() < 3) head_ += c;
      zeros_[bytes_ % 2] += byte == 0 ? 1 : 0;
      if (bytes_++ % 2 == 1) AddUnit(previous_, byte);
      previous_ = byte;
      if (found_.endOfTextLine != 0) {
        found_.textAfterEndOfText |=
            std::string_view(" \t\r\n\x1A").find(c) == std::string_view::npos;
        continue;
      }
      if (carriageReturn_ && IsLoneCarriageReturn('\r', c) && found_.loneCarriageReturns++ == 0)
        found_.loneCarriageReturnLine = line_;
      carriageReturn_ = c == '\r';
      if (c == '\n') ++line_;
      if (c == kEndOfText) found_.endOfTextLine = line_;
    }
  }

  // Both byte orders are followed, since which one holds is known only at the end.
  void AddUnit(std::uint8_t first, std::uint8_t second) {
    for (int order = 0; order < 2; ++order) {
      Units& units = units_[order];
      const std::uint32_t a = order == 0 ? first : second, b = order == 0 ? second : first;
      const std::uint32_t unit = a | b << 8;
      const bool low = (unit & 0xFC00) == 0xDC00;
      // A high half not followed by a low one, or a low one alone.
      if (units.halfLine == 0 && units.high != low) units.halfLine = units.line;
      units.high = (unit & 0xFC00) == 0xD800;
      if (unit == '\n') ++units.line;
    }
  }

  TextBytes Finish() const {
    TextBytes read = found_;
    const std::string_view head = head_;
    // The ASCII of a mapping line in UTF-16 is a zero byte in every other
    // place; other letters (U+0100, a surrogate's half) may put one between.
    const std::size_t odd = zeros_[1] > zeros_[0] ? 1 : 0;
    if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
      read.marked = true;
      read.encoding = head[0] == '\xFF' ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
    } else if (head == kByteOrderMark) {
      read.marked = true;
    } else if (zeros_[0] != zeros_[1] && zeros_[odd] * 2 >= (bytes_ + 1 - odd) / 2) {
      read.encoding = odd == 1 ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
    }
    if (!read.Utf16()) return read;
    const Units& units = units_[read.encoding == Encoding::Utf16BigEndian ? 1 : 0];
    read.halfCharacterLine = units.halfLine;
    if (read.halfCharacterLine == 0 && (units.high || bytes_ % 2 == 1))
      read.halfCharacterLine = units.line;
    return read;
  }
};

}  // namespace

TextBytes ReadTextBytes(std::string_view bytes) {
  MemoryBytes source(bytes);
  return ReadTextBytes(source);
}

TextBytes ReadTextBytes(ByteSource& source, std::size_t piece) {
  TextScan scan;
  std::string bytes;
  for (std::uint64_t at = 0; at < source.Size(); at += bytes.size()) {
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(piece, source.Size() - at)));
    if (!source.ReadAt(at, bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()))) break;
    scan.Add(bytes);
  }
  return scan.Finish();
}

std::string Utf16AsUtf8(std::string_view bytes, const TextBytes& read) {
  if (read.marked) bytes.remove_prefix(2);
  const std::size_t high = read.encoding == Encoding::Utf16BigEndian ? 0 : 1;
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i + high]) << 8 |
                                   static_cast<std::uint8_t>(bytes[i + 1 - high]));
  }
  return Utf8Of(units);
}

std::string WithoutEndOfText(std::string_view text) {
  std::string kept(text);
  kept.erase(std::remove(kept.begin(), kept.end(), kEndOfText), kept.end());
  return kept;
}

std::string WithLineFeeds(std::string_view text) {
  std::string ended;
  ended.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    ended += text[i];
    if (i + 1 < text.size() && IsLoneCarriageReturn(text[i], text[i + 1])) ended += '\n';
  }
  return ended;
}

}  // namespace vexilo::check
