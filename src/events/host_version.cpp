#include "events/host_version.hpp"

#include <optional>

#include "host/addresses.hpp"
#include "injector/hooking.hpp"
#include "platform/platform.hpp"

namespace events {
namespace {

std::optional<std::uint32_t> ReadRunningHost(std::uint32_t address) {
  std::uint8_t bytes[4];
  if (!injector::read_raw(bytes, sizeof bytes, RelocateHostAddress(address), true))
    return std::nullopt;
  return injector::load_le32(bytes);
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

std::int32_t DetectHostVersion() { return vexilo::host::IdentifyBuild(&ReadRunningHost); }

std::int32_t GetHostVersion() {
  static const std::int32_t version = DetectHostVersion();
  return version;
}

}  // namespace events
