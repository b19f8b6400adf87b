#include "host/calls.hpp"

#include <cstring>

namespace vexilo {
namespace {

// Every host routine is a plain cdecl function; the default calling
// convention of a 32-bit x86 compiler is exactly that.
template <typename Function>
Function HostRoutine(host::Address address) {
  return reinterpret_cast<Function>(static_cast<std::uintptr_t>(address));
}

template <typename T>
T ReadHostGlobal(host::Address address) {
  T value;
  std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), sizeof value);
  return value;
}

const unsigned char* Bytes(const void* record) { return static_cast<const unsigned char*>(record); }

}  // namespace

HostEntity* HostFindPlayer(std::int32_t player) {
  return HostRoutine<HostEntity* (*)(std::int32_t)>(host::kFindPlayer)(player);
}

HostZone* HostFindSmallestZone(const HostVector* position, std::int32_t flag) {
  return HostRoutine<HostZone* (*)(const HostVector*, std::int32_t)>(host::kFindSmallestZone)(position, flag);
}

const HostVector* HostEntityPosition(const HostEntity* entity) {
  const unsigned char* matrix = nullptr;
  std::memcpy(&matrix, Bytes(entity) + host::kEntityMatrixOffset, sizeof matrix);
  const unsigned char* position =
      matrix != nullptr ? matrix + host::kMatrixPositionOffset : Bytes(entity) + host::kEntityPositionOffset;
  return reinterpret_cast<const HostVector*>(position);
}

const char* HostZoneLabel(const HostZone* zone) { return reinterpret_cast<const char*>(zone); }

std::int32_t HostScreenWidth() { return ReadHostGlobal<std::int32_t>(host::kScreenWidth); }

std::int32_t HostScreenHeight() { return ReadHostGlobal<std::int32_t>(host::kScreenHeight); }

}  // namespace vexilo
