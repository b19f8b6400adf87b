#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <memory>
#include <utility>

#include "injector/frames_inside.hpp"
#include "injector/hooking.hpp"
#include "platform/platform.hpp"

/// Taking over one call instruction in the host: the instruction is made to
/// call call_hooks, which runs a chain of hook callables around the host's own
/// callee. One manager per call site owns the saved instruction; each hooker
/// owns one entry of the chain.
namespace injector {

/// Calls the next link of the chain (in the end the host's callee) and gives
/// its result. Valid only during the call of the hook it is handed to.
using next_function = std::function<std::uintptr_t()>;
/// One link of the chain: decides whether and when to call next.
using hook_callable = std::function<std::uintptr_t(next_function)>;

/// Relocation policy for call sites given at their real addresses.
struct no_relocation {
  static address_t relocate(address_t address) { return address; }
};

template <address_t Address, class Relocation>
class function_hooker_manager;

/// A hooker of the call site at Address (as the host lays it out; Relocation
/// turns it into the running address). Holds a share of the site's manager.
template <address_t Address, class Relocation = no_relocation>
class function_hooker_base : public scoped_base {
 public:
  using manager_type = function_hooker_manager<Address, Relocation>;
  static constexpr address_t address = Address;

  function_hooker_base() : manager_(manager_type::instance()) {}
  ~function_hooker_base() override { unhook(); }

  /// Withdraws this hooker's entry; the last one out puts the call back.
  void restore() override { unhook(); }

  /// Hands a hook callable to the manager, hooking the site if needed.
  virtual void attach(hook_callable callable) = 0;

  /// True from attach to restore: this hooker handed its callable over. It
  /// does not say the site was hooked (a site that holds no call is left
  /// alone); the manager's hooked() does.
  bool hooked() const { return hooked_; }

 protected:
  void unhook() {
    hooked_ = false;
    manager_->remove_hook(this);
  }

  bool hooked_ = false;
  std::shared_ptr<manager_type> manager_;
};

template <address_t Address, class Relocation = no_relocation>
class function_hooker : public function_hooker_base<Address, Relocation> {
  using base = function_hooker_base<Address, Relocation>;

 public:
  function_hooker() = default;

  /// The new hooker takes over the other's entry; the other is left with
  /// nothing to withdraw.
  function_hooker(function_hooker&& other) {
    this->hooked_ = other.hooked_;
    this->manager_->move_hook(&other, this);
  }
  function_hooker& operator=(function_hooker&&) = delete;

  void attach(hook_callable callable) override {
    this->hooked_ = true;
    this->manager_->attach_hook(this, std::move(callable), &base::manager_type::call_hooks);
  }
};

/// Owns the saved call instruction of the site at Address and the chain of
/// hook entries, at most one per hooker.
///
/// Frames and the chain: host threads run the chain through call_hooks and
/// only read it. The chain is changed only where no frame can run it: before
/// the site goes live, or, on a live site, once the host's call is back and
/// the frames inside have left (for at most a second). Frames that stay past
/// that keep the entries, which are then never freed, and the site keeps the
/// host's own call. What call_hooks reads first (the count of frames, the
/// callee, where the entries are) is in static storage. All else is changed
/// by one thread at a time: the plug-in's start-up and unload.
template <address_t Address, class Relocation>
class function_hooker_manager : public scoped_call {
 public:
  using hooker_base = function_hooker_base<Address, Relocation>;

  function_hooker_manager() : hooks_(std::make_unique<entry_list>()) { entries_ = hooks_.get(); }

  /// A share of the site's one manager, created on first use.
  static std::shared_ptr<function_hooker_manager> instance() { return shared_instance(); }

  ~function_hooker_manager() override {
    restore();
    if (left_to_frames_) static_cast<void>(hooks_.release());
  }

  /// Enters the hooker's callable; the first entry saves the call instruction
  /// and points it at replacement. Only a 5-byte relative call is taken over:
  /// a jump (another plug-in's detour) would not come back to the host, and a
  /// longer call would leave a byte of itself behind the new one. Any other
  /// site is left alone, byte for byte.
  void attach_hook(const hooker_base* hooker, hook_callable callable,
                   std::uintptr_t (*replacement)()) {
    set_hook(hooker, std::move(callable));
    if (hooked_ || left_to_frames_) return;
    const address_t site = Relocation::relocate(Address);
    std::uint8_t opcode = 0;
    if (!read_raw(&opcode, 1, site, true) || opcode != kCallRel32) return;
    const address_t callee = read_branch_target(site);
    if (callee == 0) return;
    backup(site, 5, true);
    if (!is_saved()) return;
    // The callee and the entries are in place before the site goes live: a
    // host thread may run the new call the moment it is written.
    callee_ = callee;
    replacement_ = replacement;
    redirect();
  }

  /// Replaces the hooker's callable, or appends a new entry for it.
  void set_hook(const hooker_base* hooker, hook_callable callable) {
    change_chain([&] {
      for (entry& hook : *hooks_) {
        if (hook.first == hooker) {
          hook.second = std::move(callable);
          return;
        }
      }
      hooks_->emplace_back(hooker, std::move(callable));
    });
  }

