#include "injector/frames_inside.hpp"

#include "platform/platform.hpp"

namespace injector {

frames_inside::stay::stay(frames_inside& frames) noexcept : frames_(frames), slot_(kNamed) {
  ++frames_.count_;
  const std::uintptr_t self = vexilo::platform::CurrentThreadId();
  for (std::size_t i = 0; i < kNamed; ++i) {
    std::uintptr_t free = 0;
    if (frames_.threads_[i].compare_exchange_strong(free, self)) {
      slot_ = i;
      return;
    }
  }
}

frames_inside::stay::~stay() {
  if (slot_ != kNamed) frames_.threads_[slot_] = 0;
  --frames_.count_;
}

bool frames_inside::on_this_thread() const noexcept {
  const std::uintptr_t self = vexilo::platform::CurrentThreadId();
  for (const auto& thread : threads_) {
    if (thread == self) return true;
  }
  return false;
}

bool frames_inside::wait_until_none(std::chrono::milliseconds bound) const noexcept {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (count_ != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    vexilo::platform::YieldToOtherThreads();
  }
  return true;
}

}  // namespace injector
