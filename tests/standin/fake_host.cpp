#include "fake_host.hpp"

#include <cstring>

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

struct World {
  Player player = Player::None;
  bool zoneLost = false;
  Entity entity{};
  Matrix matrix{};
  Zone zone{};
  HostCallLog log;
};

World world;

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

void StandIn(Player player, const std::string& label) {
  world.player = player;
  world.zoneLost = false;
  world.zone = Zone{};
  std::memcpy(world.zone.label, label.data(), label.size() < 8 ? label.size() : 8);
  LayOutPlayer(player);
  world.log = HostCallLog{};
}

void SetZoneLabelField(const char (&field)[8]) { std::memcpy(world.zone.label, field, 8); }

void LoseZone() { world.zoneLost = true; }

const void* ExpectedPosition() {
  if (world.player == Player::WithMatrix) return world.matrix.bytes + 48;
  return world.entity.bytes + 4;
}

HostCallLog& CallLog() { return world.log; }

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
