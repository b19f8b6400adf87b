#include "fake_texture_dictionary.hpp"

#include <cstdint>

#include "fake_game_executable.hpp"

namespace vexilo::testing {
namespace {

constexpr std::uint32_t kVersionStamp = 0x1803FFFF;

std::string Chunk(std::uint32_t type, const std::string& contents) {
  std::string chunk(12, '\0');
  PutLe32(chunk, 0, type);
  PutLe32(chunk, 4, static_cast<std::uint32_t>(contents.size()));
  PutLe32(chunk, 8, kVersionStamp);
  return chunk + contents;
}

std::string Texture(const std::string& name) {
  std::string header(8 + 32 + 32, '\0');
  PutLe32(header, 0, 9);       // platform
  PutLe32(header, 4, 0x1106);  // filter flags
  header.replace(8, name.size(), name);
  header.replace(40, 4, "mask");
  const std::string pixels(16, '\x7F');
  return Chunk(0x15, Chunk(0x01, header + pixels) + Chunk(0x03, ""));
}

}  // namespace

std::string FakeTextureDictionary(const std::vector<std::string>& names) {
  std::string header(4, '\0');
  PutLe16(header, 0, static_cast<std::uint16_t>(names.size()));
  PutLe16(header, 2, 2);
  std::string contents = Chunk(0x01, header);
  for (const std::string& name : names) contents += Texture(name);
  return Chunk(0x16, contents + Chunk(0x03, ""));
}

}  // namespace vexilo::testing
