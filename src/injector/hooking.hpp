#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "injector/branch.hpp"

/// Reading and writing the host's code. Every access to host code goes
/// through a protection window; an access whose window cannot be opened is
/// skipped, so a page that stays unwritable is never written.
namespace injector {

/// Copies size bytes at address into buffer, inside a protection window when
/// unprotect is set (and size is not 0). Returns false, leaving buffer as it
/// was, when the window cannot be opened.
bool read_raw(void* buffer, std::size_t size, address_t address, bool unprotect);

/// Where the branch at address goes: E8/E9 rel32, or FF 15/FF 25 through a
/// pointer slot. 0 for anything else, for bytes that cannot be read, and for a
/// slot whose 4 bytes are not readable.
address_t read_branch_target(address_t address);

/// Makes the 5 bytes at address a relative jump to destination, in one
/// protection window; where they lie in one aligned 8-byte block, with one
/// indivisible store. Returns where the branch that stood there went, or 0.
address_t write_jump(address_t address, address_t destination);

/// As write_jump, with a relative call.
address_t write_call(address_t address, address_t destination);

/// Something that has borrowed host bytes and can put them back.
class scoped_base {
 public:
  scoped_base() = default;
  scoped_base(const scoped_base&) = delete;
  scoped_base& operator=(const scoped_base&) = delete;
  virtual ~scoped_base() = default;

  /// Puts borrowed bytes back.
  virtual void restore() = 0;
};

/// Saves up to bufsize host bytes before they are overwritten and writes
/// them back on restore() or when destroyed.
template <std::size_t bufsize>
class scoped_basic : public scoped_base {
 public:
  scoped_basic() = default;
  ~scoped_basic() override { scoped_basic::restore(); }

  /// Writes the saved bytes back, inside a protection window when they were
  /// saved with one. Does nothing when nothing is saved.
  void restore() override {
    if (!saved_) return;
    saved_ = false;
    put_back();
  }

  /// Saves size bytes at address, after putting back whatever this object
  /// held (through the dynamic type's restore()).
  virtual void backup(address_t address, std::size_t size, bool unprotect) {
    assert(size <= bufsize && "size <= bufsize");
    if (size > bufsize) return;
    this->restore();
    address_ = address;
    size_ = static_cast<std::uint32_t>(size);
    unprotect_ = unprotect;
    // Bytes that could not be read are not held: writing them back later
    // would put garbage into the host.
    saved_ = read_raw(saved_bytes_, size, address, unprotect);
  }

  bool is_saved() const { return saved_; }
  address_t address() const { return address_; }
  std::size_t size() const { return size_; }
  const std::uint8_t* saved_bytes() const { return saved_bytes_; }

 private:
  void put_back() const;

  std::uint8_t saved_bytes_[bufsize]{};
  address_t address_ = 0;
  std::uint32_t size_ = 0;
  bool saved_ = false;
  bool unprotect_ = false;
};

/// Copies bytes back to host memory, inside a protection window when asked;
/// skips the write when the window cannot be opened. Through a window, bytes
/// within one aligned 8-byte block are written with one indivisible store.
void write_back(address_t address, const std::uint8_t* bytes, std::size_t size, bool unprotect);

template <std::size_t bufsize>
void scoped_basic<bufsize>::put_back() const {
  write_back(address_, saved_bytes_, size_, unprotect_);
}

/// The saved 5 bytes of a call instruction.
class scoped_call : public scoped_basic<5> {};

}  // namespace injector
