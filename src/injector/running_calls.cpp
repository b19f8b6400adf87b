#include "injector/running_calls.hpp"

#include "platform/platform.hpp"

namespace injector {

running_calls::stay::stay(running_calls& calls) noexcept : calls_(calls), slot_(kSlots) {
  const std::uintptr_t self = vexilo::platform::CurrentThreadId();
  for (std::size_t i = 0; i < kSlots; ++i) {
    std::uintptr_t free = 0;
    if (calls_.slots_[i].thread.compare_exchange_strong(free, self)) {
      calls_.slots_[i].generation = calls_.generation_.load();
      slot_ = i;
      return;
    }
  }
  ++calls_.uncounted_;
}

running_calls::stay::~stay() {
  if (slot_ == kSlots) {
    --calls_.uncounted_;
  } else {
    calls_.slots_[slot_].thread = 0;
  }
}

bool running_calls::inside_on_this_thread() const noexcept {
  const std::uintptr_t self = vexilo::platform::CurrentThreadId();
  for (const slot& each : slots_) {
    if (each.thread == self) return true;
  }
  return false;
}

bool running_calls::earlier_stays_left(std::uint32_t generation) const noexcept {
  if (uncounted_ != 0) return true;
  for (const slot& each : slots_) {
    // Read in the order the stay writes them: a generation read after the
    // thread belongs to that thread's stay or to a later one.
    if (each.thread == 0) continue;
    if (static_cast<std::int32_t>(each.generation - generation) < 0) return true;
  }
  return false;
}

bool running_calls::wait_for_earlier_stays(std::chrono::milliseconds bound) noexcept {
  if (inside_on_this_thread()) return false;
  // Stays that begin from here on carry this generation or a later one.
  const std::uint32_t generation = ++generation_;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (earlier_stays_left(generation)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    vexilo::platform::YieldToOtherThreads();
  }
  return true;
}

}  // namespace injector
