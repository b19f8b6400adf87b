#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "pe_image.hpp"

namespace vexilo::testing {

/// A fuzzer's input as a reader sees it: counts what is read, and traps on a
/// read larger than largestRead. A read outside the input traps too when
/// trapOutside is set; otherwise it fails, as a file's would.
class CountedBytes : public check::ByteSource {
 public:
  CountedBytes(std::string_view bytes, bool trapOutside, std::size_t largestRead = SIZE_MAX)
      : bytes_(bytes), trapOutside_(trapOutside), largestRead_(largestRead) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override {
    if (size > largestRead_) __builtin_trap();
    if (offset > bytes_.size() || size > bytes_.size() - offset) {
      if (trapOutside_) __builtin_trap();
      return false;
    }
    read += size;
    if (size > 0) std::memcpy(out, bytes_.data() + static_cast<std::size_t>(offset), size);
    return true;
  }
  std::uint64_t read = 0;

 private:
  std::string_view bytes_;
  bool trapOutside_;
  std::size_t largestRead_;
};

}  // namespace vexilo::testing
