#include "injector/hooking.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>

#include "platform/platform.hpp"
#include "test_pages.hpp"

#if defined(__linux__) && defined(__i386__)
#include <signal.h>
#endif

namespace injector {
namespace {

using vexilo::testing::TestPages;
namespace platform = vexilo::platform;

std::array<std::uint8_t, 5> BytesAt(const TestPages& pages, std::size_t offset) {
  std::array<std::uint8_t, 5> bytes;
  std::memcpy(bytes.data(), pages.bytes(offset), bytes.size());
  return bytes;
}

class HostCode : public ::testing::Test {
 protected:
  void SetUp() override { readExecute_ = *platform::QueryProtection(pages_.address()); }

  // Every test ends with the page as it found it: read-execute, not writable.
  void TearDown() override {
    EXPECT_EQ(platform::QueryProtection(pages_.address()), readExecute_);
    EXPECT_FALSE(platform::IsWritable(readExecute_));
  }

  void PokeBytes(std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
    pages_.Poke(offset, std::data(bytes), bytes.size());
  }

  void PokeU32(std::size_t offset, std::uint32_t value) {
    pages_.Poke(offset, &value, sizeof value);
  }

  TestPages pages_;
  platform::Protection readExecute_ = 0;
};

TEST_F(HostCode, ReadBranchTargetDecodesEveryRecognisedBranch) {
  const address_t a = pages_.address(0x100);
  PokeBytes(0x100, {0xE8, 0x10, 0, 0, 0});
  EXPECT_EQ(read_branch_target(a), a + 0x15);
  PokeBytes(0x100, {0xE9, 0xF0, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(read_branch_target(a), a + 5 - 0x10);

  const address_t slot = pages_.address(0x200);
  PokeU32(0x200, 0xCAFEF00Du);
  for (std::uint8_t modrm : {kCallThroughSlot, kJumpThroughSlot}) {
    PokeBytes(0x100, {0xFF, modrm});
    PokeU32(0x102, slot);
    EXPECT_EQ(read_branch_target(a), 0xCAFEF00Du) << int{modrm};
  }
}

TEST_F(HostCode, ReadBranchTargetGivesZeroForAnythingElse) {
  const address_t a = pages_.address(0x100);
  // FF 35 is a push through a slot: its slot is readable and holds a value.
  PokeU32(0x200, 0xCAFEF00Du);
  PokeBytes(0x100, {0xFF, 0x35});
  PokeU32(0x102, pages_.address(0x200));
  EXPECT_EQ(read_branch_target(a), 0u);
  PokeBytes(0x100, {0x90, 0x90, 0x90, 0x90, 0x90});
  EXPECT_EQ(read_branch_target(a), 0u);
  // A slot that points nowhere, and code that is not there at all.
  PokeBytes(0x100, {0xFF, 0x25});
  PokeU32(0x102, pages_.unmapped());
  EXPECT_EQ(read_branch_target(a), 0u);
  EXPECT_EQ(read_branch_target(pages_.unmapped()), 0u);
}

TEST_F(HostCode, ASlotIsReadAsDataAndItsProtectionNeverChanges) {
  // A read-only file mapping cannot be made writable, but it can be read.
  const vexilo::testing::ReadOnlyFilePage slot(0xCAFEF00Du);
  const std::optional<platform::Protection> before = platform::QueryProtection(slot.address());
  ASSERT_TRUE(before.has_value());
  platform::Protection ignored = 0;
  ASSERT_FALSE(platform::Unprotect(slot.address(), 4, &ignored))
      << "the page must refuse to become writable";
  PokeBytes(0x100, {0xFF, 0x25});
  PokeU32(0x102, slot.address());
  EXPECT_EQ(read_branch_target(pages_.address(0x100)), 0xCAFEF00Du);
  EXPECT_EQ(platform::QueryProtection(slot.address()), before);
}

TEST_F(HostCode, AWriteWithinOneBlockKeepsTheBlocksOtherBytes) {
  PokeBytes(0x100, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99});
  const address_t a = pages_.address(0x103);
  write_call(a, a + 5);
  const std::array<std::uint8_t, 9> expected{0x11, 0x22, 0x33, 0xE8, 0, 0, 0, 0, 0x99};
  EXPECT_EQ(std::memcmp(pages_.bytes(0x100), expected.data(), expected.size()), 0);
  // Not within one block: written all the same.
  write_jump(pages_.address(0x106), a);
  EXPECT_EQ(read_branch_target(pages_.address(0x106)), a);
}

TEST_F(HostCode, WriteCallReturnsTheOldDestinationAndOverwritesIt) {
  const address_t a = pages_.address(0x100);
  PokeBytes(0x100, {0xE8, 0x10, 0, 0, 0, 0xC3});
  EXPECT_EQ(write_call(a, a + 5), a + 0x15);
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{0xE8, 0, 0, 0, 0}));
  EXPECT_EQ(pages_.bytes(0x105)[0], 0xC3) << "only 5 bytes are written";
}

TEST_F(HostCode, WriteJumpOverNoBranchReturnsZeroAndStillWrites) {
  const address_t a = pages_.address(0x100);
  EXPECT_EQ(write_jump(a, a - 0x7A5), 0u);
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{0xE9, 0x56, 0xF8, 0xFF, 0xFF}));
  EXPECT_EQ(read_branch_target(a), a - 0x7A5);
}

