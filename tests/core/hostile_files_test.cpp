// Files no one should write, which a plug-in must still read to the end,
// correctly and in the same small memory as any other file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "allocation_counter.hpp"
#include "mapping/mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "scratch_dir.hpp"
#include "simple_reading.hpp"

namespace vexilo {
namespace {

using testing::ScratchDir;

constexpr std::size_t kMiB = 1024 * 1024;
// The reader holds one 64 KiB piece of the file and no line: whatever the
// file, loading it needs less than this.
constexpr std::size_t kMemoryBound = 128 * 1024;

struct Reading {
  MappingTable table;
  std::size_t peakBytes;
};

Reading ReadFile() {
  Reading reading{};
  const std::size_t before = testing::LiveBytes();
  testing::ResetPeakBytes();
  EXPECT_EQ(ReadMappingFile("Vexilo.txt", reading.table), FileReading::Read);
  reading.peakBytes = testing::PeakBytes() - before;
  return reading;
}

Reading ReadFile(const std::string& bytes) {
  testing::WriteFileBytes("Vexilo.txt", bytes);
  return ReadFile();
}

void ExpectAsTheFormatSays(const std::string& bytes, const MappingTable& table) {
  const testing::SimpleTable expected = testing::ReadSimply(bytes);
  EXPECT_EQ(table.debug, expected.debug);
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    ASSERT_EQ(table.plates[zone], expected.plates[zone]) << "zone " << zone;
  }
}

// A 32-bit program run through qemu's user emulation reads a gigabyte in
// minutes, not seconds.
bool RunsEmulated() {
#if defined(__linux__) && defined(__i386__)
  std::ifstream status("/proc/sys/fs/binfmt_misc/qemu-i386");
  std::string first;
  return std::getline(status, first) && first == "enabled";
#else
  return false;
#endif
}

TEST(HostileFiles, A100MBFileLoadsInTheSameSmallMemory) {
  ScratchDir scratch;
  const std::string block = "0-376=1\r\n;comment\r\n5=2\r\n\r\n  7 - 9 = 4\r\nnoise line\r\n";
  std::string bytes;
  bytes.reserve(100 * kMiB + 64);
  while (bytes.size() < 100 * kMiB) bytes += block;
  bytes += "376=9";
  const Reading reading = ReadFile(bytes);
  EXPECT_EQ(reading.table.plates[0], 1);
  EXPECT_EQ(reading.table.plates[5], 2);
  EXPECT_EQ(reading.table.plates[8], 4);
  EXPECT_EQ(reading.table.plates[376], 9);
  EXPECT_LT(reading.peakBytes, kMemoryBound);
}

// Longer than a std::string can hold in 32 bits: such a line once cost the
// whole table, and ended the reading when it did not.
TEST(HostileFiles, ALineOfOverAGigabyteBetweenMappingLinesLetsEveryLineTakeEffect) {
  ScratchDir scratch;
  std::size_t length = 1024 * kMiB + 1;
  if (RunsEmulated()) {
    length = 64 * kMiB + 1;
    std::printf("[   NOTE   ] emulated 32-bit run: a line of 64 MiB stands in for one of 1 GiB\n");
  }
  const std::string head = "0-376=5\r\nDEBUG\r\n1=1\r\n5";
  const std::string tail = "=9\r\n7=3\r\n8-9=4\r\n376=6";
  testing::WriteFileBytes("Vexilo.txt", head);
  // A sparse file: the line's NUL bytes take no room on the disk.
  std::filesystem::resize_file("Vexilo.txt", head.size() + length);
  std::ofstream("Vexilo.txt", std::ios::binary | std::ios::app) << tail;
  const Reading reading = ReadFile();
  EXPECT_TRUE(reading.table.debug);
  EXPECT_EQ(reading.table.plates[0], 5);
  EXPECT_EQ(reading.table.plates[1], 1);
  EXPECT_EQ(reading.table.plates[5], 9) << "the long line itself is \"5\", NUL bytes, \"=9\"";
  EXPECT_EQ(reading.table.plates[6], 5);
  EXPECT_EQ(reading.table.plates[7], 3);
  EXPECT_EQ(reading.table.plates[9], 4);
  EXPECT_EQ(reading.table.plates[375], 5);
  EXPECT_EQ(reading.table.plates[376], 6);
  EXPECT_LT(reading.peakBytes, kMemoryBound);
}

TEST(HostileFiles, LongRunsOfZerosAndBlanksReadAsTheFormatSays) {
  ScratchDir scratch;
  const std::string million(kMiB, ' ');
  const std::string bytes = "5=" + std::string(10000, '0') + "7\n" + std::string(10000, '0') +
                            "8-" + std::string(10000, '0') + "9=-" + std::string(10000, '0') +
                            "2\n" + million + "DEBUG" + million + "\r\n" + "DEBUG" + million +
                            "x\n" + "20=" + million + "3" + million + "\n";
  const Reading reading = ReadFile(bytes);
  ExpectAsTheFormatSays(bytes, reading.table);
  EXPECT_EQ(reading.table.plates[5], 7) << "10,000 leading zeros are only zeros";
  EXPECT_EQ(reading.table.plates[8], -2);
  EXPECT_EQ(reading.table.plates[9], -2);
  EXPECT_TRUE(reading.table.debug) << "a million blanks on either side of DEBUG are trimmed";
  EXPECT_EQ(reading.table.plates[20], 3);
  EXPECT_LT(reading.peakBytes, kMemoryBound);
}

TEST(HostileFiles, NulBytesInvalidUtf8AndLongNumbersReadAsTheFormatSays) {
  ScratchDir scratch;
  const std::string bytes = std::string(
                                "5=3\0garbage\n6=\0"
                                "4\n\xC3\x28\xFF=1\n1=\xE2\x82\n2=2\xF0\x9F\n",
                                33) +
                            "3=" + std::string(5000, '7') + "\n4=" + std::string(3000, '0') +
                            "12\n" + "-" + std::string(2000, '=') + "\n" + std::string(3000, '-') +
                            "\n=\n-=\n=-\n";
  const Reading reading = ReadFile(bytes);
  ExpectAsTheFormatSays(bytes, reading.table);
  EXPECT_EQ(reading.table.plates[5], 3);
  EXPECT_EQ(reading.table.plates[2], 2);
  EXPECT_EQ(reading.table.plates[3], 0) << "thousands of digits leave the 32-bit range";
  EXPECT_EQ(reading.table.plates[4], 12) << "leading zeros are only zeros";
  EXPECT_LT(reading.peakBytes, kMemoryBound);
}

TEST(HostileFiles, AByte1AInTheMiddleEndsTheText) {
  ScratchDir scratch;
  const std::string bytes = std::string(3 * kMiB, ';') +
                            "\n1=1\n2=\x1A"
                            "2\n3=3\n";
  const Reading reading = ReadFile(bytes);
  ExpectAsTheFormatSays(bytes, reading.table);
  EXPECT_EQ(reading.table.plates[1], 1);
  EXPECT_EQ(reading.table.plates[3], 0);
  EXPECT_LT(reading.peakBytes, kMemoryBound);
}

}  // namespace
}  // namespace vexilo
