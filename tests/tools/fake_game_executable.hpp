#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

/// Small 32-bit Windows executables written byte by byte, each laid out so
/// that one known build's probe bytes sit where its section table puts them.
namespace vexilo::testing {

/// Where the fake's headers lie, for tests that break them.
inline constexpr std::uint32_t kFakePeHeaderAt = 0x80;
inline constexpr std::uint32_t kFakeOptionalHeaderAt = kFakePeHeaderAt + 24;
inline constexpr std::uint32_t kFakeSectionTableAt = kFakeOptionalHeaderAt + 224;
inline constexpr std::uint16_t kFakeSectionCount = 3;

/// The executable of a build (1001 ... 3210), or of one no probe names (0):
/// three sections, at file offsets unlike their addresses, covering every
/// probed address, with the build's probe bytes in place.
std::string FakeGameExecutable(std::int32_t build);

/// Writes bytes at a host address (as laid out at 0x400000) of a fake,
/// through its section table.
void PokeFakeImage(std::string& executable, std::uint32_t hostAddress,
                   std::initializer_list<std::uint8_t> bytes);

/// Writes a 16- or 32-bit little-endian value at a file offset.
void PutLe16(std::string& bytes, std::uint32_t offset, std::uint16_t value);
void PutLe32(std::string& bytes, std::uint32_t offset, std::uint32_t value);

}  // namespace vexilo::testing
