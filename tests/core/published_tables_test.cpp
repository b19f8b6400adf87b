#include "core/published_tables.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vexilo {
namespace {

// Fills a spare table with value everywhere; false when there was none.
bool PublishAll(PublishedTables& tables, std::int32_t value) {
  MappingTable* table = tables.Spare();
  if (table == nullptr) return false;
  table->plates.fill(value);
  tables.Publish(table);
  return true;
}

bool Whole(const MappingTable& table, std::int32_t value) {
  for (std::int32_t plate : table.plates) {
    if (plate != value) return false;
  }
  return true;
}

TEST(PublishedTables, ReadersSeeWhatWasPublishedLast) {
  static PublishedTables tables;
  EXPECT_FALSE(tables.published());
  ASSERT_TRUE(PublishAll(tables, 4));
  EXPECT_TRUE(tables.published());
  EXPECT_EQ(tables.Plateback(0), 4);
  ASSERT_TRUE(PublishAll(tables, 5));
  EXPECT_EQ(tables.Plateback(376), 5);
}

TEST(PublishedTables, AHeldTableIsNeverRewrittenHoweverOftenOthersArePublished) {
  static PublishedTables tables;
  ASSERT_TRUE(PublishAll(tables, 1));
  const PublishedTables::Held held = tables.HoldCurrent();
  for (std::int32_t value = 2; value < 10'000; ++value) {
    ASSERT_TRUE(PublishAll(tables, value)) << value;
    ASSERT_TRUE(Whole(held.table(), 1)) << "rewritten at publication " << value;
    ASSERT_EQ(tables.Plateback(100), value);
  }
}

TEST(PublishedTables, WhileEveryOtherTableIsHeldThereIsNoSpare) {
  static PublishedTables tables;
  static_assert(PublishedTables::kTableCount == 4,
                "three held tables and the current one fill the pool");
  ASSERT_TRUE(PublishAll(tables, 1));
  const PublishedTables::Held one = tables.HoldCurrent();
  ASSERT_TRUE(PublishAll(tables, 2));
  const PublishedTables::Held two = tables.HoldCurrent();
  {
    ASSERT_TRUE(PublishAll(tables, 3));
    const PublishedTables::Held three = tables.HoldCurrent();
    ASSERT_TRUE(PublishAll(tables, 4));
    EXPECT_EQ(tables.Spare(), nullptr);
    EXPECT_EQ(tables.Plateback(0), 4);
  }
  EXPECT_TRUE(PublishAll(tables, 5)) << "the third table was let go";
  EXPECT_TRUE(Whole(one.table(), 1));
  EXPECT_TRUE(Whole(two.table(), 2));
}

// Readers on other threads hold the current table and check it whole while
// the writer publishes tables as fast as it can, writing a wrong value into
// each one first: a reader that ever sees it read a table being refilled.
// So many publications that readers are preempted between their steps again
// and again: a reader that skipped its second look at the current table
// fails here every time.
TEST(PublishedTables, ReadersOnOtherThreadsOnlyEverSeeWholeTables) {
  static PublishedTables tables;
  ASSERT_TRUE(PublishAll(tables, 0));
  std::atomic<bool> stop{false};
  std::atomic<long> torn{0};
  std::atomic<long> reads{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        const PublishedTables::Held held = tables.HoldCurrent();
        if (!Whole(held.table(), held.table().plates[0]) || held.table().plates[0] < 0) ++torn;
        ++reads;
      }
    });
  }
  int published = 0;
  for (std::int32_t value = 1; published < 400'000; ++value) {
    MappingTable* table = tables.Spare();
    if (table == nullptr) continue;
    // Written through volatile, so that the wrong value really stands in
    // the table for a while.
    volatile std::int32_t* plates = table->plates.data();
    for (std::size_t zone = 0; zone < table->plates.size(); ++zone) plates[zone] = -1;
    for (std::size_t zone = 0; zone < table->plates.size(); ++zone) plates[zone] = value;
    tables.Publish(table);
    ++published;
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(torn.load(), 0) << "of " << reads.load() << " reads";
  EXPECT_GT(reads.load(), 0);
}

}  // namespace
}  // namespace vexilo