TEST_F(HostCode, WritesAcrossAPageBoundaryInOneGo) {
  const std::size_t offset = pages_.unmapped() - pages_.address() - 4096 - 2;
  const address_t a = pages_.address(offset);
  write_call(a, 0x12345678);
  EXPECT_EQ(read_branch_target(a), 0x12345678u);
  EXPECT_FALSE(platform::IsWritable(*platform::QueryProtection(a + 4)));
}

TEST_F(HostCode, WritesNothingWhereTheProtectionCannotBeChanged) {
  // No fault and no result: the write is simply skipped.
  EXPECT_EQ(write_jump(pages_.unmapped(), 0x1000), 0u);
  std::uint8_t buffer[4] = {1, 2, 3, 4};
  EXPECT_FALSE(read_raw(buffer, sizeof buffer, pages_.unmapped(), true));
  EXPECT_EQ(buffer[0], 1);
}

TEST_F(HostCode, BackupThenRestorePutsTheBytesBackOnce) {
  const address_t a = pages_.address(0x100);
  PokeBytes(0x100, {1, 2, 3, 4, 5});
  scoped_basic<5> saved;
  saved.backup(a, 5, true);
  write_jump(a, a + 0x50);
  saved.restore();
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(saved.is_saved());
  PokeBytes(0x100, {9, 9, 9, 9, 9});
  saved.restore();
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{9, 9, 9, 9, 9}))
      << "a second restore writes nothing";
}

TEST_F(HostCode, DestroyingAHoldingObjectPutsTheBytesBack) {
  const address_t a = pages_.address(0x100);
  PokeBytes(0x100, {1, 2, 3, 4, 5});
  {
    scoped_call saved;
    saved.backup(a, 5, true);
    write_call(a, a);
  }
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  { scoped_call empty; }
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
}

