#include "pe_image.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fake_game_executable.hpp"
#include "scratch_dir.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vexilo::check {
namespace {

using testing::FakeGameExecutable;
using testing::kFakeOptionalHeaderAt;
using testing::kFakePeHeaderAt;
using testing::kFakeSectionTableAt;
using testing::PutLe16;
using testing::PutLe32;

PeReading Read(const std::string& bytes) {
  MemoryBytes source(bytes);
  return ReadPeLayout(source);
}

// The fake of an unknown build, changed by edit.
template <typename Edit>
std::string Broken(Edit edit) {
  std::string bytes = FakeGameExecutable(0);
  edit(bytes);
  return bytes;
}

// A file of any claimed size that holds a small executable at its start and
// zeros after it, counting what is read of it.
class HugeFile : public ByteSource {
 public:
  HugeFile(std::string start, std::uint64_t size) : start_(std::move(start)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override {
    if (offset > size_ || size > size_ - offset) return false;
    read += size;
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t at = offset + i;
      out[i] =
          at < start_.size() ? static_cast<std::uint8_t>(start_[static_cast<std::size_t>(at)]) : 0;
    }
    return true;
  }
  std::uint64_t read = 0;

 private:
  std::string start_;
  std::uint64_t size_;
};

TEST(PeImage, ReadsTheImageBaseAndTheSectionTableOfA32BitExecutable) {
  const PeReading reading = Read(FakeGameExecutable(1001));
  ASSERT_TRUE(reading.layout) << reading.problem;
  EXPECT_EQ(reading.layout->imageBase, 0x400000u);
  EXPECT_EQ(reading.layout->sizeOfHeaders, 0x400u);
  ASSERT_EQ(reading.layout->sections.size(), 3u);
  const PeSection& rdata = reading.layout->sections[1];
  EXPECT_EQ(rdata.name, ".rdata");
  EXPECT_EQ(rdata.virtualAddress, 0x424000u);
  EXPECT_EQ(rdata.virtualSize, 0x3000u);
  EXPECT_EQ(rdata.rawOffset, 0x600u);
  EXPECT_EQ(rdata.rawSize, 0x1400u);
}

TEST(PeImage, LocatesImageBytesInTheFileInZeroFilledTailsOrNowhere) {
  const PeLayout layout = *Read(FakeGameExecutable(0)).layout;
  const auto at = [&layout](std::uint32_t rva) { return LocateImageByte(layout, rva); };
  EXPECT_EQ(at(0x1000).origin, ImageByte::Origin::File);
  EXPECT_EQ(at(0x1000).fileOffset, 0x400u);
  EXPECT_EQ(at(0x4252FC).fileOffset, 0x600u + 0x12FC);
  EXPECT_EQ(at(0x4253FF).fileOffset, 0x600u + 0x13FF);
  EXPECT_EQ(at(0x425400).origin, ImageByte::Origin::Zero);
  EXPECT_EQ(at(0x426FFF).origin, ImageByte::Origin::Zero);
  EXPECT_EQ(at(0x427000).origin, ImageByte::Origin::Unmapped);
  EXPECT_EQ(at(0x3000).origin, ImageByte::Origin::Unmapped);
  EXPECT_EQ(at(0xFFFFFFFF).origin, ImageByte::Origin::Unmapped);
  EXPECT_EQ(at(0x3C).fileOffset, 0x3Cu);
}

TEST(PeImage, ReadsValuesAcrossTheEndOfASectionsFileBytesAsZerosAndRefusesUnmappedOnes) {
  std::string bytes = FakeGameExecutable(0);
  testing::PokeFakeImage(bytes, 0x8253FE, {0x12, 0x34});
  MemoryBytes source(bytes);
  const PeLayout layout = *ReadPeLayout(source).layout;
  EXPECT_EQ(ReadImageLe32(layout, source, 0x4253FE), 0x3412u);
  EXPECT_EQ(ReadImageLe32(layout, source, 0x1000), 0xCCCCCCCCu);
  EXPECT_EQ(ReadImageLe32(layout, source, 0x426FFE), std::nullopt);
  EXPECT_EQ(ReadImageLe32(layout, source, 0xFFFFFFFE), std::nullopt);
}

TEST(PeImage, SaysWhatIsWrongWithFilesThatAreNotWhole32BitWindowsExecutables) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "does not start with \"MZ\""},
      {"Vexilo.txt is text\n", "does not start with \"MZ\""},
      {"MZ\x90", "DOS header ends after 3 bytes"},
      {FakeGameExecutable(0).substr(0, 0x90),
       "its PE header would be at 0x80, past the end of the file (144 bytes)"},
      {Broken([](std::string& b) { PutLe32(b, 0x3C, 0xFFFFFFF0); }),
       "would be at 0xFFFFFFF0, past the end"},
      {Broken([](std::string& b) { b[kFakePeHeaderAt + 1] = 'X'; }), "no \"PE\" signature at 0x80"},
      {Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 4, 0x8664); }),
       "made for 64-bit x64"},
      {Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 4, 0x1C4); }),
       "made for machine 0x1C4"},
      {Broken([](std::string& b) { PutLe16(b, kFakeOptionalHeaderAt, 0x20B); }),
       "64-bit one (PE32+)"},
      {Broken([](std::string& b) { PutLe16(b, kFakeOptionalHeaderAt, 0x107); }),
       "starts with 0x107, not 0x10B"},
      {Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 20, 95); }),
       "optional header is 95 bytes, too short"},
      {FakeGameExecutable(0).substr(0, kFakeOptionalHeaderAt + 100),
       "optional header runs past the end"},
      {FakeGameExecutable(0).substr(0, kFakeSectionTableAt + 100),
       "section table (3 sections from offset 0x178)"},
      {Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 6, 0xFFFF); }),
       "section table (65535 sections"},
      {FakeGameExecutable(0).substr(0, 0x2000),
       "section 3 (\".data\") lies at 0x1A00 to 0x2A00, past the end of "
       "the file (8192 bytes)"},
      {Broken([](std::string& b) { PutLe32(b, kFakeSectionTableAt + 40 + 16, 0xFFFFFFFF); }),
       "section 2 (\".rdata\") lies at 0x600 to 0x1000005FF"},
      {Broken([](std::string& b) { PutLe32(b, kFakeSectionTableAt + 20, 0xFFFFFF00); }),
       "section 1 (\".text\") lies at 0xFFFFFF00 to 0x100000100"},
  };
  for (const auto& [bytes, problem] : cases) {
    const PeReading reading = Read(bytes);
    EXPECT_FALSE(reading.layout) << problem;
    EXPECT_NE(reading.problem.find(problem), std::string::npos) << reading.problem;
  }
}

