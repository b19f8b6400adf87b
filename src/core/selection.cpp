#include "core/selection.hpp"

#include "core/mappings.hpp"
#include "core/zones.hpp"
#include "host/calls.hpp"

namespace vexilo {

std::int32_t ZoneIndexOfPlayer(const HostEntity* player) {
  const HostZone* zone = HostFindSmallestZone(HostEntityPosition(player), 1);
  // The host is relied upon to find a zone everywhere; if it ever finds none,
  // the player is simply nowhere known.
  if (zone == nullptr) return kNoZone;
  return FindZoneIndex(HostZoneLabel(zone));
}

std::int32_t SelectPlateback() {
  const HostEntity* player = HostFindPlayer(-1);
  if (player == nullptr) return 0;
  return MappedPlateback(ZoneIndexOfPlayer(player));
}

}  // namespace vexilo
