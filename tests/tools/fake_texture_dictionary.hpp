#pragma once

#include <string>
#include <vector>

/// Small texture dictionaries written byte by byte, as the game's PC builds
/// lay them out: a dictionary chunk, its struct, one texture chunk per name.
namespace vexilo::testing {

/// A dictionary of textures with these names (up to 32 bytes each, no NUL
/// added to one of 32), each with a few bytes of pixels and an extension
/// chunk, and the dictionary's own extension chunk last.
std::string FakeTextureDictionary(const std::vector<std::string>& names);

/// Where the first texture chunk's header starts, and its size field.
inline constexpr std::size_t kFirstTextureAt = 12 + 12 + 4;

}  // namespace vexilo::testing
