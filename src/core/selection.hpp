#pragma once

#include <cstdint>

#include "host/calls.hpp"

namespace vexilo {

/// Stands in for the host's plate-design routine, reached through the jump
/// written over it: the plateback index mapped to the zone in which the local
/// player stands; 0 when there is no player or the zone is not known. Called
/// by the host as a plain cdecl function; reads no arguments.
std::int32_t SelectPlateback();

/// The host's record of the smallest zone in which the player stands, or
/// null when the host names none. The player must not be null.
const HostZone* ZoneOfPlayer(const HostEntity* player);

}  // namespace vexilo
