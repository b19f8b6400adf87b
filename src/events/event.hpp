#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <utility>

#include "events/host_version.hpp"
#include "injector/function_hooker.hpp"

/// Events built on hooked host call sites: callables subscribed to an event
/// run before and after the host's own call, each time the host makes it.
namespace events {

/// A call site recorded for one host build: its address as the host lays it
/// out at 0x400000, and the build's id.
struct Ref {
  injector::address_t address;
  std::int32_t version;
};

/// The call sites an event knows, fixed at build time.
template <const Ref&... Refs>
struct RefList {
  static constexpr Ref refs[] = {Refs...};
};

/// The callee's argument types an event hands on to its subscribers.
template <class... Types>
struct ArgTypes {};

/// Picks the callee's arguments for subscribers; over empty ArgTypes they get none.
template <class Types>
struct ArgPick {};

/// An event over the call site of Hooker. Subscribers take no arguments and
/// cannot change what the host gets back.
template <class Hooker, class Refs, class Pick>
class BaseEventI {
 public:
  using subscriber = std::function<void()>;
  using plain_function = void (*)();
  /// A subscriber as stored, with the plain function it holds (or null),
  /// found once when it is stored rather than on every frame.
  struct stored_subscriber {
    subscriber callable;
    plain_function function;
  };
  using subscriber_list = std::list<stored_subscriber>;

  /// Set by the first subscription's PatchAll, hooked or not; never cleared.
  bool patched = false;
  /// Run, first to last, before the host's callee.
  subscriber_list preCallSubscribers;
  /// Run, first to last, after the host's callee.
  subscriber_list postCallSubscribers;

  BaseEventI() = default;
  BaseEventI(const BaseEventI&) = delete;
  BaseEventI& operator=(const BaseEventI&) = delete;

  /// Appends a subscriber to one of the two lists. A plain function already
  /// in that list is not added twice; any other callable always is. The first
  /// subscription hooks the call site once its subscriber is stored, so the
  /// site goes live with it in place. Frames read the lists without a lock:
  /// every subscription belongs to start-up, before the host runs frames.
  void Subscribe(subscriber_list& list, subscriber callable) {
    const plain_function function = PlainFunction(callable);
    if (function != nullptr && IsListed(list, function)) return;
    list.push_back({std::move(callable), function});
    if (!patched) {
      patched = true;
      PatchAll();
    }
  }

  /// Hooks the call site for the running host build, if the event knows it.
  void PatchAll() {
    for (const Ref& ref : Refs::refs) {
      if (GetHostVersion() != ref.version) continue;
      // The manager comes before the list of kept hookers, so that it outlives
      // them at unload.
      const auto manager = Hooker::manager_type::instance();
      std::list<Hooker>& kept = injector::kept_hookers<Hooker>();
      // Built where it is kept: the entry that the host may run from the
      // moment the site is written never moves.
      Hooker& hooker = kept.emplace_back();
      hooker.attach([this](injector::next_function&& next) { return RunSubscribers(next); });
      // A site that could not be hooked keeps no hooker, nor its entry.
      if (!manager->hooked()) kept.pop_back();
    }
  }

  /// The event's hook callable: pre-call subscribers, the callee, post-call
  /// subscribers; the callee's result is returned unchanged.
  std::uintptr_t RunSubscribers(const injector::next_function& next) {
    RunEach(preCallSubscribers);
    const std::uintptr_t result = next();
    RunEach(postCallSubscribers);
    return result;
  }

 private:
  // A noexcept function is stored as a pointer of its own type; it is the
  // same plain function all the same.
  static plain_function PlainFunction(const subscriber& callable) {
    if (const auto* function = callable.template target<void (*)()>()) return *function;
    if (const auto* function = callable.template target<void (*)() noexcept>()) return *function;
    return nullptr;
  }

  static bool IsListed(const subscriber_list& list, plain_function function) {
    for (const stored_subscriber& entry : list) {
      if (entry.function == function) return true;
    }
    return false;
  }

  // Each call goes through a fresh copy, so a callable's own state does not
  // carry from one frame to the next. A plain function has no state to carry,
  // and is called without one.
  static void RunEach(const subscriber_list& list) {
    for (const stored_subscriber& entry : list) {
      if (entry.function != nullptr)
        entry.function();
      else
        subscriber{entry.callable}();
    }
  }
};

}  // namespace events
