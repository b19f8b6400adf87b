#include "core/selection.hpp"

#include "core/mappings.hpp"
#include "host/calls.hpp"
#include "mapping/zones.hpp"

namespace vexilo {

const HostZone* ZoneOfPlayer(const HostEntity* player) {
  return HostFindSmallestZone(HostEntityPosition(player), 1);
}

std::int32_t SelectPlateback() {
  const HostEntity* player = HostFindPlayer(-1);
  if (player == nullptr) return 0;
  // The host is relied upon to find a zone everywhere; if it ever finds none,
  // the player is simply nowhere known.
  const HostZone* zone = ZoneOfPlayer(player);
  return zone != nullptr ? MappedPlateback(FindZoneIndex(HostZoneLabel(zone))) : 0;
}

}  // namespace vexilo
