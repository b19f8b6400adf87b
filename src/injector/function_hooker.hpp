#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <utility>

#include "injector/hooking.hpp"
#include "platform/platform.hpp"

/// Taking over one call instruction in the host: the instruction is made to
/// call call_hooks, which runs a chain of hook callables around the host's own
/// callee. One manager per call site owns the saved instruction; each hooker
/// owns one entry of the chain.
namespace injector {

/// Calls the next link of the chain (in the end the host's callee) and gives
/// its result.
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

  /// The new hooker takes over the other's entry, which keeps its place at
  /// the end of the chain; the other is left with nothing to withdraw.
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
template <address_t Address, class Relocation>
class function_hooker_manager : public scoped_call {
 public:
  using hooker_base = function_hooker_base<Address, Relocation>;

  /// A share of the site's one manager, created on first use.
  static std::shared_ptr<function_hooker_manager> instance() { return shared_instance(); }

  ~function_hooker_manager() override {
    restore();
    hooks_.clear();
    scoped_basic::restore();
  }

  /// Enters the hooker's callable; the first entry saves the call instruction
  /// and points it at replacement. A site that holds no branch the patcher
  /// recognises is left alone: its callee would be unknown.
  void attach_hook(const hooker_base* hooker, hook_callable callable, std::uintptr_t (*replacement)()) {
    set_hook(hooker, std::move(callable));
    if (hooked_) return;
    const address_t site = Relocation::relocate(Address);
    const address_t callee = read_branch_target(site);
    if (callee == 0) return;
    backup(site, 5, true);
    if (!is_saved()) return;
    // The callee and the entry are in place before the site goes live: a
    // host thread may run the new call the moment it is written.
    saved_callee_ = callee;
    hooked_ = true;
    write_call(site, static_cast<address_t>(reinterpret_cast<std::uintptr_t>(replacement)));
  }

  /// Replaces the hooker's callable, or appends a new entry for it.
  void set_hook(const hooker_base* hooker, hook_callable callable) {
    change_chain([&] {
      for (entry& hook : hooks_) {
        if (hook.first == hooker) {
          hook.second = std::move(callable);
          return;
        }
      }
      hooks_.emplace_back(hooker, std::move(callable));
    });
  }

  /// Moves an entry from one hooker to another, to the end of the chain.
  void move_hook(const hooker_base* from, const hooker_base* to) {
    change_chain([&] {
      for (auto it = hooks_.begin(); it != hooks_.end(); ++it) {
        if (it->first == from) {
          hooks_.emplace_back(to, std::move(it->second));
          hooks_.erase(it);
          return;
        }
      }
    });
  }

  /// Withdraws a hooker's entry; when it was the last, the call goes back.
  void remove_hook(const hooker_base* hooker) {
    for (auto it = hooks_.begin(); it != hooks_.end(); ++it) {
      if (it->first != hooker) continue;
      if (hooked_ && hooks_.size() == 1) {
        restore();
      } else {
        change_chain([&] { hooks_.erase(it); });
      }
      return;
    }
  }

  /// Puts the saved call instruction back, once. The host's own call goes
  /// back before the entries go, and they go only once no host thread is
  /// still running them.
  void restore() override {
    if (!hooked_) return;
    hooked_ = false;
    scoped_basic::restore();
    wait_for_running_calls();
    hooks_.clear();
  }

  /// Runs change over the chain where no host thread sees it half done: while
  /// the site is live, frames meanwhile call the host's callee directly. Must
  /// not be called from inside a hook.
  template <class Change>
  void change_chain(Change change) {
    const bool live = hooked_.exchange(false);
    if (live) wait_for_running_calls();
    change();
    if (live) hooked_ = true;
  }

  /// What the hooked instruction calls: the chain, last entry first, around
  /// the host's callee; its result goes back to the host unchanged.
  static std::uintptr_t call_hooks() {
    function_hooker_manager& manager = *shared_instance();
    const running_call running(manager.running_calls_);
    const auto callee = reinterpret_cast<std::uintptr_t (*)()>(static_cast<std::uintptr_t>(manager.saved_callee_));
    if (!manager.hooked_ || manager.hooks_.empty()) return callee();
    next_function next = [callee] { return callee(); };
    if (manager.hooks_.size() == 1) return manager.hooks_.front().second(std::move(next));
    for (entry& hook : manager.hooks_) {
      next = [&hook, previous = std::move(next)] { return hook.second(previous); };
    }
    return next();
  }

  address_t saved_callee() const { return saved_callee_; }
  bool hooked() const { return hooked_; }
  std::size_t hook_count() const { return hooks_.size(); }

 private:
  using entry = std::pair<const hooker_base*, hook_callable>;

  // Counts the host threads inside call_hooks, so that the chain is changed
  // only when none is.
  class running_call {
   public:
    explicit running_call(std::atomic<int>& count) : count_(count) { ++count_; }
    ~running_call() { --count_; }
    running_call(const running_call&) = delete;
    running_call& operator=(const running_call&) = delete;

   private:
    std::atomic<int>& count_;
  };

  // A thread that entered before hooked_ went false is counted; one that
  // enters after sees it false and keeps off the chain.
  void wait_for_running_calls() const {
    while (running_calls_ != 0) vexilo::platform::YieldToOtherThreads();
  }

  static std::shared_ptr<function_hooker_manager>& shared_instance() {
    static std::shared_ptr<function_hooker_manager> manager = std::make_shared<function_hooker_manager>();
    return manager;
  }

  address_t saved_callee_ = 0;
  std::list<entry> hooks_;
  std::atomic<bool> hooked_{false};
  std::atomic<int> running_calls_{0};
};

/// The hookers a patch made, kept until the library unloads.
template <class Hooker>
std::list<Hooker>& kept_hookers() {
  static std::list<Hooker> hookers;
  return hookers;
}

}  // namespace injector
