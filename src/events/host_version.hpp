#pragma once

#include <cstdint>

#include "host/host_builds.hpp"
#include "injector/branch.hpp"

/// Which known build of the host is running, and where its code lies.
namespace events {

/// host address + (base - 0x400000), modulo 2^32: where code laid out for the
/// preferred base lies in a host loaded at base.
injector::address_t RelocateAddress(injector::address_t base, injector::address_t address);

/// Load address of the host's main executable, found on first use.
injector::address_t GetHostBase();

/// Where a host address lies in the running host.
injector::address_t RelocateHostAddress(injector::address_t address);

/// Reads the version probes in order and returns the id of the first that
/// matches, or 0. A probe whose bytes cannot be read does not match. Reads
/// only, and leaves every protection as it found it.
std::int32_t DetectHostVersion();

/// The running build's id, probed once on first use (also when it is 0).
std::int32_t GetHostVersion();

/// Relocation policy for call-site hooks: host addresses follow the host's base.
struct HostAddressRelocation {
  static injector::address_t relocate(injector::address_t address) {
    return RelocateHostAddress(address);
  }
};

}  // namespace events
