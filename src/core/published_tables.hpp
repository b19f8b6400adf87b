#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/mapping_format.hpp"

namespace vexilo {

/// Mapping tables that the frame thread publishes while plate requests, on
/// any host thread, read the current one. A fixed pool: memory stays the same
/// however often a table is published.
///
/// Why it is safe. A reader counts itself in at the slot it found current and
/// looks again: only if that slot is still the current one does it read, and
/// then it counts itself out; otherwise it counts itself out unread and starts
/// over. The one writer fills only a slot that is not current and whose count
/// it finds at zero, and then makes it current with one atomic store. Every
/// step is sequentially consistent, so for a reader and a refill of its slot
/// one of two orders holds. Either the writer's look at the count comes after
/// the reader counted itself in: the writer leaves the slot alone. Or it comes
/// before: then the reader's second look comes after the refill began, so it
/// finds the slot current only once the writer has published it whole, and
/// reads the new table; else it lets go unread. So no slot is rewritten while
/// a reader uses it, and every reader sees one table whole. A reader starts
/// over only when a table was published between its two looks, at most once
/// per query of the file (twice a second): it never waits for the writer.
class PublishedTables {
  struct Slot {
    MappingTable table{};
    mutable std::atomic<std::uint32_t> readers{0};
  };

 public:
  static constexpr std::size_t kTableCount = 4;

  /// A table held for reading; it is neither rewritten nor reused while this
  /// object lives.
  class Held {
   public:
    ~Held() { slot_->readers.fetch_sub(1, std::memory_order_release); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    const MappingTable& table() const { return slot_->table; }

   private:
    friend class PublishedTables;
    explicit Held(const Slot* slot) : slot_(slot) {}
    const Slot* slot_;
  };

  constexpr PublishedTables() = default;
  PublishedTables(const PublishedTables&) = delete;
  PublishedTables& operator=(const PublishedTables&) = delete;

  /// True once a table has been published.
  bool published() const { return current_.load(std::memory_order_acquire) != nullptr; }

  /// Holds the current table. Only once published() is true.
  Held HoldCurrent() const { return Held(Hold()); }

  /// The entry of the current table at a zone index (0..kZoneCount-1). Only
  /// once published() is true.
  std::int32_t Plateback(std::int32_t zoneIndex) const;

  /// For the one writer: an empty table that no reader holds and that is not
  /// the current one, to be filled and then published; null while every such
  /// table is still held by a reader (try again later).
  MappingTable* Spare();

  /// For the one writer: makes a table that Spare gave the current one.
  void Publish(MappingTable* table);

 private:
  const Slot* Hold() const;

  Slot slots_[kTableCount]{};
  std::atomic<const Slot*> current_{nullptr};
};

}  // namespace vexilo
