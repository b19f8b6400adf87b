// libFuzzer target: vexilo-check's reading of a texture dictionary must
// refuse any bytes it cannot use with a reason, never read outside them, read
// no more than a name at a time and hardly more than the file in all.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "texture_dictionary.hpp"

namespace {

using vexilo::check::ByteSource;

// The input, trapping on any read outside it or larger than a name.
class CheckedBytes : public ByteSource {
 public:
  explicit CheckedBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override {
    if (offset > bytes_.size() || size > bytes_.size() - offset || size > 32) __builtin_trap();
    read += size;
    if (size > 0) std::memcpy(out, bytes_.data() + static_cast<std::size_t>(offset), size);
    return true;
  }
  std::uint64_t read = 0;

 private:
  std::string_view bytes_;
};

}  // namespace

extern "C" int VexiloFuzzTextureDictionary(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckedBytes source(bytes);
  std::uint64_t names = 0;
  const vexilo::check::DictionaryReading reading =
      vexilo::check::ReadTextureNames(source, [&names](std::string_view name) {
        if (name.size() > 32) __builtin_trap();
        ++names;
      });
  if (names != reading.textures && reading.problem.empty()) __builtin_trap();
  // Each chunk header is read once, and a texture's name from its own 72 bytes.
  if (source.read > size + 16) __builtin_trap();
  CheckedBytes again(bytes);
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
