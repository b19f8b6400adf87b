#pragma once

#include "events/event.hpp"
#include "host/addresses.hpp"

namespace events {

inline constexpr Ref kFrameDrawCallSite1001{vexilo::host::kFrameDrawCallSite,
                                            vexilo::host::kHostVersion1001};
inline constexpr Ref kFrameDrawCallSite1002{vexilo::host::kFrameDrawCallSite,
                                            vexilo::host::kHostVersion1002};

using DrawHooker =
    injector::function_hooker<vexilo::host::kFrameDrawCallSite, HostAddressRelocation>;
using DrawEvent = BaseEventI<DrawHooker, RefList<kFrameDrawCallSite1001, kFrameDrawCallSite1002>,
                             ArgPick<ArgTypes<>>>;

/// The per-frame draw event: fires once per host frame around the host's call
/// at the frame-draw call site, on the builds whose site is known. Created on
/// first use; at unload the call site gets its own call back.
DrawEvent& drawEvent();

}  // namespace events
