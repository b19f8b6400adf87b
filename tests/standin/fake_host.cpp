#include "fake_host.hpp"

#include <atomic>
#include <cstring>
#include <iterator>

#include "host/addresses.hpp"

namespace vexilo::standin {
namespace {

// Records laid out as the host lays them out: the entity's position at
// offset 4 and its matrix pointer at 20, the matrix's position at 48.
struct Entity {
  unsigned char bytes[64];
};
struct Matrix {
  unsigned char bytes[64];
};
struct Zone {
  char label[8];
  unsigned char rest[56];
};

// Plate requests may come from several threads at once: the record of calls
// is atomic.
struct CallCounters {
  std::atomic<int> findPlayer{0};
  std::atomic<int> findZone{0};
  std::atomic<std::int32_t> playerArgument{0};
  std::atomic<const void*> position{nullptr};
  std::atomic<std::int32_t> zoneFlag{0};

  void Clear() {
    findPlayer = 0;
    findZone = 0;
    playerArgument = 0;
    position = nullptr;
    zoneFlag = 0;
  }
};

struct World {
  Player player = Player::None;
  bool zoneLost = false;
  Entity entity{};
  Matrix matrix{};
  Zone zone{};
  CallCounters log;
};

World world;
FontCallLog fontLog{};
int frameCalleeCalls = 0;
std::atomic<void (*)()> frameCalleeAction{nullptr};

template <typename T>
std::uint32_t Bits(T value) {
  static_assert(sizeof(T) == 4, "host arguments are 32-bit");
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

FontCall* Record(std::uint32_t routine, std::uint32_t first = 0, std::uint32_t second = 0) {
  if (fontLog.count == FontCallLog::kCapacity) return nullptr;
  FontCall& call = fontLog.calls[fontLog.count++];
  call = FontCall{routine, {first, second}, nullptr, {}};
  return &call;
}

namespace host = vexilo::host;

void FontSetProportional(std::int32_t on) { Record(host::kFontSetProportional, Bits(on)); }
void FontSetScale(float x, float y) { Record(host::kFontSetScale, Bits(x), Bits(y)); }
void FontSetColour(std::uint32_t colour) { Record(host::kFontSetColor, colour); }
void FontSetWrapx(float x) { Record(host::kFontSetWrapx, Bits(x)); }
void FontSetDropShadow(std::int32_t size) { Record(host::kFontSetDropShadow, Bits(size)); }
void FontSetDropColour(std::uint32_t colour) { Record(host::kFontSetDropColor, colour); }
void FontSetOutline(std::int32_t size) { Record(host::kFontSetOutline, Bits(size)); }
void FontSetRightJustifyWrap(float x) { Record(host::kFontSetRightJustifyWrap, Bits(x)); }
void FontSetBackground(std::int32_t on) { Record(host::kFontSetBackground, Bits(on)); }
void FontSetBackgroundFlags(std::int32_t first, std::int32_t second) {
  Record(host::kFontSetBackgroundColor, Bits(first), Bits(second));
}
void FontSetCentre(std::int32_t on) { Record(host::kFontSetCentre, Bits(on)); }
void FontSetStyle(std::int32_t style) { Record(host::kFontSetStyle, Bits(style)); }
void FontPrintText(float x, float y, const char* text) {
  FontCall* call = Record(host::kFontPrintText, Bits(x), Bits(y));
  if (call == nullptr) return;
  call->textPointer = text;
  std::strncpy(call->text, text, sizeof call->text - 1);
}

template <typename Function>
std::uintptr_t FunctionAddress(Function* function) {
  return reinterpret_cast<std::uintptr_t>(function);
}

const FakeRoutine kFakeRoutines[] = {
    {host::kFindPlayer, FunctionAddress(&FakeFindPlayer)},
    {host::kFindSmallestZone, FunctionAddress(&FakeFindSmallestZone)},
    {host::kFontSetProportional, FunctionAddress(&FontSetProportional)},
    {host::kFontSetScale, FunctionAddress(&FontSetScale)},
    {host::kFontSetColor, FunctionAddress(&FontSetColour)},
    {host::kFontSetWrapx, FunctionAddress(&FontSetWrapx)},
    {host::kFontSetDropShadow, FunctionAddress(&FontSetDropShadow)},
    {host::kFontSetDropColor, FunctionAddress(&FontSetDropColour)},
    {host::kFontSetOutline, FunctionAddress(&FontSetOutline)},
    {host::kFontSetRightJustifyWrap, FunctionAddress(&FontSetRightJustifyWrap)},
    {host::kFontSetBackground, FunctionAddress(&FontSetBackground)},
    {host::kFontSetBackgroundColor, FunctionAddress(&FontSetBackgroundFlags)},
    {host::kFontSetCentre, FunctionAddress(&FontSetCentre)},
    {host::kFontSetStyle, FunctionAddress(&FontSetStyle)},
    {host::kFontPrintText, FunctionAddress(&FontPrintText)},
};

void PutPosition(unsigned char* at, float x, float y, float z) {
  const float position[3] = {x, y, z};
  std::memcpy(at, position, sizeof position);
}

void LayOutPlayer(Player player) {
  world.entity = Entity{};
  world.matrix = Matrix{};
  PutPosition(world.entity.bytes + 4, 1.0f, 2.0f, 3.0f);
  PutPosition(world.matrix.bytes + 48, 100.0f, 200.0f, 300.0f);
  const Matrix* matrix = player == Player::WithMatrix ? &world.matrix : nullptr;
  std::memcpy(world.entity.bytes + 20, &matrix, sizeof matrix);
}

}  // namespace

const FontCallLog& FontCalls() { return fontLog; }
void ClearFontCalls() { fontLog.count = 0; }

const FakeRoutine* FakeRoutinesBegin() { return std::begin(kFakeRoutines); }
const FakeRoutine* FakeRoutinesEnd() { return std::end(kFakeRoutines); }

std::uint32_t FakeFrameCallee() {
  ++frameCalleeCalls;
  if (void (*action)() = frameCalleeAction.load()) action();
  return kFrameCalleeResult;
}
void SetFrameCalleeAction(void (*action)()) { frameCalleeAction = action; }
int FrameCalleeCalls() { return frameCalleeCalls; }
void ClearFrameCalleeCalls() { frameCalleeCalls = 0; }

void StandIn(Player player, const std::string& label) {
  world.player = player;
  world.zoneLost = false;
  world.zone = Zone{};
  std::memcpy(world.zone.label, label.data(), label.size() < 8 ? label.size() : 8);
  LayOutPlayer(player);
  world.log.Clear();
}

void SetZoneLabelField(const char (&field)[8]) { std::memcpy(world.zone.label, field, 8); }

void LoseZone() { world.zoneLost = true; }

const void* ExpectedPosition() {
  if (world.player == Player::WithMatrix) return world.matrix.bytes + 48;
  return world.entity.bytes + 4;
}

HostCallLog CallLog() {
  return {world.log.findPlayer, world.log.findZone, world.log.playerArgument, world.log.position,
          world.log.zoneFlag};
}

void* FakeFindPlayer(std::int32_t player) {
  ++world.log.findPlayer;
  world.log.playerArgument = player;
  if (player != -1 || world.player == Player::None) return nullptr;
  return &world.entity;
}

void* FakeFindSmallestZone(const void* position, std::int32_t flag) {
  ++world.log.findZone;
  world.log.position = position;
  world.log.zoneFlag = flag;
  return world.zoneLost ? nullptr : &world.zone;
}

}  // namespace vexilo::standin
