// libFuzzer target: vexilo-check's reading of a game executable must refuse
// any bytes it cannot use with a reason, never read outside them, and read
// only a bounded amount of them however large they claim to be.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "counted_bytes.hpp"
#include "game_build.hpp"
#include "pe_image.hpp"

namespace {

using vexilo::check::ImageByte;
using vexilo::testing::CountedBytes;

// The headers the reader may read, with a table of the most sections there
// can be, and the probes' bytes one at a time.
constexpr std::uint64_t kMostBytesRead = 64 + 24 + 96 + 0xFFFFull * 40 + 7 * 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CountedBytes source(bytes, false);
  const vexilo::check::PeReading reading = vexilo::check::ReadPeLayout(source);
  if (reading.layout.has_value() == !reading.problem.empty()) __builtin_trap();
  if (reading.layout) {
    // A section's bytes in the file lie inside the file.
    for (const vexilo::check::PeSection& section : reading.layout->sections) {
      const std::uint32_t start = section.virtualAddress;
      for (const std::uint32_t rva :
           {start, start + 1, start + section.rawSize - 1, start + section.rawSize}) {
        const ImageByte where = vexilo::check::LocateImageByte(*reading.layout, rva);
        if (where.origin == ImageByte::Origin::File && rva >= reading.layout->sizeOfHeaders &&
            where.fileOffset >= size) {
          __builtin_trap();
        }
      }
    }
  }
  CountedBytes again(bytes, false);
  const vexilo::check::GameBuild build = vexilo::check::ReadGameBuild("game.exe", again);
  if (build.Read() != reading.layout.has_value()) __builtin_trap();
  if (vexilo::check::DescribeGameBuild(build).empty()) __builtin_trap();
  if (again.read > kMostBytesRead) __builtin_trap();
  return 0;
}
