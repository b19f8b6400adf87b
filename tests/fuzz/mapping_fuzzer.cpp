// libFuzzer target: the plug-in's reading of a mapping file must match the
// plain second reading for every input, however the bytes arrive in pieces,
// and the checker must explain any input without failing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/mapping_format.hpp"
#include "simple_reading.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const vexilo::testing::SimpleTable expected = vexilo::testing::ReadSimply(bytes);

  // The first byte picks the size of the pieces the reader gets.
  const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
  vexilo::MappingTable table;
  vexilo::MappingReader reader(table);
  for (std::size_t at = 0; at < size; at += piece) reader.Feed(std::string_view(bytes).substr(at, piece));
  reader.Finish();

  if (table.debug != expected.debug) __builtin_trap();
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    if (table.plates[zone] != expected.plates[zone]) __builtin_trap();
  }
  const vexilo::MappingTable whole = vexilo::ParseMappingText(bytes);
  if (whole.plates != table.plates || whole.debug != table.debug) __builtin_trap();

  return 0;
}
