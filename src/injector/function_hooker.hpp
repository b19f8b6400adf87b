#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <memory>
#include <new>
#include <utility>

#include "injector/hooking.hpp"
#include "injector/running_calls.hpp"
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
///
/// Who changes what: hooked_ is this hooker's own (true from attach to
/// restore), changed by the thread that owns the hooker; the entry it stands
/// for is the manager's.
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
///
/// Who changes what: hooked_ (the call is redirected), the entries and the
/// saved instruction are changed only by the thread that hooks, changes and
/// unhooks the site: start-up and unload, one thread at a time. Host threads
/// only read the chain, and only while it is open; they note their stay in
/// it, which is all they write. The changing thread closes the chain before
/// a change and opens it after, once the host threads that were inside have
/// left.
template <address_t Address, class Relocation>
class function_hooker_manager : public scoped_call {
 public:
  using hooker_base = function_hooker_base<Address, Relocation>;

  function_hooker_manager() : chain_(new chain) {}

  /// A share of the site's one manager, created on first use.
  static std::shared_ptr<function_hooker_manager> instance() { return shared_instance(); }

  ~function_hooker_manager() override {
    restore();
    // A chain that host threads may still be running is left to them.
    chain* current = chain_.load();
    if (!current->left_to_threads) delete current;
    scoped_basic::restore();
  }

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
    // The callee and the entries are in place and the chain open before the
    // site goes live: a host thread may run the new call the moment it is
    // written.
    chain& current = *chain_.load();
    current.callee = callee;
    current.open = true;
    hooked_ = true;
    write_call(site, static_cast<address_t>(reinterpret_cast<std::uintptr_t>(replacement)));
  }

  /// Replaces the hooker's callable, or appends a new entry for it.
  void set_hook(const hooker_base* hooker, hook_callable callable) {
    entry_list& hooks = chain_.load()->hooks;
    change_chain([&] {
      for (entry& hook : hooks) {
        if (hook.first == hooker) {
          hook.second = std::move(callable);
          return;
        }
      }
      hooks.emplace_back(hooker, std::move(callable));
    });
  }

  /// Moves an entry from one hooker to another, to the end of the chain.
  void move_hook(const hooker_base* from, const hooker_base* to) {
    entry_list& hooks = chain_.load()->hooks;
    change_chain([&] {
      for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->first == from) {
          hooks.emplace_back(to, std::move(it->second));
          hooks.erase(it);
          return;
        }
      }
    });
  }

  /// Withdraws a hooker's entry; when it was the last, the call goes back.
  /// An entry that a stuck host thread may still be running stays, owned by
  /// no hooker.
  void remove_hook(const hooker_base* hooker) {
    entry_list& hooks = chain_.load()->hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
      if (it->first != hooker) continue;
      if (hooked_ && owned_entries(hooks) == 1) {
        restore();
      } else if (!change_chain([&] { hooks.erase(it); })) {
        it->first = nullptr;
      }
      return;
    }
  }

  /// Puts the saved call instruction back, once. The host's own call goes
  /// back first, in every case; the entries go only once the host threads
  /// that were running them have left. Threads that do not leave in time, or
  /// that cannot (the process is ending, or this thread is one of them), keep
  /// the whole chain: it is left to them, never freed, and a fresh one serves
  /// the site from now on.
  void restore() override {
    if (!hooked_) return;
    hooked_ = false;
    chain& current = *chain_.load();
    current.open = false;
    scoped_basic::restore();
    if (left_by_earlier_calls(current)) {
      current.hooks.clear();
    } else {
      abandon(current);
    }
  }

  /// Runs change over the entries where no host thread sees it half done:
  /// while the chain is closed, frames call the host's callee directly. The
  /// change waits for the host threads that were inside the chain, for a
  /// bounded time; when they have not left by then, when the calling thread
  /// is inside the chain itself, or when the process is ending, the change
  /// is not made and false is returned. The chain is open again afterwards whatever happens, also
  /// when the change throws.
  template <class Change>
  bool change_chain(Change change) {
    chain& current = *chain_.load();
    const bool wasOpen = current.open.exchange(false);
    const reopen_guard reopen{current, wasOpen};
    if (wasOpen && !left_by_earlier_calls(current)) return false;
    change();
    return true;
  }

  /// What the hooked instruction calls: the chain, last entry first, around
  /// the host's callee; its result goes back to the host unchanged. Allocates
  /// nothing and lets nothing out: whatever fails, the host's callee runs
  /// once and its result is returned.
  static std::uintptr_t call_hooks() {
    // From here on this call uses only its chain, which outlives it.
    chain& current = *shared_instance()->chain_.load();
    const running_calls::stay stay(current.calls);
    callee_call host{
        reinterpret_cast<std::uintptr_t (*)()>(static_cast<std::uintptr_t>(current.callee))};
    try {
      if (!current.open || current.hooks.empty()) return host();
      // One entry, the plug-in's own case, is the shortest chain: its next
      // is the link that calls the callee.
      return link{current.hooks.rbegin(), current.hooks.rend(), &host}();
    } catch (...) {
      return host.after_failure();
    }
  }

  address_t saved_callee() const { return chain_.load()->callee; }
  /// True while the call instruction is redirected to call_hooks.
  bool hooked() const { return hooked_; }
  std::size_t hook_count() const { return chain_.load()->hooks.size(); }
  /// True while host threads may run the entries: closed during a change and
  /// while the site is not hooked.
  bool chain_open() const { return chain_.load()->open; }
  /// True once a chain was left to host threads that had not left it.
  static bool abandoned() { return abandoned_flag(); }

 private:
  using entry = std::pair<const hooker_base*, hook_callable>;
  using entry_list = std::list<entry>;

  // What a host thread running a frame touches. It lives apart from the
  // manager so that it can be left to threads that are still inside.
  struct chain {
    address_t callee = 0;
    entry_list hooks;
    running_calls calls;
    // Open: host threads may run the entries (changed by the changing thread only).
    std::atomic<bool> open{false};
    // Left to host threads that had not left it: never freed, but kept
    // reachable, in a list of such chains.
    bool left_to_threads = false;
    chain* left_before = nullptr;
  };

  struct reopen_guard {
    chain& current;
    bool wasOpen;
    ~reopen_guard() {
      if (wasOpen) current.open = true;
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
    typename entry_list::reverse_iterator at;
    typename entry_list::reverse_iterator end;
    callee_call* host;
    std::uintptr_t operator()() const {
      if (at == end) return (*host)();
      const link next{std::next(at), end, host};
      return at->second(next_function(std::cref(next)));
    }
  };

  // True once the host threads that were inside current when this began
  // have left it. False at once while the process is ending (those threads
  // are gone, and nothing waits for them) or when this thread is inside;
  // false after the bound when they stay.
  static bool left_by_earlier_calls(chain& current) noexcept {
    return !vexilo::platform::ProcessIsEnding() && current.calls.wait_for_earlier_stays();
  }

  // Called when host threads may still run current: it is never freed, and
  // the site gets a fresh chain for whatever comes next.
  void abandon(chain& current) noexcept {
    current.left_to_threads = true;
    current.left_before = left_chains();
    left_chains() = &current;
    abandoned_flag() = true;
    try {
      chain* fresh = new chain;
      fresh->callee = current.callee;
      chain_ = fresh;
    } catch (...) {
      // Out of memory: the closed chain stays in use, its entries with it.
    }
  }

  static std::size_t owned_entries(const entry_list& hooks) {
    std::size_t owned = 0;
    for (const entry& hook : hooks) owned += hook.first != nullptr;
    return owned;
  }

  static chain*& left_chains() {
    static chain* last = nullptr;
    return last;
  }

  static std::atomic<bool>& abandoned_flag() {
    static std::atomic<bool> flag{false};
    return flag;
  }

  static std::shared_ptr<function_hooker_manager>& shared_instance() {
    static std::shared_ptr<function_hooker_manager> manager =
        std::make_shared<function_hooker_manager>();
    return manager;
  }

  std::atomic<chain*> chain_;
  bool hooked_ = false;
};

/// A static object that host threads reach through a call site's chain (an
/// event whose subscribers the chain runs): destroyed with the other statics,
/// unless a chain of that site was left to threads still inside it.
template <class T, class Manager>
class kept_while_running {
 public:
  kept_while_running() { new (storage_) T(); }
  ~kept_while_running() {
    if (!Manager::abandoned()) get().~T();
  }
  kept_while_running(const kept_while_running&) = delete;
  kept_while_running& operator=(const kept_while_running&) = delete;

  T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

/// The hookers a patch made, kept until the library unloads.
template <class Hooker>
std::list<Hooker>& kept_hookers() {
  static std::list<Hooker> hookers;
  return hookers;
}

}  // namespace injector
