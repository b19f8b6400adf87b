#include "injector/hooking.hpp"

#include <cstring>
#include <optional>

#include "injector/block_write.hpp"
#include "injector/protection.hpp"
#include "platform/platform.hpp"

namespace injector {
namespace {

void* host_pointer(address_t address) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

bool read_u8(address_t address, std::uint8_t& value) { return read_raw(&value, 1, address, true); }

bool read_u32(address_t address, std::uint32_t& value) {
  std::uint8_t bytes[4];
  if (!read_raw(bytes, sizeof bytes, address, true)) return false;
  value = load_le32(bytes);
  return true;
}

// The host may be running this code on another thread: inside one aligned
// block the bytes go in with one locked store, merged with the neighbours
// that were there. A neighbour changed meanwhile is kept by trying again.
void store_in_one_block(address_t address, const std::uint8_t* bytes, std::size_t size) {
  const address_t block = block_of(address);
  std::uint64_t seen;
  std::memcpy(&seen, host_pointer(block), sizeof seen);
  for (;;) {
    const std::uint64_t wanted = merge_into_block(seen, address - block, bytes, size);
    const std::uint64_t found = vexilo::platform::CompareExchange64(block, seen, wanted);
    if (found == seen) return;
    seen = found;
  }
}

// Code is written through a window; bytes written without one are plain data
// of the caller's, whose neighbours are none of this layer's business.
void store_code(address_t address, const std::uint8_t* bytes, std::size_t size) {
  if (fits_one_block(address, size)) {
    store_in_one_block(address, bytes, size);
  } else {
    std::memcpy(host_pointer(address), bytes, size);
  }
}

// A pointer slot is data, often the host's import table: it is read as it is
// where the platform says its 4 bytes are readable, and its protection is
// never changed.
bool read_slot(address_t slot, std::uint32_t& value) {
  for (const address_t byte : {slot, slot + 3}) {
    const std::optional<vexilo::platform::Protection> protection =
        vexilo::platform::QueryProtection(byte);
    if (!protection || !vexilo::platform::IsReadable(*protection)) return false;
  }
  std::uint8_t bytes[4];
  std::memcpy(bytes, host_pointer(slot), sizeof bytes);
  value = load_le32(bytes);
  return true;
}

address_t write_rel32(std::uint8_t opcode, address_t address, address_t destination) {
  const address_t previous = read_branch_target(address);
  const rel32_instruction instruction = encode_rel32(opcode, address, destination);
  // One window for all 5 bytes, so the instruction is never left half-written
  // by a failed second protection change.
  write_back(address, instruction.data(), instruction.size(), true);
  return previous;
}

}  // namespace

bool read_raw(void* buffer, std::size_t size, address_t address, bool unprotect) {
  if (!unprotect || size == 0) {
    std::memcpy(buffer, host_pointer(address), size);
    return true;
  }
  const scoped_unprotect window(address, size);
  if (!window.ok()) return false;
  std::memcpy(buffer, host_pointer(address), size);
  return true;
}

void write_back(address_t address, const std::uint8_t* bytes, std::size_t size, bool unprotect) {
  if (size == 0) return;
  if (unprotect) {
    const scoped_unprotect window(address, size);
    if (!window.ok()) return;
    store_code(address, bytes, size);
  } else {
    std::memcpy(host_pointer(address), bytes, size);
  }
  vexilo::platform::FlushCode(address, size);
}

address_t read_branch_target(address_t address) {
  std::uint8_t opcode = 0;
  if (!read_u8(address, opcode)) return 0;
  if (opcode == kCallRel32 || opcode == kJmpRel32) {
    std::uint32_t rel32 = 0;
    return read_u32(address + 1, rel32)
               ? rel32_destination(address, static_cast<std::int32_t>(rel32))
               : 0;
  }
  std::uint8_t modrm = 0;
  if (opcode != kIndirectPrefix || !read_u8(address + 1, modrm)) return 0;
  if (modrm != kCallThroughSlot && modrm != kJumpThroughSlot) return 0;
  std::uint32_t slot = 0;
  std::uint32_t destination = 0;
  if (!read_u32(address + 2, slot) || !read_slot(slot, destination)) return 0;
  return destination;
}

address_t write_jump(address_t address, address_t destination) {
  return write_rel32(kJmpRel32, address, destination);
}

address_t write_call(address_t address, address_t destination) {
  return write_rel32(kCallRel32, address, destination);
}

}  // namespace injector
