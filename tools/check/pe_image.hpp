#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_bytes.hpp"

/// The little of a 32-bit Windows executable's headers that tells where its
/// code lies in the file: read over any source of bytes, a few at a time, so
/// that a file of any size is never read whole.
namespace vexilo::check {

std::uint32_t Le32(const std::uint8_t* bytes);
/// As the readers name offsets and types: "0x1A".
std::string Hex(std::uint64_t value);

class MemoryBytes : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override {
    if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
    bytes_.copy(reinterpret_cast<char*>(out), size, static_cast<std::size_t>(offset));
    return true;
  }

 private:
  std::string_view bytes_;
};

struct PeSection {
  std::string name;  ///< up to 8 bytes, as written
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawOffset = 0;  ///< PointerToRawData
  std::uint32_t rawSize = 0;    ///< SizeOfRawData
};

/// Where an i386 executable's bytes lie once it is loaded.
struct PeLayout {
  std::uint32_t imageBase = 0;
  std::uint32_t sizeOfHeaders = 0;
  std::vector<PeSection> sections;
};

struct PeReading {
  std::optional<PeLayout> layout;
  /// Set when layout is not, as "not a Windows executable: ...".
  std::string problem;
};

/// Refuses anything but a 32-bit x86 executable, headers cut short, and
/// sections whose bytes would lie past the end of the file.
PeReading ReadPeLayout(ByteSource& source);

/// Where the loader takes a byte of the loaded image from: the file, the
/// zeros that fill a section beyond its raw data, or nothing.
struct ImageByte {
  enum class Origin { File, Zero, Unmapped };
  Origin origin = Origin::Unmapped;
  std::uint64_t fileOffset = 0;  ///< for Origin::File
};
/// rva: an offset from the image's start.
ImageByte LocateImageByte(const PeLayout& layout, std::uint32_t rva);
/// Nothing when any of its bytes is outside the image or cannot be read.
std::optional<std::uint32_t> ReadImageLe32(const PeLayout& layout, ByteSource& source,
                                           std::uint32_t rva);

}  // namespace vexilo::check
