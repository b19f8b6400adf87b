#pragma once

#include <cstdint>

/// Where the host keeps what the plug-in calls, reads and patches, as its
/// executable lays it out at the base 0x400000.
namespace vexilo::host {

using Address = std::uint32_t;

/// The base every address below is given for.
inline constexpr Address kPreferredBase = 0x400000;

/// Routine choosing a plate's background; its first 5 bytes become a jump.
inline constexpr Address kPlateDesignRoutine = 0x6FD7A0;
/// Player entity by number (-1: the local player), or null.
inline constexpr Address kFindPlayer = 0x56E210;
/// Smallest map zone holding a position.
inline constexpr Address kFindSmallestZone = 0x572360;
/// The 5-byte call in the per-frame loop that the draw event takes over.
inline constexpr Address kFrameDrawCallSite = 0x53E293;
/// Render size in pixels, signed 32-bit each.
inline constexpr Address kScreenWidth = 0xC17044;
inline constexpr Address kScreenHeight = 0xC17048;

/// Font routines, called in this order to set the state and print one line.
inline constexpr Address kFontSetProportional = 0x719490;
inline constexpr Address kFontSetScale = 0x719380;
inline constexpr Address kFontSetColor = 0x719430;
inline constexpr Address kFontSetWrapx = 0x719500;
inline constexpr Address kFontSetDropShadow = 0x719420;
inline constexpr Address kFontSetDropColor = 0x719510;
inline constexpr Address kFontSetOutline = 0x719610;
inline constexpr Address kFontSetRightJustifyWrap = 0x7194D0;
inline constexpr Address kFontSetBackground = 0x7195B0;
inline constexpr Address kFontSetBackgroundColor = 0x7195C0;
inline constexpr Address kFontSetCentre = 0x719600;
inline constexpr Address kFontSetStyle = 0x719590;
inline constexpr Address kFontPrintText = 0x71A700;

/// Field offsets in host records.
inline constexpr std::uint32_t kEntityPositionOffset = 4;
inline constexpr std::uint32_t kEntityMatrixOffset = 20;
inline constexpr std::uint32_t kMatrixPositionOffset = 48;
/// A zone record starts with its label in a field of this many bytes.
inline constexpr std::uint32_t kZoneLabelSize = 8;

}  // namespace vexilo::host
