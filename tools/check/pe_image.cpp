#include "pe_image.hpp"

#include <cstdio>
#include <cstring>

namespace vexilo::check {
namespace {

constexpr std::uint64_t kFileHeaderSize = 24;  // "PE\0\0" and the COFF file header
// The fixed part of a 32-bit optional header, up to its count of data
// directories; a shorter one is cut short.
constexpr std::uint16_t kOptionalHeaderMinimum = 96;
constexpr std::uint64_t kSectionHeaderSize = 40;

std::uint16_t Le16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::string Bytes(std::uint64_t size) {
  return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

PeReading Refuse(std::string problem) { return PeReading{std::nullopt, std::move(problem)}; }

}  // namespace

PeReading ReadPeLayout(ByteSource& source) {
  const std::uint64_t size = source.Size();
  const std::string pastTheEnd = "past the end of the file (" + Bytes(size) + ")";
  std::uint8_t dos[64];
  if (size < 2 || !source.ReadAt(0, 2, dos) || dos[0] != 'M' || dos[1] != 'Z')
    return Refuse("not a Windows executable: it does not start with \"MZ\"");
  if (size < sizeof dos || !source.ReadAt(0, sizeof dos, dos))
    return Refuse("truncated: its DOS header ends after " + Bytes(size) + " of 64");
  const std::uint64_t at = Le32(dos + 0x3C);
  if (at + kFileHeaderSize > size) {
    return Refuse("not a Windows executable, or truncated: its PE header would be at " + Hex(at) +
                  ", " + pastTheEnd);
  }
  std::uint8_t header[kFileHeaderSize];
  if (!source.ReadAt(at, sizeof header, header)) return Refuse("its PE header cannot be read");
  if (std::memcmp(header, "PE\0\0", 4) != 0) {
    return Refuse("not a Windows executable: no \"PE\" signature at " + Hex(at) +
                  " (an MS-DOS program?)");
  }
  if (const std::uint16_t machine = Le16(header + 4); machine != 0x14C /* i386 */) {
    std::string name = "machine " + Hex(machine);
    if (machine == 0x8664) name = "64-bit x64 (" + name + ")";
    if (machine == 0xAA64) name = "64-bit ARM (" + name + ")";
    return Refuse("not a 32-bit x86 Windows executable: it is made for " + name);
  }
  const std::uint16_t optionalSize = Le16(header + 20);
  if (optionalSize < kOptionalHeaderMinimum) {
    return Refuse("truncated: its optional header is " + Bytes(optionalSize) +
                  ", too short for a 32-bit executable");
  }
  std::uint8_t optional[kOptionalHeaderMinimum];
  if (at + kFileHeaderSize + optionalSize > size ||
      !source.ReadAt(at + kFileHeaderSize, sizeof optional, optional))
    return Refuse("truncated: its optional header runs " + pastTheEnd);
  if (Le16(optional) == 0x20B)
    return Refuse("not a 32-bit Windows executable: its optional header is a 64-bit one (PE32+)");
  if (Le16(optional) != 0x10B) {
    return Refuse("not a 32-bit Windows executable: its optional header starts with " +
                  Hex(Le16(optional)) + ", not 0x10B");
  }
  PeLayout layout{Le32(optional + 28), Le32(optional + 60), {}};
  const std::uint64_t offset = at + kFileHeaderSize + optionalSize;
  const std::uint16_t count = Le16(header + 6);
  std::vector<std::uint8_t> table(count * kSectionHeaderSize);
  if (count != 0 &&
      (offset + table.size() > size || !source.ReadAt(offset, table.size(), table.data()))) {
    return Refuse("truncated: its section table (" + std::to_string(count) +
                  " sections from offset " + Hex(offset) + ") runs " + pastTheEnd);
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = table.data() + i * kSectionHeaderSize;
    const char* name = reinterpret_cast<const char*>(entry);
    PeSection section{std::string(name, strnlen(name, 8)), Le32(entry + 12), Le32(entry + 8),
                      Le32(entry + 20), Le32(entry + 16)};
    const std::uint64_t end = std::uint64_t{section.rawOffset} + section.rawSize;
    if (section.rawSize != 0 && end > size) {
      return Refuse("truncated or damaged: section " + std::to_string(i + 1) + " (\"" +
                    section.name + "\") lies at " + Hex(section.rawOffset) + " to " + Hex(end) +
                    ", " + pastTheEnd);
    }
    layout.sections.push_back(std::move(section));
  }
  return PeReading{std::move(layout), ""};
}

ImageByte LocateImageByte(const PeLayout& layout, std::uint32_t rva) {
  for (const PeSection& section : layout.sections) {
    // The loader maps VirtualSize bytes (SizeOfRawData when that is 0) and
    // fills what the file does not hold with zeros.
    const std::uint32_t mapped = section.virtualSize != 0 ? section.virtualSize : section.rawSize;
    if (rva < section.virtualAddress || rva - section.virtualAddress >= mapped) continue;
    const std::uint32_t into = rva - section.virtualAddress;
    if (into >= section.rawSize) return ImageByte{ImageByte::Origin::Zero, 0};
    return ImageByte{ImageByte::Origin::File, std::uint64_t{section.rawOffset} + into};
  }
  if (rva < layout.sizeOfHeaders) return ImageByte{ImageByte::Origin::File, rva};
  return ImageByte{};
}

std::uint32_t Le32(const std::uint8_t* bytes) {
  return Le16(bytes) | std::uint32_t{Le16(bytes + 2)} << 16;
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::optional<std::uint32_t> ReadImageLe32(const PeLayout& layout, ByteSource& source,
                                           std::uint32_t rva) {
  std::uint8_t bytes[4] = {};
  for (std::uint32_t i = 0; i < 4; ++i) {
    const ImageByte where = LocateImageByte(layout, rva + i);
    if (rva + i < rva || where.origin == ImageByte::Origin::Unmapped ||
        (where.origin == ImageByte::Origin::File && !source.ReadAt(where.fileOffset, 1, &bytes[i])))
      return std::nullopt;
  }
  return Le32(bytes);
}

}  // namespace vexilo::check
