#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

/// The host threads inside one call site's chain, and the wait of a change
/// for those of them that entered before it began.
namespace injector {

/// Host threads note their stay while they run a chain; the thread that
/// changes the chain waits for the stays that began before the change, for a
/// bounded time and never for its own. No lock, no allocation, nothing
/// thrown: a stay is taken on the host's frame path.
class running_calls {
 public:
  /// Long enough for any frame that is really running to leave (a frame lasts
  /// milliseconds; even a game stalled to one frame a second gets out), short
  /// enough that a game closing while a thread is stuck in a frame still
  /// closes at once to the player's eye.
  static constexpr std::chrono::milliseconds kWaitBound{1000};
  /// Threads inside at once whose stays are told apart; any beyond are only
  /// counted, and a wait for them ends at the bound.
  static constexpr std::size_t kSlots = 32;

  running_calls() = default;
  running_calls(const running_calls&) = delete;
  running_calls& operator=(const running_calls&) = delete;

  /// One thread's stay in the chain, from construction to destruction.
  class stay {
   public:
    explicit stay(running_calls& calls) noexcept;
    ~stay();
    stay(const stay&) = delete;
    stay& operator=(const stay&) = delete;

   private:
    running_calls& calls_;
    std::size_t slot_;
  };

  /// Waits, for at most bound, until every stay that began before this call
  /// has ended. Returns at once, false, when the calling thread is inside
  /// itself (it cannot leave while it waits). True when none of those stays
  /// is left: what they ran may then be changed or freed.
  bool wait_for_earlier_stays(std::chrono::milliseconds bound = kWaitBound) noexcept;

  /// True while the calling thread is inside.
  bool inside_on_this_thread() const noexcept;

  /// The generation stays begin in now; each wait starts a new one.
  std::uint32_t generation() const noexcept { return generation_; }

 private:
  // A stay's thread and the generation it began in. The slot is taken by
  // the thread (0 = free) before the generation is written, so a slot seen
  // taken with a generation older than a wait's counts as earlier until it
  // says otherwise.
  struct slot {
    std::atomic<std::uintptr_t> thread{0};
    std::atomic<std::uint32_t> generation{0};
  };

  bool earlier_stays_left(std::uint32_t generation) const noexcept;

  slot slots_[kSlots];
  std::atomic<std::uint32_t> generation_{1};
  std::atomic<int> uncounted_{0};
};

}  // namespace injector
