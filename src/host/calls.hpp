#pragma once

#include <cstdint>
#include <cstring>

#include "host/addresses.hpp"

/// Thin typed wrappers over the host's routines and globals. Each one calls
/// or reads the fixed address and nothing else.
namespace vexilo {

/// A position in the host's world, three single-precision floats.
struct HostVector {
  float x;
  float y;
  float z;
};

/// An opaque host record; only the fields named in addresses.hpp are read.
struct HostEntity;
struct HostZone;

// Every host routine is a plain cdecl function; the default calling
// convention of a 32-bit x86 compiler is exactly that. The wrappers of the
// plate request are inline: each is smaller than a call.

/// The player entity for a player number (-1 for the local player), or null.
inline HostEntity* HostFindPlayer(std::int32_t player) {
  return reinterpret_cast<HostEntity* (*)(std::int32_t)>(
      static_cast<std::uintptr_t>(host::kFindPlayer))(player);
}

/// The smallest map zone that contains position (second argument always 1).
inline HostZone* HostFindSmallestZone(const HostVector* position, std::int32_t flag) {
  using FindSmallestZone = HostZone* (*)(const HostVector*, std::int32_t);
  return reinterpret_cast<FindSmallestZone>(static_cast<std::uintptr_t>(host::kFindSmallestZone))(
      position, flag);
}

/// Where the entity stands: its matrix's position when it has a matrix, its own otherwise.
inline const HostVector* HostEntityPosition(const HostEntity* entity) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(entity);
  const unsigned char* matrix = nullptr;
  std::memcpy(&matrix, bytes + host::kEntityMatrixOffset, sizeof matrix);
  const unsigned char* position = matrix != nullptr ? matrix + host::kMatrixPositionOffset
                                                    : bytes + host::kEntityPositionOffset;
  return reinterpret_cast<const HostVector*>(position);
}

/// The zone's label: a NUL-padded field of host::kZoneLabelSize bytes,
/// not necessarily NUL-terminated.
inline const char* HostZoneLabel(const HostZone* zone) {
  return reinterpret_cast<const char*>(zone);
}

std::int32_t HostScreenWidth();
std::int32_t HostScreenHeight();

/// A colour as the host's font routines take it: four bytes, passed by value.
struct HostColour {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;
  std::uint8_t a;
};

/// The host's font routines, in the order a line of text is set up and printed.
void HostFontSetProportional(std::int32_t on);
void HostFontSetScale(float x, float y);
void HostFontSetColour(HostColour colour);
void HostFontSetWrapx(float x);
void HostFontSetDropShadow(std::int32_t size);
void HostFontSetDropColour(HostColour colour);
void HostFontSetOutline(std::int32_t size);
void HostFontSetRightJustifyWrap(float x);
void HostFontSetBackground(std::int32_t on);
void HostFontSetBackgroundFlags(std::int32_t first, std::int32_t second);
void HostFontSetCentre(std::int32_t on);
void HostFontSetStyle(std::int32_t style);
/// Prints text at x, y with the state set before; done with text when it returns.
void HostFontPrintText(float x, float y, const char* text);

}  // namespace vexilo
