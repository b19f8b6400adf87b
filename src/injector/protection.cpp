#include "injector/protection.hpp"

namespace injector {

scoped_unprotect::scoped_unprotect(std::uintptr_t address, std::size_t size)
    : address_(address), size_(size), ok_(vexilo::platform::Unprotect(address, size, &previous_)) {}

scoped_unprotect::~scoped_unprotect() {
  if (ok_) vexilo::platform::Reprotect(address_, size_, previous_);
}

}  // namespace injector
