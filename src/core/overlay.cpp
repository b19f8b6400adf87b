#include "core/overlay.hpp"

#include <cstdarg>
#include <cstdio>

#include "core/live_edits.hpp"
#include "core/mappings.hpp"
#include "core/selection.hpp"

namespace vexilo {
namespace {

constexpr HostColour kWhite{255, 255, 255, 255};
constexpr HostColour kBlack{0, 0, 0, 255};

constexpr float kReferenceSize = 1080.0f;
constexpr float kMargin = 20.0f;
constexpr float kLineWidth = 9999.0f;
constexpr float kScaleX = 0.8f;
constexpr float kScaleY = 1.6f;
constexpr float kWrapx = 255.0f;
// From the top of the debug line to the top of the notice under it.
constexpr float kLineSpacing = 40.0f;

// Drops the fractional part in single precision. From 2^23 on every float is
// whole, and an integer could overflow (a garbage screen size).
float Truncate(float value) {
  constexpr float kFirstWhole = 8388608.0f;  // 2^23
  if (!(value > -kFirstWhole && value < kFirstWhole)) return value;
  return static_cast<float>(static_cast<std::int32_t>(value));
}

struct OverlayLayout {
  float position;  // x and y alike
  float scale;     // x and y alike
  float width;
  float noticeY;  // the notice's line, under the debug line
};

// Every step in single precision, multiplication before division, so that the
// host gets the same bits from every build.
OverlayLayout LayOut(std::int32_t screenWidth, std::int32_t screenHeight) {
  const float width = static_cast<float>(screenWidth);
  const float height = static_cast<float>(screenHeight);
  const float shorter = height < width ? height : width;
  return {Truncate(shorter * kMargin / kReferenceSize), shorter / kReferenceSize,
          Truncate(shorter * kLineWidth / kReferenceSize),
          Truncate(shorter * (kMargin + kLineSpacing) / kReferenceSize)};
}

}  // namespace

char formatBuffers[kFormatBufferCount][kFormatBufferSize];
std::uint32_t formatBufferIndex = 0;

const char* FormatText(const char* format, ...) {
  const std::uint32_t index = formatBufferIndex;
  formatBufferIndex = index + 1 >= kFormatBufferCount ? 0 : index + 1;
  char* buffer = formatBuffers[index];
  va_list values;
  va_start(values, format);
  std::vsnprintf(buffer, kFormatBufferSize, format, values);
  va_end(values);
  return buffer;
}

void PrintScreenText(const char* text, float x, float y, float scaleX, float scaleY,
                     const HostColour& colourA, const HostColour& colourB, float width) {
  HostFontSetProportional(1);
  HostFontSetScale(scaleX * kScaleX, scaleY * kScaleY);
  HostFontSetColour(colourA);
  HostFontSetWrapx(kWrapx);
  HostFontSetDropShadow(0);
  HostFontSetDropColour(colourB);
  HostFontSetOutline(1);
  HostFontSetRightJustifyWrap(Truncate(x + width));
  HostFontSetBackground(1);
  HostFontSetBackgroundFlags(0, 0);
  HostFontSetCentre(0);
  HostFontSetStyle(1);
  HostFontPrintText(Truncate(x), Truncate(y), text);
}

void DrawDebugOverlay() {
  const HostEntity* player = HostFindPlayer(-1);
  if (player == nullptr || !debugEnabled) return;
  const HostZone* zone = ZoneOfPlayer(player);
  // No zone, no line: there is nothing true to say about where the player is.
  if (zone == nullptr) return;
  const char* label = HostZoneLabel(zone);
  const std::int32_t zoneIndex = FindZoneIndex(label);
  const std::int32_t mapped = MappedPlateback(zoneIndex);
  // Unsigned: the texture number of a mapped INT32_MAX wraps, not overflows.
  const auto texture = static_cast<std::int32_t>(static_cast<std::uint32_t>(mapped) + 1u);
  const char* line = FormatText(kOverlayFormat, label, zoneIndex, mapped, texture);
  const OverlayLayout layout = LayOut(HostScreenWidth(), HostScreenHeight());
  PrintScreenText(line, layout.position, layout.position, layout.scale, layout.scale, kWhite,
                  kBlack, layout.width);
  const char* notice = LiveEditsNotice();
  if (notice == nullptr) return;
  PrintScreenText(notice, layout.position, layout.noticeY, layout.scale, layout.scale, kWhite,
                  kBlack, layout.width);
}

}  // namespace vexilo
