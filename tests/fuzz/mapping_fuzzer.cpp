// libFuzzer target: the mapping-file reader must read any input, however its
// bytes arrive in pieces, to the same table, and show a tool every line whole
// and in order: the lines and their line ends give the input back, up to a
// byte 0x1A, with a CR kept only where no line feed follows it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mapping/mapping_format.hpp"

namespace {

class LineJoiner : public vexilo::LineObserver {
 public:
  void OnLine(std::size_t number, std::string_view text, const vexilo::MappingLine&) override {
    if (number != ++lines_) __builtin_trap();
    joined.append(text).append("\n");
  }
  void OnEndOfText(std::size_t number) override {
    if (number != lines_ && number != lines_ + 1) __builtin_trap();
  }

  std::string joined;

 private:
  std::size_t lines_ = 0;
};

// The input as text mode gives it, each line ended by a line feed.
std::string TextModeLines(const std::string& bytes) {
  std::string text = bytes.substr(0, bytes.find('\x1A'));
  std::string lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    const bool ended = end != std::string::npos;
    if (!ended) end = text.size();
    std::size_t cut = end;
    if (ended && cut > at && text[cut - 1] == '\r') --cut;
    lines.append(text, at, cut - at).append("\n");
    at = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vexilo::MappingTable whole = vexilo::ParseMappingText(bytes);

  // The first byte picks the size of the pieces the reader gets.
  const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
  std::size_t at = 0;
  vexilo::MappingTable table;
  LineJoiner joiner;
  const bool read = vexilo::ReadMappingText(
      [&](char* buffer, std::size_t room) {
        const std::size_t count = std::min({piece, room, bytes.size() - at});
        bytes.copy(buffer, count, at);
        at += count;
        return static_cast<std::ptrdiff_t>(count);
      },
      table, &joiner);
  if (!read || table.plates != whole.plates || table.debug != whole.debug) __builtin_trap();
  if (joiner.joined != TextModeLines(bytes)) __builtin_trap();
  return 0;
}
