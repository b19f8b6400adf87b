#include "events/host_version.hpp"

#include "host/addresses.hpp"
#include "injector/hooking.hpp"
#include "platform/platform.hpp"

namespace events {
namespace {

bool Matches(const VersionProbe& probe) {
  std::uint8_t bytes[4];
  if (!injector::read_raw(bytes, sizeof bytes, RelocateHostAddress(probe.address), true))
    return false;
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
