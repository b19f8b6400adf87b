#include "core/vexilo.hpp"

#include <cstdint>

#include "core/live_edits.hpp"
#include "core/load_mappings.hpp"
#include "core/mappings.hpp"
#include "core/selection.hpp"
#include "events/draw_event.hpp"
#include "events/host_version.hpp"
#include "host/addresses.hpp"
#include "host/host_builds.hpp"
#include "injector/hooking.hpp"

namespace vexilo {
namespace {

injector::address_t AddressOf(std::int32_t (*function)()) {
  return static_cast<injector::address_t>(reinterpret_cast<std::uintptr_t>(function));
}

// The routine's address was taken from builds 1001 and 1002. On the builds the
// version check names as others, that address holds some other code, which
// the jump would break; an unrecognised build may be a variant of the two.
bool PlateRoutineIsAtItsAddress(std::int32_t hostVersion) {
  return host::SupportOn(hostVersion) != host::HostSupport::Nothing;
}

}  // namespace

Vexilo::Vexilo() {
  try {
    // Taken before the read, so that a save during it counts as an edit.
    const std::optional<platform::FileStamp> stamp = MappingFileStamp();
    // The table is final before the jump exists, so the host never selects
    // against a half-read file.
    LoadMappings();
    if (debugEnabled) StartLiveEdits(stamp);
    // Registered whatever DEBUG says: hooking the frame never depends on the file.
    events::DrawEvent& frame = events::drawEvent();
    frame.Subscribe(frame.postCallSubscribers, &OnFrame);
    if (!PlateRoutineIsAtItsAddress(events::GetHostVersion())) return;
    // Unrelocated. The routine's bytes are kept, so that a host going on after
    // unload never jumps into code that is gone. One store over several of its
    // instructions: safe when no thread is inside them, as at game start. None
    // is suspended: under the loader lock, one may hold the heap's lock.
    plateRoutine_.backup(host::kPlateDesignRoutine, 5, true);
    if (plateRoutine_.is_saved())
      injector::write_jump(host::kPlateDesignRoutine, AddressOf(&SelectPlateback));
  } catch (...) {
    // Nothing may leave the host's loader; without the jump, the host's choice stays.
  }
}

}  // namespace vexilo
