#pragma once

#include <cstdint>

#include "host/calls.hpp"

namespace vexilo {

inline constexpr std::size_t kFormatBufferCount = 10;
inline constexpr std::size_t kFormatBufferSize = 4096;

/// The ring FormatText writes into; formatBufferIndex names the next buffer.
extern char formatBuffers[kFormatBufferCount][kFormatBufferSize];
extern std::uint32_t formatBufferIndex;

/// The debug line, with the zone's label, zone index, mapped index and the
/// number of the plateback texture. The label comes from an 8-byte host field
/// that need not end in a NUL, hence the precision.
inline constexpr char kOverlayFormat[] =
    "Zone: %.8s, Index: %d, Mapped Index: %d => Selection from vehicle.txd: plateback%d";

/// Formats printf-style into the next buffer of the ring and returns it. The
/// text stays through the next nine calls; longer output than 4095
/// characters is cut.
const char* FormatText(const char* format, ...);

/// Sets the host's font state and prints text at x, y: the 13 host font calls.
void PrintScreenText(const char* text, float x, float y, float scaleX, float scaleY,
                     const HostColour& colourA, const HostColour& colourB, float width);

/// Runs once per host frame: with DEBUG on, follows edits of the mapping file
/// (see LiveEdits), and with a local player draws the zone, its index, the
/// mapped index and the plateback texture at the top left, and under that
/// line the notice of a recent reload. Allocates nothing, but when it asks
/// for the file's stamp or reloads it (at most twice a second).
void DrawDebugOverlay();

}  // namespace vexilo
