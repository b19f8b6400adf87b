#pragma once

#include <cstdint>
#include <string>

/// The host's address range at its fixed addresses, owned by the stand-in.
namespace vexilo::standin {

/// Lowest and highest host addresses the stand-in writes (besides the version
/// probe at 0x401000), and the page of the screen globals, which stays writable.
inline constexpr std::uint32_t kHostCodeStart = 0x53E000;
inline constexpr std::uint32_t kHostDataPage = 0xC17000;
inline constexpr std::uint32_t kHostEnd = 0xC18000;
inline constexpr std::uint32_t kProbePage = 0x401000;

/// Makes the host range usable at its fixed addresses. Returns false, having
/// said why on standard error, when something else is already there.
bool MapHostMemory();

/// Every host page readable and writable, so the stand-in can lay out bytes.
void UnlockHostMemory();

/// Code pages read-execute like a real image's; the data page read-write.
void LockHostMemory();

/// Runs a stand-in command line ("test ..." or "demo ..."); the exit status.
int RunStandin(int argc, char** argv);

/// The protection of the page at address, as "r-x", "rw-", "rwx", "r--" or "unmapped".
std::string DescribeProtection(std::uint32_t address);

}  // namespace vexilo::standin
