#include "texture_dictionary.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "file_bytes.hpp"
#include "os.hpp"
#include "text.hpp"

namespace vexilo::check {
namespace {

constexpr std::uint64_t kChunkHeaderSize = 12;  // type, size, library version stamp
constexpr std::uint32_t kStructChunk = 0x01;
constexpr std::uint32_t kTextureNativeChunk = 0x15;
constexpr std::uint32_t kTextureDictionaryChunk = 0x16;
constexpr std::uint64_t kNameAt = 8;  // after the platform id and filter flags
constexpr std::size_t kNameSize = 32;
constexpr std::uint64_t kNativeStructMinimum = kNameAt + 2 * kNameSize;  // with the mask name
constexpr std::string_view kPlateback = "plateback";
// As many as a dictionary's count can say.
constexpr std::size_t kMostPlatebacksKept = 65535;
constexpr std::string_view kGamesDictionary = "models/generic/vehicle.txd";

// A chunk, or the file as the one that holds the rest, named for the reasons given.
struct Chunk {
  std::uint32_t type = 0;
  std::uint64_t at = 0;    // where its header starts
  std::uint64_t data = 0;  // where its contents start; 0 for the file, and until its header is read
  std::uint64_t end = 0;   // where its contents end
  std::string name;
};

std::string Within(const Chunk& parent) {
  if (parent.data == 0) return "the file (" + std::to_string(parent.end) + " bytes)";
  return parent.name + " (at " + Hex(parent.end) + ")";
}

// Reads the chunk header at offset, bounded by the parent's end; a problem, or "".
std::string ReadChunk(ByteSource& source, std::uint64_t at, const Chunk& parent, Chunk& chunk) {
  std::uint8_t header[kChunkHeaderSize];
  if (parent.end - at < kChunkHeaderSize || !source.ReadAt(at, sizeof header, header))
    return "truncated: the chunk header at " + Hex(at) + " runs past the end of " + Within(parent);
  chunk.type = Le32(header);
  chunk.at = at;
  chunk.data = at + kChunkHeaderSize;
  const std::uint64_t size = Le32(header + 4);
  if (size > parent.end - chunk.data) {
    return std::string(parent.data == 0 ? "truncated or damaged" : "damaged") + ": the chunk at " +
           Hex(at) + " (type " + Hex(chunk.type) + ") claims " + std::to_string(size) +
           " bytes, past the end of " + Within(parent);
  }
  chunk.end = chunk.data + size;
  return "";
}

// Reads the struct chunk that must open a chunk, at least minimum bytes long.
std::string ReadStruct(ByteSource& source, const Chunk& owner, std::uint64_t minimum,
                       Chunk& inner) {
  std::string problem = ReadChunk(source, owner.data, owner, inner);
  if (!problem.empty() || (inner.type == kStructChunk && inner.end - inner.data >= minimum))
    return problem;
  return "damaged: " + owner.name + " at " + Hex(owner.at) +
         " does not start with a struct chunk of " + std::to_string(minimum) + " bytes or more";
}

}  // namespace

DictionaryReading ReadTextureNames(ByteSource& source,
                                   const std::function<void(std::string_view)>& onName) {
  DictionaryReading reading;
  Chunk file, dictionary, header;
  file.end = source.Size();
  reading.problem = ReadChunk(source, 0, file, dictionary);
  dictionary.name = "the dictionary";
  if (dictionary.data == 0) {
    reading.problem = "not a texture dictionary: it is " + std::to_string(file.end) +
                      " bytes long, too short for one";
  } else if (dictionary.type != kTextureDictionaryChunk) {
    reading.problem = "not a texture dictionary: it starts with chunk type " +
                      Hex(dictionary.type) + ", not " + Hex(kTextureDictionaryChunk);
  } else if (reading.problem.empty()) {
    reading.problem = ReadStruct(source, dictionary, 4 /* count, device */, header);
  }
  dictionary.name = "the dictionary chunk";
  // The count in the header is never used: the chunks that are there are read.
  for (std::uint64_t at = header.end; reading.problem.empty() && at < dictionary.end;) {
    Chunk texture, inner;
    reading.problem = ReadChunk(source, at, dictionary, texture);
    at = texture.end;
    if (!reading.problem.empty() || texture.type != kTextureNativeChunk) continue;
    texture.name = "texture chunk " + std::to_string(++reading.textures);
    reading.problem = ReadStruct(source, texture, kNativeStructMinimum, inner);
    if (!reading.problem.empty()) break;
    char name[kNameSize];
    if (!source.ReadAt(inner.data + kNameAt, kNameSize, reinterpret_cast<std::uint8_t*>(name)))
      reading.problem = "the name of " + texture.name + " cannot be read";
    else
      onName(std::string_view(name, strnlen(name, kNameSize)));
  }
  return reading;
}

std::int64_t PlatebackIndexOf(std::string_view name) {
  const std::string_view digits = name.substr(std::min(name.size(), kPlateback.size()));
  // The game names its textures plateback1, plateback2, ...: no sign, no leading zero.
  std::uint64_t number = 0;
  const char* end = digits.data() + digits.size();
  if (digits.empty() || digits[0] == '0' ||
      !EqualsIgnoringCase(name.substr(0, kPlateback.size()), kPlateback) ||
      std::from_chars(digits.data(), end, number).ptr != end ||
      number > std::uint64_t{INT32_MAX} + 1)
    return -1;
  return static_cast<std::int64_t>(number) - 1;
}

PlateTextures MeasurePlateTextures(const std::string& file, ByteSource& source) {
  PlateTextures textures{file, {}, {}, {}};
  const DictionaryReading reading = ReadTextureNames(source, [&textures](std::string_view name) {
    const std::int64_t plate = PlatebackIndexOf(name);
    if (plate >= 0 && textures.indices.size() < kMostPlatebacksKept)
      textures.indices.insert(static_cast<std::int32_t>(plate));
  });
  if (!reading.problem.empty()) {
    textures.problem = file + " cannot be read as a texture dictionary: " + reading.problem;
    textures.indices.clear();
  }
  return textures;
}

PlateTextures MeasurePlateTextures(const std::string& path) {
  FileBytes bytes(path);
  if (bytes.IsOpen()) return MeasurePlateTextures(path, bytes);
  return {path, path + " cannot be read: " + WhyNotOpened(path), {}, {}};
}

PlateTextures MeasureGameTextures(const std::string& gameFolder) {
  const std::vector<std::string> found = FindFiles(
      {gameFolder}, [](std::string_view name) { return EqualsIgnoringCase(name, "vehicle.txd"); });
  // Paths are shown from the game's folder, as the player names them there.
  const auto shown = [&gameFolder](const std::string& file) {
    return file.substr(gameFolder.size());
  };
  const auto own = std::find_if(found.begin(), found.end(), [&](const std::string& file) {
    return EqualsIgnoringCase(shown(file), kGamesDictionary);
  });
  PlateTextures textures;
  if (own != found.end()) {
    textures = MeasurePlateTextures(*own);
    textures.file = shown(*own);
    if (!textures.Read()) textures.problem = textures.file + textures.problem.substr(own->size());
  } else {
    textures.problem = "there is no " + std::string(kGamesDictionary) +
                       " in the game's folder, where the game loads its plate textures from";
  }
  for (const std::string& file : found) {
    if (own != found.end() && file == *own) continue;
    const PlateTextures copy = MeasurePlateTextures(file);
    textures.copies.push_back(
        shown(file) + " " +
        (copy.Read() ? "holds " + std::to_string(copy.indices.size()) + " plate textures"
                     : "cannot be read as a texture dictionary") +
        ": a copy the game does not read from there");
  }
  return textures;
}

}  // namespace vexilo::check
