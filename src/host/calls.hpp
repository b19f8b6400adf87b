#pragma once

#include <cstdint>

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

/// The player entity for a player number (-1 for the local player), or null.
HostEntity* HostFindPlayer(std::int32_t player);

/// The smallest map zone that contains position (second argument always 1).
HostZone* HostFindSmallestZone(const HostVector* position, std::int32_t flag);

/// Where the entity stands: its matrix's position when it has a matrix, its own otherwise.
const HostVector* HostEntityPosition(const HostEntity* entity);

/// The zone's label: a NUL-padded field of host::kZoneLabelSize bytes,
/// not necessarily NUL-terminated.
const char* HostZoneLabel(const HostZone* zone);

std::int32_t HostScreenWidth();
std::int32_t HostScreenHeight();

}  // namespace vexilo
