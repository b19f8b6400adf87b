#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.hpp"

namespace injector {

/// A protection window: host bytes made readable, writable and executable for
/// the object's lifetime, their old protection put back when it goes. When the
/// change fails nothing is put back, and the bytes must not be touched.
class [[nodiscard]] scoped_unprotect {
 public:
  scoped_unprotect(std::uintptr_t address, std::size_t size);
  ~scoped_unprotect();
  scoped_unprotect(const scoped_unprotect&) = delete;
  scoped_unprotect& operator=(const scoped_unprotect&) = delete;

  /// True when the bytes may be read and written.
  bool ok() const { return ok_; }

 private:
  std::uintptr_t address_;
  std::size_t size_;
  vexilo::platform::Protection previous_ = 0;
  bool ok_;
};

}  // namespace injector