TEST_F(HostCode, ASecondBackupElsewherePutsTheFirstBytesBack) {
  const address_t first = pages_.address(0x100);
  const address_t second = pages_.address(0x300);
  PokeBytes(0x100, {1, 2, 3, 4, 5});
  PokeBytes(0x300, {6, 7, 8});
  scoped_basic<5> saved;
  saved.backup(first, 5, true);
  write_jump(first, 0);
  saved.backup(second, 3, true);
  EXPECT_EQ(BytesAt(pages_, 0x100), (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(saved.address(), second);
  EXPECT_EQ(saved.size(), 3u);
  EXPECT_EQ(std::memcmp(saved.saved_bytes(), "\x06\x07\x08", 3), 0);
}

TEST_F(HostCode, BackupRestoresThroughTheDynamicType) {
  struct counting : scoped_basic<5> {
    int restores = 0;
    void restore() override {
      ++restores;
      scoped_basic::restore();
    }
  } saved;
  saved.backup(pages_.address(0x100), 5, true);
  saved.backup(pages_.address(0x100), 5, true);
  EXPECT_EQ(saved.restores, 2);
}

TEST(ScopedBasic, WithoutAWindowSavesAndRestoresWritableBytesPlainly) {
  std::uint8_t data[5] = {1, 2, 3, 4, 5};
  const auto at = static_cast<address_t>(reinterpret_cast<std::uintptr_t>(data));
  {
    scoped_basic<5> saved;
    saved.backup(at, 5, false);
    ASSERT_TRUE(saved.is_saved());
    std::memset(data, 0, sizeof data);
  }
  EXPECT_EQ(std::memcmp(data, "\x01\x02\x03\x04\x05", 5), 0);
}

TEST_F(HostCode, BackupOfNoBytesHoldsNothingToWrite) {
  scoped_basic<5> saved;
  saved.backup(pages_.address(0x100), 0, true);
  EXPECT_EQ(saved.size(), 0u);
  saved.restore();
}

TEST_F(HostCode, BytesThatCannotBeReadAreNotHeldAndNeverWrittenBack) {
  scoped_basic<5> saved;
  saved.backup(pages_.unmapped(), 5, true);
  EXPECT_FALSE(saved.is_saved());
}

#if defined(__linux__) && defined(__i386__)
// The writer runs with the trap flag set: after every instruction it runs the
// handler looks at the 5 bytes, which must hold the whole old instruction or
// the whole new one. A thread running the site at any of those moments would
// see just that.
struct StepWatch {
  const std::uint8_t* site;
  std::array<std::uint8_t, 5> before;
  std::array<std::uint8_t, 5> after;
  volatile long steps;
  volatile long mixed;
  volatile long sawAfter;
};
StepWatch watch;

void LookAtTheSite(int) {
  watch.steps = watch.steps + 1;
  std::array<std::uint8_t, 5> now;
  std::memcpy(now.data(), watch.site, now.size());
  if (now == watch.after) {
    watch.sawAfter = watch.sawAfter + 1;
  } else if (now != watch.before) {
    watch.mixed = watch.mixed + 1;
  }
}

__attribute__((noinline)) void SetTrapFlag() {
  asm volatile("pushfl\n orl $0x100, (%%esp)\n popfl" ::: "memory", "cc");
}
__attribute__((noinline)) void ClearTrapFlag() {
  asm volatile("pushfl\n andl $0xFFFFFEFF, (%%esp)\n popfl" ::: "memory", "cc");
}

TEST_F(HostCode, AtEveryInstructionOfTheWriterTheSiteHoldsTheOldOrTheNewInstruction) {
  struct sigaction action {};
  action.sa_handler = LookAtTheSite;
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGTRAP, &action, &previous), 0);
  // Every placement of the 5 bytes inside one aligned 8-byte block, as both
  // of the host's sites lie (a placement across two blocks has no single
  // store, and the writer does not promise one there).
  for (std::size_t offset = 0x100; offset <= 0x103; ++offset) {
    const address_t a = pages_.address(offset);
    // A jump over a routine's first instructions, and a call over a call.
    for (const std::uint8_t opcode : {kJmpRel32, kCallRel32}) {
      if (opcode == kJmpRel32) PokeBytes(offset, {0x55, 0x89, 0xE5, 0xB8, 0x77});
      if (opcode == kCallRel32) PokeBytes(offset, {0xE8, 0x11, 0x22, 0x33, 0x44});
      const rel32_instruction wanted = encode_rel32(opcode, a, a + 0x1234);
      watch = {pages_.bytes(offset),
               BytesAt(pages_, offset),
               {wanted[0], wanted[1], wanted[2], wanted[3], wanted[4]},
               0,
               0,
               0};
      SetTrapFlag();
      if (opcode == kJmpRel32) write_jump(a, a + 0x1234);
      if (opcode == kCallRel32) write_call(a, a + 0x1234);
      ClearTrapFlag();
      if (watch.steps == 0) {
        sigaction(SIGTRAP, &previous, nullptr);
        GTEST_SKIP() << "this machine (an emulator, say) raises no trap after each instruction";
      }
      EXPECT_GT(watch.steps, 100) << "the writer was single-stepped";
      EXPECT_GT(watch.sawAfter, 0);
      EXPECT_EQ(watch.mixed, 0) << "opcode " << int{opcode} << " at offset " << offset % 8
                                << " of a block";
      EXPECT_EQ(BytesAt(pages_, offset), watch.after);
    }
  }
  sigaction(SIGTRAP, &previous, nullptr);
}
#endif

}  // namespace
}  // namespace injector
