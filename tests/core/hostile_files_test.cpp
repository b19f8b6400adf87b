// Files no one should write, which a plug-in must still read to the end,
// correctly and in bounded memory.
#include <gtest/gtest.h>

#include <string>

#include "allocation_counter.hpp"
#include "core/mapping_file.hpp"
#include "core/mapping_format.hpp"
#include "scratch_dir.hpp"
#include "simple_reading.hpp"

namespace vexilo {
namespace {

using testing::ScratchDir;

constexpr std::size_t kMiB = 1024 * 1024;

struct Reading {
  MappingTable table;
  std::size_t peakBytes;
};

Reading ReadFile(const std::string& bytes) {
  testing::WriteFileBytes("Vexilo.txt", bytes);
  Reading reading{};
  const std::size_t before = testing::LiveBytes();
  testing::ResetPeakBytes();
  EXPECT_TRUE(ReadMappingFile("Vexilo.txt", reading.table));
  reading.peakBytes = testing::PeakBytes() - before;
  return reading;
}

void ExpectAsTheFormatSays(const std::string& bytes, const MappingTable& table) {
  const testing::SimpleTable expected = testing::ReadSimply(bytes);
  EXPECT_EQ(table.debug, expected.debug);
  for (std::size_t zone = 0; zone < table.plates.size(); ++zone) {
    ASSERT_EQ(table.plates[zone], expected.plates[zone]) << "zone " << zone;
  }
}

TEST(HostileFiles, A100MBFileLoadsWithinAMegabyte) {
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
  EXPECT_LT(reading.peakBytes, kMiB);
}

TEST(HostileFiles, OneLineOf50MBIsReadWhole) {
  ScratchDir scratch;
  const std::string bytes = std::string(50 * kMiB, ' ') + "5=3\n6=4";
  const Reading reading = ReadFile(bytes);
  EXPECT_EQ(reading.table.plates[5], 3);
  EXPECT_EQ(reading.table.plates[6], 4);
  EXPECT_LT(reading.peakBytes, 3 * 50 * kMiB) << "about the line, never the file many times over";
}

TEST(HostileFiles, NulBytesInvalidUtf8AndLongNumbersReadAsTheFormatSays) {
  ScratchDir scratch;
  const std::string bytes = std::string("5=3\0garbage\n6=\0" "4\n\xC3\x28\xFF=1\n1=\xE2\x82\n2=2\xF0\x9F\n", 33) +
                            "3=" + std::string(5000, '7') + "\n4=" + std::string(3000, '0') + "12\n" +
                            "-" + std::string(2000, '=') + "\n" + std::string(3000, '-') + "\n=\n-=\n=-\n";
  const Reading reading = ReadFile(bytes);
  ExpectAsTheFormatSays(bytes, reading.table);
  EXPECT_EQ(reading.table.plates[5], 3);
  EXPECT_EQ(reading.table.plates[2], 2);
  EXPECT_EQ(reading.table.plates[3], 0) << "thousands of digits leave the 32-bit range";
  EXPECT_EQ(reading.table.plates[4], 12) << "leading zeros are only zeros";
}

TEST(HostileFiles, AByte1AInTheMiddleEndsTheText) {
  ScratchDir scratch;
  const std::string bytes = std::string(3 * kMiB, ';') + "\n1=1\n2=\x1A" "2\n3=3\n";
  const Reading reading = ReadFile(bytes);
  ExpectAsTheFormatSays(bytes, reading.table);
  EXPECT_EQ(reading.table.plates[1], 1);
  EXPECT_EQ(reading.table.plates[3], 0);
}

}  // namespace
}  // namespace vexilo
