#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "byte_source.hpp"
#include "os.hpp"

namespace vexilo::check {

/// A file on disk, read a few bytes at a time where a reader asks.
class FileBytes : public ByteSource {
 public:
  /// Opens the file at a UTF-8 path written either way (".\x" or "./x").
  explicit FileBytes(const std::string& path);
  /// False when the file cannot be opened or its size cannot be told.
  bool IsOpen() const { return file_.IsOpen() && size_ >= 0; }
  std::uint64_t Size() const override { return size_ < 0 ? 0 : static_cast<std::uint64_t>(size_); }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override;

 private:
  FileAtOffsets file_;
  std::int64_t size_;
};

/// Why a file does not open, when the path tells, as the end of a sentence:
/// "there is no such file", "it is a folder"; "" when it does not tell.
std::string WhyNotOpened(const std::string& path);

/// Why a file that FileBytes could not open cannot be read, as one phrase:
/// "cannot be read: there is no such file".
std::string WhyCannotOpen(const std::string& path);

/// Reads the whole file at a UTF-8 path into bytes, refusing one larger than
/// limit. On failure returns false and says why in reason, as the end of a
/// sentence: "there is no such file".
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason);

}  // namespace vexilo::check
