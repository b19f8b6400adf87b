#pragma once

#include <cstdint>
#include <string>

/// The host's address range at its fixed addresses, owned by the stand-in.
namespace vexilo::standin {

/// The page of the screen globals, which stays writable, and the end of the
/// host addresses the stand-in writes.
inline constexpr std::uint32_t kHostDataPage = 0xC17000;
inline constexpr std::uint32_t kHostEnd = 0xC18000;

/// Where the host executable is loaded: 0x400000, or elsewhere for a stand-in
/// that checks relocation.
std::uint32_t HostBase();

/// A host address as laid out at 0x400000, in the running stand-in.
inline std::uint32_t Relocated(std::uint32_t address) { return HostBase() + address - 0x400000; }

/// The lowest host address the stand-in writes, but for the probe page.
std::uint32_t LowestHostAddress();

/// Makes the host range usable at its fixed addresses. Returns false, having
/// said why on standard error, when something else is already there.
bool MapHostMemory();

/// Every host page readable and writable, so the stand-in can lay out bytes.
void UnlockHostMemory();

/// Code pages read-execute like a real image's; the data page read-write.
void LockHostMemory();

#ifdef _WIN32
struct HostArea;
/// Tells the stand-in where the host executable keeps the host's range.
void SetHostArea(const HostArea& area);
#endif

/// The protection of the page at address, as "r-x", "rw-", "rwx", "r--" or "unmapped".
std::string DescribeProtection(std::uint32_t address);

}  // namespace vexilo::standin