  /// Hands an entry from one hooker to another. The entry keeps its callable
  /// and its place: only its owner changes, which no frame reads, so even a
  /// live site needs no wait.
  void move_hook(const hooker_base* from, const hooker_base* to) {
    for (entry& hook : *hooks_) {
      if (hook.first == from) hook.first = to;
    }
  }

  /// Withdraws a hooker's entry; when it was the last, the call goes back.
  void remove_hook(const hooker_base* hooker) {
    for (auto it = hooks_->begin(); it != hooks_->end(); ++it) {
      if (it->first != hooker) continue;
      if (hooked_ && hooks_->size() == 1) {
        restore();
      } else {
        change_chain([&] { hooks_->erase(it); });
      }
      return;
    }
  }

  /// Puts the saved call instruction back, once, and then lets the entries go
  /// (see change_chain for frames that stay).
  void restore() override {
    if (hooked_) change_chain([this] { hooks_->clear(); });
    scoped_basic::restore();
  }

  /// Runs change where no frame sees it: at once while the site is not live;
  /// on a live site, with the host's call back and the frames inside gone,
  /// after which the call is redirected again as long as entries are left,
  /// also when change throws. The wait lasts at most frames_inside::kWaitBound
  /// and is never made while the process is ending (its other threads are
  /// gone) or from inside a frame. When it cannot end with every frame gone,
  /// nothing is changed, the entries are left to those frames for good, the
  /// site keeps the host's call, and false is returned.
  template <class Change>
  bool change_chain(Change change) {
    if (!hooked_) {
      if (left_to_frames_) return false;
      change();
      return true;
    }
    put_call_back();
    if (!frames_have_left()) {
      left_to_frames_ = true;
      return false;
    }
    const redirect_guard again{*this};
    change();
    return true;
  }

  /// What the hooked instruction calls: the chain, last entry first, around
  /// the host's callee; its result goes back to the host unchanged. Allocates
  /// nothing and lets nothing out: whatever fails, the host's callee runs
  /// once and its result is returned.
  static std::uintptr_t call_hooks() {
    const frames_inside::stay stay(frames_);
    callee_call host{reinterpret_cast<std::uintptr_t (*)()>(static_cast<std::uintptr_t>(callee_))};
    try {
      const entry_list& hooks = *entries_;
      if (hooks.empty()) return host();
      // One entry, the plug-in's own case, is the shortest chain: its next
      // is the link that calls the callee.
      return link{hooks.rbegin(), hooks.rend(), &host}();
    } catch (...) {
      return host.after_failure();
    }
  }

  address_t saved_callee() const { return callee_; }
  /// True while the call instruction is redirected to call_hooks.
  bool hooked() const { return hooked_; }
  std::size_t hook_count() const { return hooks_->size(); }
  /// True once frames that stayed past the wait were left the entries.
  bool left_to_frames() const { return left_to_frames_; }

 private:
  using entry = std::pair<const hooker_base*, hook_callable>;
  using entry_list = std::list<entry>;

  struct redirect_guard {
    function_hooker_manager& manager;
    ~redirect_guard() {
      if (!manager.hooks_->empty()) manager.redirect();
    }
  };

  // The host's callee, called at most once per frame, whatever fails around it.
  struct callee_call {
    std::uintptr_t (*callee)();
    std::uintptr_t result = 0;
    bool started = false;
    std::uintptr_t operator()() {
      started = true;
      result = callee();
      return result;
    }
    std::uintptr_t after_failure() noexcept {
      if (started) return result;
      try {
        return (*this)();
      } catch (...) {
        return result;
      }
    }
  };

  // The next-function handed to an entry: it runs the entry appended before,
  // or the callee after the first. Built on the stack and handed on by
  // reference, which a next_function holds without allocating.
  struct link {
    typename entry_list::const_reverse_iterator at;
    typename entry_list::const_reverse_iterator end;
    callee_call* host;
    std::uintptr_t operator()() const {
      if (at == end) return (*host)();
      const link next{std::next(at), end, host};
      return at->second(next_function(std::cref(next)));
    }
  };

  void redirect() {
    hooked_ = true;
    write_call(address(), static_cast<address_t>(reinterpret_cast<std::uintptr_t>(replacement_)));
  }

  // The host's own call, with the instruction still saved: the site can be
  // redirected again.
  void put_call_back() {
    hooked_ = false;
    write_back(address(), saved_bytes(), size(), true);
  }

  static bool frames_have_left() noexcept {
    return !vexilo::platform::ProcessIsEnding() && !frames_.on_this_thread() &&
           frames_.wait_until_none();
  }

  static std::shared_ptr<function_hooker_manager>& shared_instance() {
    static std::shared_ptr<function_hooker_manager> manager =
        std::make_shared<function_hooker_manager>();
    return manager;
  }

  static inline frames_inside frames_{};
  static inline std::atomic<address_t> callee_{0};
  static inline std::atomic<const entry_list*> entries_{nullptr};

  std::unique_ptr<entry_list> hooks_;
  std::uintptr_t (*replacement_)() = nullptr;
  bool hooked_ = false;
  bool left_to_frames_ = false;
};

/// The hookers a patch made, kept until the library unloads.
template <class Hooker>
std::list<Hooker>& kept_hookers() {
  static std::list<Hooker> hookers;
  return hookers;
}

}  // namespace injector
