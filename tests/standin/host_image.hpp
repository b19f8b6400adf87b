#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

/// The host's code and data as the plug-in sees them: jump stubs into the
/// fake host routines, an "original" plate-design routine, the frame call
/// site, the version-probe bytes of one build and the screen globals.
namespace vexilo::standin {

/// Host builds by the id the plug-in should name them with; 0 is a build it
/// does not know.
enum class HostBuild : std::int32_t {
  V1001 = 1001,
  V1002 = 1002,
  V1011 = 1011,
  V1101 = 1101,
  V1111 = 1111,
  V3200 = 3200,
  V3210 = 3210,
  Unknown = 0,
};

/// What the host's own plate-design routine answers, before any jump.
inline constexpr std::int32_t kOriginalPlateResult = 0x7777;

/// Lays the host out afresh (undoing whatever a plug-in patched), code pages
/// read-execute.
void BuildHostImage(HostBuild build, std::int32_t screenWidth = 1920,
                    std::int32_t screenHeight = 1080);

/// Asks the host's plate-design routine for a plate, as the host does.
std::int32_t RequestPlate();

/// Runs one host frame: executes the instruction at the frame-draw call site
/// (relocated) and returns what it left in the return register.
std::uint32_t RunFrame();

/// Where the frame-draw call site lies in the running stand-in.
std::uint32_t FrameCallSite();

/// The call site's bytes as the stand-in lays them out.
std::array<std::uint8_t, 5> OriginalCallSiteBytes();

/// How the frame-draw call site reaches the host's callee.
enum class CallSiteShape {
  Call,    ///< E8: a 5-byte relative call, as the host's builds hold it
  Detour,  ///< E9: a jump to a stub that makes the call and jumps back, as another plug-in's detour
           ///< leaves it
  IndirectCall,  ///< FF 15: a 6-byte call through a pointer slot
};

/// Lays the frame-draw call site out in shape; a frame still returns the
/// callee's result.
void ShapeFrameCallSite(CallSiteShape shape);

/// Writes bytes into host code, as a different host build would hold them.
void PokeHost(std::uint32_t address, std::initializer_list<std::uint8_t> bytes);

/// Five bytes of host memory.
std::array<std::uint8_t, 5> HostBytes(std::uint32_t address);

}  // namespace vexilo::standin
