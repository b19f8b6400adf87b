#pragma once

#include <cstddef>
#include <cstdint>

namespace vexilo::testing {

/// Pages of the test's own that stand in for host code: readable and
/// executable but not writable, like a real code section. A further page
/// right after them is left unmapped.
class TestPages {
 public:
  explicit TestPages(std::size_t pages = 2);
  ~TestPages();
  TestPages(const TestPages&) = delete;
  TestPages& operator=(const TestPages&) = delete;

  std::uint32_t address(std::size_t offset = 0) const {
    return base_ + static_cast<std::uint32_t>(offset);
  }
  std::uint8_t* bytes(std::size_t offset = 0) const;
  /// An address whose page is not mapped: any protection change there fails.
  std::uint32_t unmapped() const { return base_ + static_cast<std::uint32_t>(size_); }

  /// Writes bytes without going through the code under test.
  void Poke(std::size_t offset, const void* data, std::size_t size);

  /// Makes the pages read-execute again (the state they start in).
  void MakeReadExecute();

 private:
  std::uint32_t base_ = 0;
  std::size_t size_ = 0;
};

/// A page of a file mapped read-only, holding the given 4 bytes at its start:
/// readable, and its protection cannot be changed to writable.
class ReadOnlyFilePage {
 public:
  explicit ReadOnlyFilePage(std::uint32_t value);
  ~ReadOnlyFilePage();
  ReadOnlyFilePage(const ReadOnlyFilePage&) = delete;
  ReadOnlyFilePage& operator=(const ReadOnlyFilePage&) = delete;

  std::uint32_t address() const { return address_; }

 private:
  std::uint32_t address_ = 0;
  std::intptr_t file_ = -1;
  std::intptr_t mapping_ = -1;
};

}  // namespace vexilo::testing
