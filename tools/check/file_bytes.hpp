#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace vexilo::check {

/// Bytes of a file by offset: what the checker's readers of the game's files
/// read through, so that a file of any size is never read whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  /// Reads exactly size bytes from offset on into out; false when it cannot.
  virtual bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) = 0;
};

/// A regular file on disk, read a few bytes at a time where a reader asks,
/// shared with other readers and writers.
class FileBytes : public ByteSource {
 public:
  /// Opens the file at a UTF-8 path written either way (".\x" or "./x").
  explicit FileBytes(const std::string& path);
  /// False when the path names no regular file that opens.
  bool IsOpen() const { return file_.is_open(); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override;

 private:
  std::ifstream file_;
  std::uint64_t size_ = 0;
};

/// Why a file does not open, as the end of a sentence: "there is no such
/// file", "it is a folder", or that it does not open.
std::string WhyNotOpened(const std::string& path);

/// Reads the whole file at a UTF-8 path into bytes, refusing one larger than
/// limit. False when it cannot, with why as the end of a sentence.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason);

}  // namespace vexilo::check
