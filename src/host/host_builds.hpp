#pragma once

#include <cstdint>
#include <optional>

/// The known builds of the host and the probes that tell them apart. Plain
/// data: the plug-in reads the probes from the running host, vexilo-check
/// from the game's executable on disk, so both name a build alike.
namespace vexilo::host {

/// Id of a build none of the probes recognises.
inline constexpr std::int32_t kUnknownHostVersion = 0;

/// The builds the plug-in's code addresses were taken from: only on these is
/// the frame hooked and the debug line drawn.
inline constexpr std::int32_t kHostVersion1001 = 1001;
inline constexpr std::int32_t kHostVersion1002 = 1002;

/// 32 bits at a host address, as the executable lays it out at the base
/// 0x400000, that only one build holds there.
struct VersionProbe {
  std::uint32_t address;
  std::uint32_t expected;  ///< read little-endian
  std::int32_t version;
};

/// In this order; the first match wins (see IdentifyBuild). The first two
/// read the same address.
inline constexpr VersionProbe kVersionProbes[] = {
    {0x401000, 0x53EC8B55, kHostVersion1001},
    {0x401000, 0x16197BE9, kHostVersion1002},
    {0x8245BC, 0x000094BF, 1011},
    {0x8252FC, 0x000094BF, 1101},
    {0x82533C, 0x000094BF, 1111},
    {0x858D51, 0x3539F633, 3200},
    {0x858C61, 0x3539F633, 3210},
};

/// The build the probes name: the id of the first whose 32 bits read32 finds
/// at its address, kUnknownHostVersion when none. read32 takes a host address
/// as laid out at 0x400000 and gives the 32 bits there, or nothing when they
/// cannot be read (which no probe matches).
template <class Read32>
std::int32_t IdentifyBuild(Read32 read32) {
  for (const VersionProbe& probe : kVersionProbes) {
    const std::optional<std::uint32_t> value = read32(probe.address);
    if (value && *value == probe.expected) return probe.version;
  }
  return kUnknownHostVersion;
}

/// What the plug-in does on a build.
enum class HostSupport {
  PlatesAndDebugLine,  ///< 1001, 1002: the builds its code addresses come from
  PlatesOnly,          ///< a build no probe recognises: it may be a variant of those two
  Nothing,             ///< the other known builds: their code lies elsewhere
};

/// What the plug-in does on the build with this id (0: one no probe names).
constexpr HostSupport SupportOn(std::int32_t version) {
  if (version == kHostVersion1001 || version == kHostVersion1002)
    return HostSupport::PlatesAndDebugLine;
  return version == kUnknownHostVersion ? HostSupport::PlatesOnly : HostSupport::Nothing;
}

}  // namespace vexilo::host
