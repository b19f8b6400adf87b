// Files no one should write, which a plug-in must still read to the end,
// correctly and in memory that grows only with the longest line; a line too
// long to hold fails the reading and sets nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "allocation_counter.hpp"
#include "mapping/mapping_file.hpp"
#include "mapping/mapping_format.hpp"
#include "scratch_dir.hpp"

namespace vexilo {
namespace {

using testing::ScratchDir;

constexpr std::size_t kMiB = 1024 * 1024;
// The reader holds one line and a small piece of the file: a file of short
// lines, however long, needs less than this.
constexpr std::size_t kMemoryBound = 128 * 1024;

// A line is held in a string, which doubles as it grows: its old and new
// buffers together take at most three times the line.
constexpr std::size_t BoundForLinesOf(std::size_t bytes) { return 3 * bytes + kMemoryBound; }

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

// Memory that runs out stands in for a line longer than a 32-bit process can
// hold: the reading fails, and the caller takes none of its lines.
TEST(HostileFiles, ALineTooLongToHoldFailsTheReading) {
  ScratchDir scratch;
  testing::WriteFileBytes("Vexilo.txt", "0-376=5\nDEBUG\n5" + std::string(4 * kMiB, ' ') + "=9\n");
  MappingTable table;
  const testing::AllocationLimit limit(testing::LiveBytes() + kMiB);
  EXPECT_EQ(ReadMappingFile("Vexilo.txt", table), FileReading::Failed);
}

TEST(HostileFiles, LongRunsOfZerosAndBlanksReadAsTheFormatSays) {
  ScratchDir scratch;
  const std::string million(kMiB, ' ');
  const std::string bytes = "5=" + std::string(10000, '0') + "7\n" + std::string(10000, '0') +
                            "8-" + std::string(10000, '0') + "9=-" + std::string(10000, '0') +
                            "2\n" + million + "DEBUG" + million + "\r\n" + "DEBUG" + million +
                            "x\n" + "20=" + million + "3" + million + "\n";
  const Reading reading = ReadFile(bytes);
  EXPECT_EQ(reading.table.plates[5], 7) << "10,000 leading zeros are only zeros";
  EXPECT_EQ(reading.table.plates[8], -2);
  EXPECT_EQ(reading.table.plates[9], -2);
  EXPECT_TRUE(reading.table.debug) << "a million blanks on either side of DEBUG are trimmed";
  EXPECT_EQ(reading.table.plates[20], 3);
  EXPECT_LT(reading.peakBytes, BoundForLinesOf(2 * kMiB + 5));
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
  EXPECT_EQ(reading.table.plates[1], 1);
  EXPECT_EQ(reading.table.plates[3], 0);
  EXPECT_LT(reading.peakBytes, BoundForLinesOf(3 * kMiB));
}

}  // namespace
}  // namespace vexilo
