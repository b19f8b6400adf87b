#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace vexilo::check {

/// What the checker's readers of the game's files read through, so that a file of any size is never
/// read whole.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  /// Exactly size bytes, or false.
  virtual bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) = 0;
};

/// A regular file, read where a reader asks, shared with other readers and writers.
class FileBytes : public ByteSource {
 public:
  /// At a path written either way (".\x" or "./x").
  explicit FileBytes(const std::string& path);
  bool IsOpen() const { return file_.is_open(); }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override;

 private:
  std::ifstream file_;
  std::uint64_t size_ = 0;
};

/// As the end of a sentence: "there is no such file", "it is a folder", ...
std::string WhyNotOpened(const std::string& path);

/// Refuses a file larger than limit; why as the end of a sentence.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason);

}  // namespace vexilo::check
