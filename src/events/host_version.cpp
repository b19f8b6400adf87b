#include "events/host_version.hpp"

#include "host/addresses.hpp"
#include "injector/hooking.hpp"
#include "platform/platform.hpp"

namespace events {
namespace {

struct VersionProbe {
  injector::address_t address;
  std::uint32_t expected;
  std::int32_t version;
};

// In this order; the first match wins. The first two read the same address.
constexpr VersionProbe kVersionProbes[] = {
    {0x401000, 0x53EC8B55, 1001}, {0x401000, 0x16197BE9, 1002}, {0x8245BC, 0x000094BF, 1011},
    {0x8252FC, 0x000094BF, 1101}, {0x82533C, 0x000094BF, 1111}, {0x858D51, 0x3539F633, 3200},
    {0x858C61, 0x3539F633, 3210},
};

bool Matches(const VersionProbe& probe) {
  std::uint8_t bytes[4];
  if (!injector::read_raw(bytes, sizeof bytes, RelocateHostAddress(probe.address), true)) return false;
  return injector::load_le32(bytes) == probe.expected;
}

}  // namespace

injector::address_t RelocateAddress(injector::address_t base, injector::address_t address) {
  return base + address - vexilo::host::kPreferredBase;
}

injector::address_t GetHostBase() {
  static const auto base = static_cast<injector::address_t>(vexilo::platform::HostModuleBase());
  return base;
}

injector::address_t RelocateHostAddress(injector::address_t address) {
  return RelocateAddress(GetHostBase(), address);
}

std::int32_t DetectHostVersion() {
  for (const VersionProbe& probe : kVersionProbes) {
    if (Matches(probe)) return probe.version;
  }
  return kUnknownHostVersion;
}

std::int32_t GetHostVersion() {
  static const std::int32_t version = DetectHostVersion();
  return version;
}

}  // namespace events
