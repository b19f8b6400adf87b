#pragma once

#include <cstdint>
#include <string>

/// The host's world as the stand-in plays it: a local player (or none) who
/// stands in a zone with a chosen label, and a record of every host call.
namespace vexilo::standin {

enum class Player { None, WithMatrix, WithoutMatrix };

/// What the fakes of the player and zone lookups were asked, since the last
/// StandIn: a snapshot, safe to take while other threads ask.
struct HostCallLog {
  int findPlayer;
  int findZone;
  std::int32_t playerArgument;
  const void* position;
  std::int32_t zoneFlag;
};

/// Puts the local player in a zone with this label (up to 8 bytes, NUL-padded).
void StandIn(Player player, const std::string& label);
/// Puts the raw bytes of an 8-byte label field into the zone record.
void SetZoneLabelField(const char (&field)[8]);
/// Makes the zone lookup find no zone at all.
void LoseZone();

/// Where the plug-in should read the player's position for the current player.
const void* ExpectedPosition();

HostCallLog CallLog();

/// The fakes of the player and zone lookups.
void* FakeFindPlayer(std::int32_t player);
void* FakeFindSmallestZone(const void* position, std::int32_t flag);

/// One call of a host font routine: its address, its first two arguments as
/// raw 32-bit words (floats by their bits), and for the print routine the
/// text pointer and a copy of the text.
struct FontCall {
  std::uint32_t routine;
  std::uint32_t args[2];
  const char* textPointer;
  char text[192];
};

/// The font calls made since the last ClearFontCalls, in order. Fixed
/// storage: recording allocates nothing.
struct FontCallLog {
  static constexpr int kCapacity = 64;
  FontCall calls[kCapacity];
  int count;
};
const FontCallLog& FontCalls();
void ClearFontCalls();

/// A host routine and the fake that its jump stub leads to.
struct FakeRoutine {
  std::uint32_t address;
  std::uintptr_t function;
};
/// Every host routine the plug-in calls, with its fake.
const FakeRoutine* FakeRoutinesBegin();
const FakeRoutine* FakeRoutinesEnd();

/// The host's own callee at the frame-draw call site: counts its calls and
/// returns kFrameCalleeResult.
inline constexpr std::uint32_t kFrameCalleeResult = 0x600DF00D;
std::uint32_t FakeFrameCallee();
int FrameCalleeCalls();
/// Something the callee does on each call before it returns (quit the
/// process, wait inside the frame), or nothing for null.
void SetFrameCalleeAction(void (*action)());
void ClearFrameCalleeCalls();

}  // namespace vexilo::standin
