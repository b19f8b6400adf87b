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

/// What a reading of a dictionary found.
struct DictionaryReading {
  /// Why the bytes are no readable dictionary; empty when they are.
  std::string problem;
  /// The texture chunks found, whatever the dictionary's count says.
  std::uint64_t textures = 0;
};

/// Reads a texture dictionary's chunks and calls onName with each texture's
/// name (up to 32 bytes, as written). Every chunk must lie inside the file and
/// inside its parent chunk; a dictionary that breaks that is refused with a
/// reason, though names read before the break have been passed on.
DictionaryReading ReadTextureNames(ByteSource& source,
                                   const std::function<void(std::string_view)>& onName);

/// The plateback index whose texture a name is ("plateback3" gives 2, in any
/// case), or -1 for any other name.
std::int64_t PlatebackIndexOf(std::string_view name);

/// The most plateback indices a measure keeps: as many as a dictionary's
/// count can say.
inline constexpr std::size_t kMostPlatebacksKept = 65535;

/// The plate textures of one dictionary, or why they could not be measured.
struct PlateTextures {
  std::string file;                ///< the dictionary, as shown; empty when none was found
  std::string problem;             ///< what was looked for and why it failed; empty when read
  std::set<std::int32_t> indices;  ///< plateback indices whose texture it holds
  /// The other copies found, one line each with its plate textures.
  std::vector<std::string> copies;

  bool Read() const { return problem.empty(); }
  bool Holds(std::int32_t plate) const { return indices.count(plate) != 0; }
};

/// Measures the plate textures of a dictionary's bytes; file names it.
PlateTextures MeasurePlateTextures(const std::string& file, ByteSource& source);

/// Measures the dictionary at a UTF-8 path.
PlateTextures MeasurePlateTextures(const std::string& path);

/// Where the game loads its vehicle textures from, under its folder.
inline constexpr std::string_view kGamesDictionary = "models/generic/vehicle.txd";

/// Every vehicle.txd (in any case) in the folders (each UTF-8, with its
/// separator; "" for the current one) or their subfolders, shallowest first,
/// in name order.
std::vector<std::string> FindVehicleTxds(const std::vector<std::string>& folders);

/// Measures the dictionary the game loads, models/generic/vehicle.txd under
/// the game's folder (UTF-8, with its separator), and names every other copy
/// found there; a copy elsewhere is never measured in its place. Paths are
/// shown from the game's folder.
PlateTextures MeasureGameTextures(const std::string& gameFolder);

}  // namespace vexilo::check
