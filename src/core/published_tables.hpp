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
/// Why it is safe. A reader holds a table by counting itself in its slot and
/// then checking that the slot is still the current one; only then does it
/// read, and it counts itself out when done. The one writer fills only a
/// slot that is not current and whose count it finds at zero, and then makes
/// it current with one atomic store. All of these steps are sequentially
/// consistent, so either the writer's look at the count comes after a
/// reader's count, and the slot is left alone, or it comes before: then the
/// reader's check, which follows its count, finds the slot is not current
/// (or finds it current only once the writer has published it whole), and
/// the reader lets go without reading. So no slot is written while a reader
/// uses it, and a reader sees one table whole. A reader tries again only when
/// a table was published between its two looks, which happens at most once
/// per query of the file.
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
