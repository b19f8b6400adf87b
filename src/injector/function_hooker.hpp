#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <memory>
#include <utility>

#include "injector/hooking.hpp"

/// Taking over one call instruction in the host: the instruction is made to
/// call call_hooks, which runs a chain of hook callables around the host's own
/// callee. One manager per call site owns the saved instruction and the
/// chain; each hooker owns one entry of it.
///
/// Made for a plug-in loaded at start and unloaded at quit: the chain is
/// complete before the site goes live and changes again only at unload, once
/// the host's call is back. Frames only read it. Nothing waits for a frame
/// inside: at quit the host's other threads are gone, and a library unloaded
/// while a frame runs inside it is unmapped under that frame whatever is done.
namespace injector {

/// Calls the next link of the chain (in the end the host's callee) and gives
/// its result. It refers to a link on call_hooks' stack, so it is valid only
/// during the call of the hook it is handed to; it is free to copy and owns
/// nothing, so a frame builds it without a word of bookkeeping.
class next_function {
 public:
  template <class Link>
  explicit next_function(Link& link)
      : link_(&link), call_([](void* at) { return (*static_cast<Link*>(at))(); }) {}
  std::uintptr_t operator()() const { return call_(link_); }

 private:
  void* link_;
  std::uintptr_t (*call_)(void*);
};
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
  ~function_hooker_base() override { restore(); }

  /// Withdraws this hooker's entry; the last one out puts the call back.
  void restore() override {
    hooked_ = false;
    manager_->remove_hook(this);
  }

  /// Hands a hook callable to the manager, hooking the site if needed.
  virtual void attach(hook_callable callable) = 0;

  /// True from attach to restore; the manager's hooked() tells of the site.
  bool hooked() const { return hooked_; }

 protected:
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
/// hook entries, one per hooker, changed only while no frame can run it.
template <address_t Address, class Relocation>
class function_hooker_manager : public scoped_call {
 public:
  using hooker_base = function_hooker_base<Address, Relocation>;

  /// A share of the site's one manager, created on first use.
  static std::shared_ptr<function_hooker_manager> instance() { return shared_instance(); }

  ~function_hooker_manager() override { restore(); }

  /// Enters the hooker's callable; the first entry saves the call instruction
  /// and points it at replacement. Only a 5-byte relative call is taken over:
  /// a jump (another plug-in's detour) would not come back to the host, and a
  /// longer call would leave a byte of itself behind the new one. Any other
  /// site is left alone, byte for byte.
  void attach_hook(const hooker_base* hooker, hook_callable callable,
                   std::uintptr_t (*replacement)()) {
    set_hook(hooker, std::move(callable));
    if (hooked_) return;
    const address_t site = Relocation::relocate(Address);
    std::uint8_t opcode = 0;
    if (!read_raw(&opcode, 1, site, true) || opcode != kCallRel32) return;
    const address_t callee = read_branch_target(site);
    if (callee == 0) return;
    backup(site, 5, true);
    if (!is_saved()) return;
    // The callee and the chain are in place before the site goes live: a
    // host thread may run the new call the moment it is written.
    callee_ = callee;
    hooked_ = true;
    write_call(site, static_cast<address_t>(reinterpret_cast<std::uintptr_t>(replacement)));
  }

  /// Replaces the hooker's callable, or appends a new entry for it.
  void set_hook(const hooker_base* hooker, hook_callable callable) {
    for (entry& hook : hooks_) {
      if (hook.first == hooker) {
        hook.second = std::move(callable);
        return;
      }
    }
    hooks_.emplace_back(hooker, std::move(callable));
  }

  /// Hands an entry from one hooker to another; it keeps its callable and
  /// its place in the chain.
  void move_hook(const hooker_base* from, const hooker_base* to) {
    for (entry& hook : hooks_) {
      if (hook.first == from) hook.first = to;
    }
  }

  /// Withdraws a hooker's entry; when it was the last, the call goes back.
  void remove_hook(const hooker_base* hooker) {
    hooks_.remove_if([hooker](const entry& hook) { return hook.first == hooker; });
    if (hooks_.empty()) restore();
  }

  /// Puts the saved call instruction back, then lets the entries go; does
  /// nothing while the site is not hooked.
  void restore() override {
    if (!hooked_) return;
    hooked_ = false;
    scoped_basic::restore();
    hooks_.clear();
  }

  /// What the hooked instruction calls: the chain, last entry first, around
  /// the host's callee; its result goes back to the host unchanged. Allocates
  /// nothing and lets nothing out: whatever fails, the host's callee runs
  /// once and its result is returned.
  static std::uintptr_t call_hooks() {
    // By reference: a share taken on every frame would cost two atomic counts.
    const function_hooker_manager& manager = *shared_instance();
    callee_call host{
        reinterpret_cast<std::uintptr_t (*)()>(static_cast<std::uintptr_t>(manager.callee_))};
    try {
      if (manager.hooks_.empty()) return host();
      link first{manager.hooks_.rbegin(), manager.hooks_.rend(), &host};
      return first();
    } catch (...) {
      return host.after_failure();
    }
  }

  address_t saved_callee() const { return callee_; }
  /// True while the call instruction is redirected to call_hooks.
  bool hooked() const { return hooked_; }
  std::size_t hook_count() const { return hooks_.size(); }

 private:
  using entry = std::pair<const hooker_base*, hook_callable>;
  using entry_list = std::list<entry>;

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

  // Runs the entry at and hands it the next-function: the entry appended
  // before, or the callee after the first. Built on the stack and handed on
  // by reference.
  struct link {
    typename entry_list::const_reverse_iterator at;
    typename entry_list::const_reverse_iterator end;
    callee_call* host;
    std::uintptr_t operator()() {
      link next{std::next(at), end, host};
      if (next.at == end) return at->second(next_function(*host));
      return at->second(next_function(next));
    }
  };

  static std::shared_ptr<function_hooker_manager>& shared_instance() {
    static std::shared_ptr<function_hooker_manager> manager =
        std::make_shared<function_hooker_manager>();
    return manager;
  }

  entry_list hooks_;
  address_t callee_ = 0;
  bool hooked_ = false;
};

/// The hookers a patch made, kept until the library unloads.
template <class Hooker>
std::list<Hooker>& kept_hookers() {
  static std::list<Hooker> hookers;
  return hookers;
}

}  // namespace injector
