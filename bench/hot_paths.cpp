#include "hot_paths.hpp"

#include <cstring>
#include <random>

#include "core/live_edits.hpp"
#include "core/mappings.hpp"
#include "core/overlay.hpp"
#include "core/selection.hpp"
#include "fake_host.hpp"
#include "frame_event.hpp"
#include "host/addresses.hpp"
#include "host_image.hpp"
#include "host_memory.hpp"
#include "injector/hooking.hpp"
#include "mapping/default_mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping/zones.hpp"

namespace vexilo::bench {
namespace {

using FrameEvent = standin::StandinFrameEvent<0>;

FrameEvent& Event() {
  static FrameEvent event;
  return event;
}

}  // namespace

std::string MixedMappingText(std::size_t bytes) {
  std::mt19937 random(7);
  std::string text;
  std::string line;
  while (text.size() < bytes) {
    const unsigned first = random() % 377;
    switch (random() % 6) {
      case 0:
        line = ";" + std::string(random() % 60, 'c') + "\r\n";
        break;
      case 1:
        line = "\r\n";
        break;
      case 2:
        line = std::to_string(first) + "=" + std::to_string(random() % 11) + "\r\n";
        break;
      case 3:
        line = std::to_string(first) + "-" + std::to_string(first + random() % 20) + "=" +
               std::to_string(random() % 11) + "\r\n";
        break;
      case 4:
        line = "  " + std::to_string(first) + " - 376 = 3 ; to the end\r\n";
        break;
      default:
        line = "not a mapping line\r\n";
        break;
    }
    text += line;
  }
  return text;
}

bool SetUpHotPaths() {
  if (!standin::MapHostMemory()) return false;
  standin::BuildHostImage(standin::HostBuild::V1001);
  const MappingTable defaults = ParseMappingText(DefaultMappingFileText());
  StoreMappings(defaults.plates);
  // The one subscriber start-up makes.
  Event().Subscribe(Event().postCallSubscribers, &OnFrame);
  injector::write_jump(
      host::kPlateDesignRoutine,
      static_cast<injector::address_t>(reinterpret_cast<std::uintptr_t>(&SelectPlateback)));
  standin::StandIn(standin::Player::WithMatrix, "JEF2");
  return true;
}

const std::vector<std::string>& TableLabels() {
  static const std::vector<std::string> labels(zoneNames, zoneNames + kZoneCount);
  return labels;
}

const std::vector<std::string>& MissingLabels() {
  static const std::vector<std::string> labels = [] {
    std::vector<std::string> missing;
    // Near misses: every label with its last character changed or one added.
    for (const std::string& label : TableLabels()) {
      std::string near = label + (missing.size() % 2 ? "X" : "");
      if (near == label) near.back() = near.back() == 'Z' ? 'Q' : 'Z';
      if (FindZoneIndex(near.c_str()) == kNoZone)
        missing.push_back(near);
      else
        missing.push_back(label + "Q9");
    }
    return missing;
  }();
  return labels;
}

std::int32_t ScanZoneIndex(const char* label) {
  for (std::int32_t index = 0; index < kZoneCount; ++index) {
    if (std::strcmp(zoneNames[index], label) == 0) return index;
  }
  return kNoZone;
}

std::int32_t PlateRequest() { return standin::RequestPlate(); }

void SetUpFrames(bool debug) {
  // As start-up does when the file holds DEBUG: from then on frames follow
  // the file. A game started without DEBUG never does.
  static const bool following = debug && (StartLiveEdits(MappingFileStamp()), true);
  static_cast<void>(following);
  debugEnabled = debug;
}

std::uint32_t Frame() {
  // The font calls of a drawn line are logged; the log is emptied, not grown.
  standin::ClearFontCalls();
  return standin::RunFrame();
}

std::uint32_t FrameWithoutPlugin() { return standin::FakeFrameCallee(); }

}  // namespace vexilo::bench
