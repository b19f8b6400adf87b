#include "core/published_tables.hpp"

namespace vexilo {

const PublishedTables::Slot* PublishedTables::Hold() const {
  for (;;) {
    const Slot* slot = current_.load();
    slot->readers.fetch_add(1);
    if (current_.load() == slot) return slot;
    // Published over between the two looks: this slot may be being refilled.
    slot->readers.fetch_sub(1);
  }
}

std::int32_t PublishedTables::Plateback(std::int32_t zoneIndex) const {
  const Slot* slot = Hold();
  const std::int32_t plate = slot->table.plates[static_cast<std::size_t>(zoneIndex)];
  slot->readers.fetch_sub(1, std::memory_order_release);
  return plate;
}

MappingTable* PublishedTables::Spare() {
  const Slot* current = current_.load(std::memory_order_relaxed);
  for (Slot& slot : slots_) {
    if (&slot == current || slot.readers.load() != 0) continue;
    slot.table = MappingTable{};
    return &slot.table;
  }
  return nullptr;
}

void PublishedTables::Publish(MappingTable* table) {
  for (const Slot& slot : slots_) {
    if (&slot.table == table) current_.store(&slot);
  }
}

}  // namespace vexilo
