// libFuzzer target: the plug-in's reading of a mapping file must match the
// plain second reading for every input, however the bytes arrive in pieces,
// and a tool's observer must see every line, in order, as a short excerpt.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mapping/mapping_format.hpp"
#include "simple_reading.hpp"

namespace {

class LineCounter : public vexilo::MappingReader::Observer {
 public:
  void OnLine(std::size_t number, std::string_view excerpt, const vexilo::MappingLine&) override {
    if (number != ++lines_ || excerpt.size() > vexilo::kLineExcerptBytes) __builtin_trap();
  }
  void OnEndOfText(std::size_t number) override {
    if (number != lines_ && number != lines_ + 1) __builtin_trap();
  }

 private:
  std::size_t lines_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vexilo::testing::SimpleTable expected = vexilo::testing::ReadSimply(bytes);

  // The first byte picks the size of the pieces the reader gets.
  const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
  vexilo::MappingTable table;
  vexilo::MappingReader reader(table);
  for (std::size_t at = 0; at < size; at += piece)
    reader.Feed(std::string_view(bytes).substr(at, piece));
  reader.Finish();

  if (table.debug != expected.debug) __builtin_trap();
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    if (table.plates[zone] != expected.plates[zone]) __builtin_trap();
  }
  const vexilo::MappingTable whole = vexilo::ParseMappingText(bytes);
  if (whole.plates != table.plates || whole.debug != table.debug) __builtin_trap();

  vexilo::MappingTable observed;
  LineCounter counter;
  vexilo::MappingReader explained(observed, &counter);
  for (std::size_t at = 0; at < size; at += piece)
    explained.Feed(std::string_view(bytes).substr(at, piece));
  explained.Finish();
  if (observed.plates != table.plates || observed.debug != table.debug) __builtin_trap();
  return 0;
}
