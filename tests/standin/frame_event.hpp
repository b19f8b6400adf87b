#pragma once

#include "events/event.hpp"
#include "host/addresses.hpp"
#include "host_memory.hpp"

/// Hooks and events over the stand-in's frame call site, for code that runs
/// the plug-in's layers in its own process.
namespace vexilo::standin {

/// Relocation policy for the stand-in's call sites. Each Tag makes a hook
/// type of its own, with a manager of its own, so that tests never share one.
template <int Tag>
struct StandinRelocation {
  static injector::address_t relocate(injector::address_t address) { return Relocated(address); }
};

template <int Tag>
using StandinHooker = injector::function_hooker<host::kFrameDrawCallSite, StandinRelocation<Tag>>;

inline constexpr events::Ref kStandinFrameOn1001{host::kFrameDrawCallSite, 1001};
inline constexpr events::Ref kStandinFrameOn1011{host::kFrameDrawCallSite, 1011};

/// A frame event like the plug-in's, on build 1001 (or another build's site).
template <int Tag, const events::Ref& Site = kStandinFrameOn1001>
using StandinFrameEvent = events::BaseEventI<StandinHooker<Tag>, events::RefList<Site>,
                                             events::ArgPick<events::ArgTypes<>>>;

}  // namespace vexilo::standin
