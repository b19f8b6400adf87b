#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "pe_image.hpp"

/// The plate textures the game really has, read from its vehicle texture
/// dictionary (a RenderWare binary stream) a chunk header at a time: only the
/// textures' names are read, so a file of any size costs the same memory.
namespace vexilo::check {

struct DictionaryReading {
  /// Why the bytes are no readable dictionary; empty when they are.
  std::string problem;
  /// The texture chunks found, whatever the dictionary's count says.
  std::uint64_t textures = 0;
};

/// Calls onName with each texture's name (up to 32 bytes, as written). A
/// chunk that leaves the file or its parent chunk is refused with a reason,
/// though names read before it have been passed on.
DictionaryReading ReadTextureNames(ByteSource& source,
                                   const std::function<void(std::string_view)>& onName);

/// "plateback3" gives 2, in any case; -1 for any other name.
std::int64_t PlatebackIndexOf(std::string_view name);

struct PlateTextures {
  std::string file;                ///< as shown; empty when none was found
  std::string problem;             ///< what was looked for and why it failed; empty when read
  std::set<std::int32_t> indices;  ///< plateback indices whose texture it holds
  /// The other copies found, one line each with its plate textures.
  std::vector<std::string> copies;

  bool Read() const { return problem.empty(); }
  bool Holds(std::int32_t plate) const { return indices.count(plate) != 0; }
};

/// file names the source in the result.
PlateTextures MeasurePlateTextures(const std::string& file, ByteSource& source);
PlateTextures MeasurePlateTextures(const std::string& path);

/// Measures the dictionary the game loads under its folder (with its
/// separator), never a copy elsewhere in its place, and names every copy.
PlateTextures MeasureGameTextures(const std::string& gameFolder);

}  // namespace vexilo::check