TEST(PeImage, AnExecutableWithoutSectionsHoldsOnlyItsHeaders) {
  const PeReading reading =
      Read(Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 6, 0); }));
  ASSERT_TRUE(reading.layout) << reading.problem;
  EXPECT_TRUE(reading.layout->sections.empty());
  EXPECT_EQ(LocateImageByte(*reading.layout, 0x3FF).origin, ImageByte::Origin::File);
  EXPECT_EQ(LocateImageByte(*reading.layout, 0x1000).origin, ImageByte::Origin::Unmapped);
}

TEST(PeImage, SectionsWithoutBytesInTheFileMayPointAnywhere) {
  const std::string bytes = Broken([](std::string& b) {
    PutLe32(b, kFakeSectionTableAt + 16, 0);
    PutLe32(b, kFakeSectionTableAt + 20, 0xFFFFFFFF);
  });
  const PeReading reading = Read(bytes);
  ASSERT_TRUE(reading.layout) << reading.problem;
  EXPECT_EQ(LocateImageByte(*reading.layout, 0x1000).origin, ImageByte::Origin::Zero);
}

TEST(PeImage, ReadsAFewKilobytesOfAFileOfAnySize) {
  HugeFile file(FakeGameExecutable(1002), std::uint64_t{5} << 30);
  const PeReading reading = ReadPeLayout(file);
  ASSERT_TRUE(reading.layout) << reading.problem;
  EXPECT_EQ(ReadImageLe32(*reading.layout, file, 0x1000), 0x16197BE9u);
  EXPECT_LT(file.read, 1024u);

  HugeFile sections(Broken([](std::string& b) { PutLe16(b, kFakePeHeaderAt + 6, 0xFFFF); }),
                    std::uint64_t{5} << 30);
  ReadPeLayout(sections);
  EXPECT_LE(sections.read, 0xFFFFu * 40 + 1024);
}

// The fuzzer's own checks, on every input it has found at fault and on the
// executables it starts from.
TEST(PeImage, EveryInputTheFuzzerKeptPassesTheFuzzersChecks) {
  namespace fs = std::filesystem;
  std::size_t files = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(VEXILO_FUZZ_DIR) / "pe-regressions")) {
    if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
    const std::string bytes = testing::ReadFileBytes(entry.path());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++files;
  }
  EXPECT_GE(files, 1u);
  for (std::int32_t build : {0, 1001, 1002, 1011, 1101, 1111, 3200, 3210}) {
    const std::string bytes = FakeGameExecutable(build);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
}  // namespace vexilo::check
