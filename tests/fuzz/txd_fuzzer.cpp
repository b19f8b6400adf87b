// libFuzzer target: vexilo-check's reading of a texture dictionary must
// refuse any bytes it cannot use with a reason, never read outside them, read
// no more than a name at a time and hardly more than the file in all.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "counted_bytes.hpp"
#include "texture_dictionary.hpp"

namespace {

// Any read outside the input, or larger than a name, traps.
vexilo::testing::CountedBytes Checked(std::string_view bytes) { return {bytes, true, 32}; }

}  // namespace

extern "C" int VexiloFuzzTextureDictionary(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vexilo::testing::CountedBytes source = Checked(bytes);
  std::uint64_t names = 0;
  const vexilo::check::DictionaryReading reading =
      vexilo::check::ReadTextureNames(source, [&names](std::string_view name) {
        if (name.size() > 32) __builtin_trap();
        ++names;
      });
  if (names != reading.textures && reading.problem.empty()) __builtin_trap();
  // Each chunk header is read once, and a texture's name from its own 72 bytes.
  if (source.read > size + 16) __builtin_trap();
  vexilo::testing::CountedBytes again = Checked(bytes);
  const vexilo::check::PlateTextures textures = vexilo::check::MeasurePlateTextures("v.txd", again);
  if (textures.Read() != reading.problem.empty()) __builtin_trap();
  if (!textures.Read() && !textures.indices.empty()) __builtin_trap();
  return 0;
}

#ifdef VEXILO_TXD_FUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return VexiloFuzzTextureDictionary(data, size);
}
#endif
