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
  std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)),
              sizeof value);
  return value;
}

// The host takes a colour as four bytes in one stack slot; a 32-bit word with
// the same bytes travels identically with every compiler.
std::uint32_t Packed(HostColour colour) {
  std::uint32_t word;
  std::memcpy(&word, &colour, sizeof word);
  return word;
}

template <typename... Args>
void CallHost(host::Address address, Args... args) {
  HostRoutine<void (*)(Args...)>(address)(args...);
}

}  // namespace

std::int32_t HostScreenWidth() { return ReadHostGlobal<std::int32_t>(host::kScreenWidth); }

std::int32_t HostScreenHeight() { return ReadHostGlobal<std::int32_t>(host::kScreenHeight); }

void HostFontSetProportional(std::int32_t on) { CallHost(host::kFontSetProportional, on); }
void HostFontSetScale(float x, float y) { CallHost(host::kFontSetScale, x, y); }
void HostFontSetColour(HostColour colour) { CallHost(host::kFontSetColor, Packed(colour)); }
void HostFontSetWrapx(float x) { CallHost(host::kFontSetWrapx, x); }
void HostFontSetDropShadow(std::int32_t size) { CallHost(host::kFontSetDropShadow, size); }
void HostFontSetDropColour(HostColour colour) { CallHost(host::kFontSetDropColor, Packed(colour)); }
void HostFontSetOutline(std::int32_t size) { CallHost(host::kFontSetOutline, size); }
void HostFontSetRightJustifyWrap(float x) { CallHost(host::kFontSetRightJustifyWrap, x); }
void HostFontSetBackground(std::int32_t on) { CallHost(host::kFontSetBackground, on); }
void HostFontSetBackgroundFlags(std::int32_t first, std::int32_t second) {
  CallHost(host::kFontSetBackgroundColor, first, second);
}
void HostFontSetCentre(std::int32_t on) { CallHost(host::kFontSetCentre, on); }
void HostFontSetStyle(std::int32_t style) { CallHost(host::kFontSetStyle, style); }
void HostFontPrintText(float x, float y, const char* text) {
  CallHost(host::kFontPrintText, x, y, text);
}

}  // namespace vexilo
