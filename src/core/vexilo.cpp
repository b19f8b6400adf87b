#include "core/vexilo.hpp"

#include <cstdint>

#include "core/mapping_file.hpp"
#include "core/overlay.hpp"
#include "core/selection.hpp"
#include "events/draw_event.hpp"
#include "host/addresses.hpp"
#include "injector/hooking.hpp"

namespace vexilo {
namespace {

injector::address_t AddressOf(std::int32_t (*function)()) {
  return static_cast<injector::address_t>(reinterpret_cast<std::uintptr_t>(function));
}

}  // namespace

Vexilo::Vexilo() {
  try {
    // The table is final before the jump exists, so the host never selects
    // against a half-read file.
    LoadMappings();
    // Registered whatever DEBUG says, so that hooking the frame never depends
    // on the file; the overlay tests the flag each frame.
    events::drawEvent().Subscribe(events::drawEvent().postCallSubscribers, [this] { DrawDebugOverlay(); });
    // Every host build gets the jump, at the unrelocated address.
    injector::write_jump(host::kPlateDesignRoutine, AddressOf(&SelectPlateback));
  } catch (...) {
    // Nothing may leave the host's loader; without the jump the host simply
    // keeps its own choice of plateback.
  }
}

}  // namespace vexilo
