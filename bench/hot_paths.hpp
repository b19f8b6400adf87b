#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The plug-in's hot paths set up in this process on the stand-in host, for
/// the benchmarks and the instruction counts alike.
namespace vexilo::bench {

/// Maps the host range, lays out build 1001 with the default mappings, writes
/// the jump to SelectPlateback and subscribes the debug overlay to a frame
/// event. False when the host range cannot be mapped.
bool SetUpHotPaths();

/// The labels of the table, and as many labels that are not in it.
const std::vector<std::string>& TableLabels();
const std::vector<std::string>& MissingLabels();

/// A mapping file of about the given size, in lines of every kind (comments,
/// blank lines, exact, range and to-the-end lines, text that sets nothing),
/// the same bytes on every call.
std::string MixedMappingText(std::size_t bytes);

/// A plain first-to-last scan with strcmp: the baseline lookup.
std::int32_t ScanZoneIndex(const char* label);

/// One plate request through the jump; one host frame through the hook.
std::int32_t PlateRequest();
/// Sets up the frames that follow: DEBUG on or off, as start-up leaves it.
void SetUpFrames(bool debug);
std::uint32_t Frame();
/// The host's own callee alone, as a frame without the plug-in costs.
std::uint32_t FrameWithoutPlugin();

}  // namespace vexilo::bench
