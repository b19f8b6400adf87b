#include "scenario_support.hpp"

#include <cstring>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/branch.hpp"
#include "scratch_dir.hpp"

namespace vexilo::standin {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

std::int32_t PlateIn(const std::string& label, Player player) {
  StandIn(player, label);
  return RequestPlate();
}

std::uint32_t CallDestination(std::uint32_t site) {
  const std::array<std::uint8_t, 5> bytes = HostBytes(site);
  return injector::rel32_destination(site,
                                     static_cast<std::int32_t>(injector::load_le32(&bytes[1])));
}

bool JumpsInto(const PluginLibrary& plugin) {
  return HostBytes(host::kPlateDesignRoutine)[0] == injector::kJmpRel32 &&
         plugin.Contains(CallDestination(host::kPlateDesignRoutine));
}

std::string FrameLine(Player player, const std::string& label) {
  StandIn(player, label);
  ClearFontCalls();
  RunFrame();
  const FontCallLog& log = FontCalls();
  return log.count > 0 && log.calls[log.count - 1].routine == host::kFontPrintText
             ? log.calls[log.count - 1].text
             : "";
}

std::string DefaultFileWithDebug(const Context& context) {
  std::string text = testing::ReadFileBytes(context.settings.dataDir + "/default-Vexilo.txt");
  const std::size_t at = text.find(";DEBUG\r\n");
  if (at != std::string::npos) text.erase(at, 1);
  return text;
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::vector<std::uint8_t> HostCode() {
  const auto* begin =
      reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(LowestHostAddress()));
  return std::vector<std::uint8_t>(begin, begin + (kHostDataPage - LowestHostAddress()));
}

std::string PatchedPlaces(const std::vector<std::uint8_t>& before,
                          const std::vector<std::uint8_t>& after) {
  std::string places;
  std::string last;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (before[i] == after[i]) continue;
    const auto address = static_cast<std::uint32_t>(LowestHostAddress() + i);
    const std::string place = address - FrameCallSite() < 5             ? "call site"
                              : address - host::kPlateDesignRoutine < 5 ? "plate routine"
                                                                        : Hex(address);
    if (place == last) continue;
    places += (places.empty() ? "" : ", ") + place;
    last = place;
  }
  return places;
}

HostPatchSites OriginalPatchSites() {
  return {{0x55, 0x89, 0xE5, 0xB8, kOriginalPlateResult & 0xFF}, OriginalCallSiteBytes()};
}

}  // namespace vexilo::standin
