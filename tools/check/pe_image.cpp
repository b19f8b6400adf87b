#include "pe_image.hpp"

#include <cstdio>
#include <cstring>

namespace vexilo::check {
namespace {

constexpr std::uint64_t kDosHeaderSize = 64;
constexpr std::uint64_t kNewHeaderOffsetAt = 0x3C;
constexpr std::uint64_t kFileHeaderSize = 24;  // "PE\0\0" and the COFF file header
constexpr std::uint16_t kMachineI386 = 0x14C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
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

std::string MachineProblem(std::uint16_t machine) {
  std::string name = "machine " + Hex(machine);
  if (machine == kMachineAmd64) name = "64-bit x64 (machine " + Hex(machine) + ")";
  if (machine == kMachineArm64) name = "64-bit ARM (machine " + Hex(machine) + ")";
  return "not a 32-bit x86 Windows executable: it is made for " + name;
}

std::string MagicProblem(std::uint16_t magic) {
  if (magic == kMagicPe32Plus)
    return "not a 32-bit Windows executable: its optional header is a 64-bit one (PE32+)";
  return "not a 32-bit Windows executable: its optional header starts with " + Hex(magic) +
         ", not 0x10B";
}

PeSection SectionAt(const std::uint8_t* entry) {
  PeSection section;
  const char* name = reinterpret_cast<const char*>(entry);
  section.name.assign(name, strnlen(name, 8));
  section.virtualSize = Le32(entry + 8);
  section.virtualAddress = Le32(entry + 12);
  section.rawSize = Le32(entry + 16);
  section.rawOffset = Le32(entry + 20);
  return section;
}

// Fills layout.sections from the table at offset; a problem, or "".
std::string ReadSections(ByteSource& source, std::uint64_t offset, std::uint16_t count,
                         PeLayout& layout) {
  const std::uint64_t size = source.Size();
  if (count == 0) return "";
  const std::uint64_t tableSize = count * kSectionHeaderSize;
  std::vector<std::uint8_t> table;
  if (offset + tableSize <= size) table.resize(static_cast<std::size_t>(tableSize));
  if (offset + tableSize > size || !source.ReadAt(offset, table.size(), table.data())) {
    return "truncated: its section table (" + std::to_string(count) + " sections from offset " +
           Hex(offset) + ") runs past the end of the file (" + Bytes(size) + ")";
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    PeSection section = SectionAt(table.data() + i * kSectionHeaderSize);
    const std::uint64_t end = std::uint64_t{section.rawOffset} + section.rawSize;
    if (section.rawSize != 0 && end > size) {
      return "truncated or damaged: section " + std::to_string(i + 1) + " (\"" + section.name +
             "\") lies at " + Hex(section.rawOffset) + " to " + Hex(end) +
             ", past the end of the file (" + Bytes(size) + ")";
    }
    layout.sections.push_back(std::move(section));
  }
  return "";
}

// The offset of the PE header that the DOS header names; a problem, or "".
std::string FindPeHeader(ByteSource& source, std::uint64_t& at) {
  const std::uint64_t size = source.Size();
  std::uint8_t dos[kDosHeaderSize];
  if (size < 2 || !source.ReadAt(0, 2, dos) || dos[0] != 'M' || dos[1] != 'Z') {
    return "not a Windows executable: it does not start with \"MZ\"";
  }
  if (size < kDosHeaderSize || !source.ReadAt(0, sizeof dos, dos)) {
    return "truncated: its DOS header ends after " + Bytes(size) + " of 64";
  }
  at = Le32(dos + kNewHeaderOffsetAt);
  if (at + kFileHeaderSize > size) {
    return "not a Windows executable, or truncated: its PE header would be at " + Hex(at) +
           ", past the end of the file (" + Bytes(size) + ")";
  }
  return "";
}

}  // namespace

bool MemoryBytes::ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
  if (size > 0) std::memcpy(out, bytes_.data() + offset, size);
  return true;
}

PeReading ReadPeLayout(ByteSource& source) {
  std::uint64_t at = 0;
  if (std::string problem = FindPeHeader(source, at); !problem.empty())
    return Refuse(std::move(problem));
  std::uint8_t header[kFileHeaderSize];
  if (!source.ReadAt(at, sizeof header, header)) return Refuse("its PE header cannot be read");
  if (std::memcmp(header, "PE\0\0", 4) != 0) {
    return Refuse("not a Windows executable: no \"PE\" signature at " + Hex(at) +
                  " (an MS-DOS program?)");
  }
  if (Le16(header + 4) != kMachineI386) return Refuse(MachineProblem(Le16(header + 4)));
  const std::uint16_t sections = Le16(header + 6);
  const std::uint16_t optionalSize = Le16(header + 20);
  if (optionalSize < kOptionalHeaderMinimum) {
    return Refuse("truncated: its optional header is " + Bytes(optionalSize) +
                  ", too short for a 32-bit executable");
  }
  std::uint8_t optional[kOptionalHeaderMinimum];
  if (at + kFileHeaderSize + optionalSize > source.Size() ||
      !source.ReadAt(at + kFileHeaderSize, sizeof optional, optional)) {
    return Refuse("truncated: its optional header runs past the end of the file (" +
                  Bytes(source.Size()) + ")");
  }
  if (Le16(optional) != kMagicPe32) return Refuse(MagicProblem(Le16(optional)));
  PeLayout layout;
  layout.imageBase = Le32(optional + 28);
  layout.sizeOfHeaders = Le32(optional + 60);
  if (std::string problem =
          ReadSections(source, at + kFileHeaderSize + optionalSize, sections, layout);
      !problem.empty()) {
    return Refuse(std::move(problem));
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
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
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
    if (rva + i < rva) return std::nullopt;
    const ImageByte where = LocateImageByte(layout, rva + i);
    if (where.origin == ImageByte::Origin::Unmapped) return std::nullopt;
    if (where.origin == ImageByte::Origin::File && !source.ReadAt(where.fileOffset, 1, &bytes[i])) {
      return std::nullopt;
    }
  }
  return Le32(bytes);
}

}  // namespace vexilo::check
