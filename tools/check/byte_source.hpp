#pragma once

#include <cstddef>
#include <cstdint>

namespace vexilo::check {

/// Bytes of a file by offset: what the checker's readers of the game's files
/// read through, so that a file of any size is never read whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// The file's size in bytes.
  virtual std::uint64_t Size() const = 0;
  /// Reads exactly size bytes from offset on into out; false when it cannot.
  virtual bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) = 0;
};

}  // namespace vexilo::check
