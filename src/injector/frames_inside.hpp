#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace injector {

/// The frames inside one hooked call site: one count, taken before anything
/// else a frame does, that unload waits on, and the threads of the first few
/// frames, so that nothing waits for its own thread. Constant-initialised and
/// never freed: it stays valid as long as the library's image does. No lock,
/// no allocation, nothing thrown: it is on the host's frame path.
class frames_inside {
 public:
  /// Long enough for any frame that is really running to leave (a frame lasts
  /// milliseconds; even a game stalled to one frame a second gets out), short
  /// enough that an unload with a thread stuck in a frame still ends at once
  /// to the player's eye.
  static constexpr std::chrono::milliseconds kWaitBound{1000};

  constexpr frames_inside() = default;
  frames_inside(const frames_inside&) = delete;
  frames_inside& operator=(const frames_inside&) = delete;

  /// One frame, from construction to destruction.
  class stay {
   public:
    explicit stay(frames_inside& frames) noexcept;
    ~stay();
    stay(const stay&) = delete;
    stay& operator=(const stay&) = delete;

   private:
    frames_inside& frames_;
    std::size_t slot_;
  };

  /// True while the calling thread is inside a frame.
  bool on_this_thread() const noexcept;

  /// Waits, for at most bound, until no frame is inside; true when none is.
  /// Only meaningful once no new frame can begin (the host's call is back).
  bool wait_until_none(std::chrono::milliseconds bound = kWaitBound) const noexcept;

 private:
  // A game runs its frames on one thread; more at once are only counted, and
  // one of them that unloads would wait, for the bound, for itself.
  static constexpr std::size_t kNamed = 4;

  std::atomic<int> count_{0};
  std::atomic<std::uintptr_t> threads_[kNamed] = {};
};

}  // namespace injector
