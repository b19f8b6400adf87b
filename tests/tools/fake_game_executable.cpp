#include "fake_game_executable.hpp"

#include <stdexcept>

namespace vexilo::testing {
namespace {

struct FakeSection {
  const char* name;
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawOffset;
  std::uint32_t rawSize;
};

// The first covers 0x401000, the second 0x8245BC to 0x82533F, the third
// 0x858C61 to 0x858D54; each holds fewer bytes in the file than in memory.
constexpr FakeSection kSections[kFakeSectionCount] = {
    {".text", 0x1000, 0x2000, 0x400, 0x200},
    {".rdata", 0x424000, 0x3000, 0x600, 0x1400},
    {".data", 0x458000, 0x4000, 0x1A00, 0x1000},
};
constexpr std::uint32_t kFileSize = 0x2A00;
constexpr std::uint32_t kHeadersSize = 0x400;

struct Probe {
  std::uint32_t address;
  std::uint8_t bytes[4];
  std::int32_t build;
};

// As they lie in memory, written out here rather than taken from the
// plug-in's table, so that a wrong entry there shows.
constexpr Probe kProbes[] = {
    {0x401000, {0x55, 0x8B, 0xEC, 0x53}, 1001}, {0x401000, {0xE9, 0x7B, 0x19, 0x16}, 1002},
    {0x8245BC, {0xBF, 0x94, 0x00, 0x00}, 1011}, {0x8252FC, {0xBF, 0x94, 0x00, 0x00}, 1101},
    {0x82533C, {0xBF, 0x94, 0x00, 0x00}, 1111}, {0x858D51, {0x33, 0xF6, 0x39, 0x35}, 3200},
    {0x858C61, {0x33, 0xF6, 0x39, 0x35}, 3210},
};

void PutHeaders(std::string& bytes) {
  bytes[0] = 'M';
  bytes[1] = 'Z';
  PutLe32(bytes, 0x3C, kFakePeHeaderAt);
  bytes.replace(kFakePeHeaderAt, 4, std::string("PE\0\0", 4));
  PutLe16(bytes, kFakePeHeaderAt + 4, 0x14C);
  PutLe16(bytes, kFakePeHeaderAt + 6, kFakeSectionCount);
  PutLe16(bytes, kFakePeHeaderAt + 20, 224);
  PutLe16(bytes, kFakePeHeaderAt + 22, 0x0102);  // executable, 32-bit machine
  PutLe16(bytes, kFakeOptionalHeaderAt, 0x10B);
  PutLe32(bytes, kFakeOptionalHeaderAt + 28, 0x400000);
  PutLe32(bytes, kFakeOptionalHeaderAt + 32, 0x1000);
  PutLe32(bytes, kFakeOptionalHeaderAt + 36, 0x200);
  PutLe32(bytes, kFakeOptionalHeaderAt + 56, 0x45C000);
  PutLe32(bytes, kFakeOptionalHeaderAt + 60, kHeadersSize);
  PutLe32(bytes, kFakeOptionalHeaderAt + 92, 16);
  for (std::uint32_t i = 0; i < kFakeSectionCount; ++i) {
    const FakeSection& section = kSections[i];
    const std::uint32_t entry = kFakeSectionTableAt + i * 40;
    bytes.replace(entry, std::char_traits<char>::length(section.name), section.name);
    PutLe32(bytes, entry + 8, section.virtualSize);
    PutLe32(bytes, entry + 12, section.virtualAddress);
    PutLe32(bytes, entry + 16, section.rawSize);
    PutLe32(bytes, entry + 20, section.rawOffset);
  }
}

}  // namespace

void PutLe16(std::string& bytes, std::uint32_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<char>(value & 0xFF);
  bytes.at(offset + 1) = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::uint32_t offset, std::uint32_t value) {
  PutLe16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
  PutLe16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void PokeFakeImage(std::string& executable, std::uint32_t hostAddress,
                   std::initializer_list<std::uint8_t> bytes) {
  std::uint32_t rva = hostAddress - 0x400000;
  for (std::uint8_t byte : bytes) {
    bool placed = false;
    for (const FakeSection& section : kSections) {
      if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize) {
        executable.at(section.rawOffset + (rva - section.virtualAddress)) = static_cast<char>(byte);
        placed = true;
      }
    }
    if (!placed)
      throw std::out_of_range("the fake executable's file holds no byte at that address");
    ++rva;
  }
}

std::string FakeGameExecutable(std::int32_t build) {
  std::string bytes(kFileSize, '\0');
  PutHeaders(bytes);
  // Code-like filler, so that no probe matches by accident of zeros.
  for (const FakeSection& section : kSections)
    bytes.replace(section.rawOffset, section.rawSize, section.rawSize, '\xCC');
  for (const Probe& probe : kProbes) {
    if (probe.build != build) continue;
    PokeFakeImage(bytes, probe.address,
                  {probe.bytes[0], probe.bytes[1], probe.bytes[2], probe.bytes[3]});
  }
  return bytes;
}

}  // namespace vexilo::testing
