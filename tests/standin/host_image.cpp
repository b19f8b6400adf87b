#include "host_image.hpp"

#include <cstring>
#include <initializer_list>

#include "fake_host.hpp"
#include "host/addresses.hpp"
#include "host_memory.hpp"
#include "injector/branch.hpp"

namespace vexilo::standin {
namespace {

struct Probe {
  std::uint32_t address;
  std::uint8_t bytes[4];
  HostBuild build;
};

constexpr Probe kProbes[] = {
    {0x401000, {0x55, 0x8B, 0xEC, 0x53}, HostBuild::V1001},
    {0x401000, {0xE9, 0x7B, 0x19, 0x16}, HostBuild::V1002},
    {0x8245BC, {0xBF, 0x94, 0x00, 0x00}, HostBuild::V1011},
    {0x8252FC, {0xBF, 0x94, 0x00, 0x00}, HostBuild::V1101},
    {0x82533C, {0xBF, 0x94, 0x00, 0x00}, HostBuild::V1111},
    {0x858D51, {0x33, 0xF6, 0x39, 0x35}, HostBuild::V3200},
    {0x858C61, {0x33, 0xF6, 0x39, 0x35}, HostBuild::V3210},
};

unsigned char* At(std::uint32_t address) {
  return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}

template <typename Function>
std::uint32_t AddressOfFunction(Function* function) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(function));
}

void Put(std::uint32_t address, std::initializer_list<std::uint8_t> bytes) {
  std::memcpy(At(address), std::data(bytes), bytes.size());
}

void PutRel32(std::uint8_t opcode, std::uint32_t address, std::uint32_t destination) {
  const injector::rel32_instruction instruction =
      injector::encode_rel32(opcode, address, destination);
  std::memcpy(At(address), instruction.data(), instruction.size());
}

void PutImmediate(std::uint32_t address, std::int32_t value) {
  std::memcpy(At(address), &value, sizeof value);
}

// push ebp; mov ebp, esp; mov eax, imm32; pop ebp; ret
void PutOriginalPlateRoutine() {
  Put(host::kPlateDesignRoutine, {0x55, 0x89, 0xE5, 0xB8, 0, 0, 0, 0, 0x5D, 0xC3});
  PutImmediate(host::kPlateDesignRoutine + 4, kOriginalPlateResult);
}

// sub esp, 12; call <callee>; add esp, 12; ret -- the call keeps the callee's
// stack 16-byte aligned, as a compiled caller would.
void PutFrameCallSite() {
  const std::uint32_t site = FrameCallSite();
  Put(site - 3, {0x83, 0xEC, 0x0C});
  PutRel32(injector::kCallRel32, site, AddressOfFunction(&FakeFrameCallee));
  Put(site + 5, {0x83, 0xC4, 0x0C, 0xC3});
}

// A detour's stub where the host has no code: call <callee>; jmp <site + 5>.
void PutDetour() {
  const std::uint32_t site = FrameCallSite();
  const std::uint32_t stub = Relocated(0x53E400);
  PutRel32(injector::kCallRel32, stub, AddressOfFunction(&FakeFrameCallee));
  PutRel32(injector::kJmpRel32, stub + 5, site + 5);
  PutRel32(injector::kJmpRel32, site, stub);
}

// call [slot]; add esp, 12; ret -- the slot in the host's data page.
void PutIndirectCall() {
  const std::uint32_t site = FrameCallSite();
  const std::uint32_t slot = kHostDataPage + 0x100;
  const std::uint32_t callee = AddressOfFunction(&FakeFrameCallee);
  std::memcpy(At(slot), &callee, sizeof callee);
  Put(site, {0xFF, 0x15});
  std::memcpy(At(site + 2), &slot, sizeof slot);
  Put(site + 6, {0x83, 0xC4, 0x0C, 0xC3});
}

void PutProbes(HostBuild build) {
  for (const Probe& probe : kProbes) Put(Relocated(probe.address), {0xCC, 0xCC, 0xCC, 0xCC});
  for (const Probe& probe : kProbes) {
    if (probe.build == build)
      std::memcpy(At(Relocated(probe.address)), probe.bytes, sizeof probe.bytes);
  }
}

void PutRoutineStubs() {
  for (const FakeRoutine* routine = FakeRoutinesBegin(); routine != FakeRoutinesEnd(); ++routine) {
    PutRel32(injector::kJmpRel32, routine->address, static_cast<std::uint32_t>(routine->function));
  }
}

}  // namespace

void BuildHostImage(HostBuild build, std::int32_t screenWidth, std::int32_t screenHeight) {
  UnlockHostMemory();
  std::memset(At(LowestHostAddress()), 0xCC, kHostDataPage - LowestHostAddress());
  PutProbes(build);
  PutRoutineStubs();
  PutOriginalPlateRoutine();
  PutFrameCallSite();
  PutImmediate(host::kScreenWidth, screenWidth);
  PutImmediate(host::kScreenHeight, screenHeight);
  LockHostMemory();
}

std::int32_t RequestPlate() {
  using PlateRoutine = std::int32_t (*)();
  return reinterpret_cast<PlateRoutine>(static_cast<std::uintptr_t>(host::kPlateDesignRoutine))();
}

void ShapeFrameCallSite(CallSiteShape shape) {
  UnlockHostMemory();
  PutFrameCallSite();
  if (shape == CallSiteShape::Detour) PutDetour();
  if (shape == CallSiteShape::IndirectCall) PutIndirectCall();
  LockHostMemory();
}

void PokeHost(std::uint32_t address, std::initializer_list<std::uint8_t> bytes) {
  UnlockHostMemory();
  Put(address, bytes);
  LockHostMemory();
}

std::uint32_t FrameCallSite() { return Relocated(host::kFrameDrawCallSite); }

std::uint32_t RunFrame() {
  using Frame = std::uint32_t (*)();
  return reinterpret_cast<Frame>(static_cast<std::uintptr_t>(FrameCallSite() - 3))();
}

std::array<std::uint8_t, 5> OriginalCallSiteBytes() {
  const injector::rel32_instruction call = injector::encode_rel32(
      injector::kCallRel32, FrameCallSite(), AddressOfFunction(&FakeFrameCallee));
  return {call[0], call[1], call[2], call[3], call[4]};
}

std::array<std::uint8_t, 5> HostBytes(std::uint32_t address) {
  std::array<std::uint8_t, 5> bytes;
  std::memcpy(bytes.data(), At(address), bytes.size());
  return bytes;
}

}  // namespace vexilo::standin
