#pragma once

#include <cstdint>
#include <string>

/// The host's world as the stand-in plays it: a local player (or none) who
/// stands in a zone with a chosen label, and a record of every host call.
namespace vexilo::standin {

enum class Player { None, WithMatrix, WithoutMatrix };

struct HostCallLog {
  int findPlayer = 0;
  int findZone = 0;
  std::int32_t playerArgument = 0;
  const void* position = nullptr;
  std::int32_t zoneFlag = 0;
};

/// Puts the local player in a zone with this label (up to 8 bytes, NUL-padded).
void StandIn(Player player, const std::string& label);
/// Puts the raw bytes of an 8-byte label field into the zone record.
void SetZoneLabelField(const char (&field)[8]);
/// Makes the zone lookup find no zone at all.
void LoseZone();

/// Where the plug-in should read the player's position for the current player.
const void* ExpectedPosition();

HostCallLog& CallLog();

/// The routines the host's jump stubs lead to.
void* FakeFindPlayer(std::int32_t player);
void* FakeFindSmallestZone(const void* position, std::int32_t flag);

}  // namespace vexilo::standin
