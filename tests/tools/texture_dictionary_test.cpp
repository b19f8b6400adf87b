#include "texture_dictionary.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_game_executable.hpp"
#include "fake_texture_dictionary.hpp"
#include "os.hpp"
#include "scratch_dir.hpp"
#include "text.hpp"
#include "wording.hpp"

extern "C" int VexiloFuzzTextureDictionary(const std::uint8_t* data, std::size_t size);

namespace vexilo::check {
namespace {

using testing::FakeTextureDictionary;
using testing::kFirstTextureAt;
using testing::PutLe16;
using testing::PutLe32;

PlateTextures Measure(const std::string& bytes) {
  MemoryBytes source(bytes);
  return MeasurePlateTextures("vehicle.txd", source);
}

std::vector<std::string> Names(const std::string& bytes, std::string& problem) {
  MemoryBytes source(bytes);
  std::vector<std::string> names;
  problem = ReadTextureNames(source, [&names](std::string_view name) {
              names.emplace_back(name);
            }).problem;
  return names;
}

TEST(TextureDictionary, TheGamesThreeAndALimitAdjustedTwelveWithAGapAreFound) {
  EXPECT_EQ(Measure(FakeTextureDictionary({"plateback1", "plateback2", "plateback3"})).indices,
            (std::set<std::int32_t>{0, 1, 2}));
  std::vector<std::string> twelve;
  for (int n : {13, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12}) twelve.push_back(Texture(n - 1));
  const PlateTextures textures = Measure(FakeTextureDictionary(twelve));
  EXPECT_TRUE(textures.Read()) << textures.problem;
  EXPECT_EQ(textures.indices, (std::set<std::int32_t>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(TextureDictionary, OtherTexturesAndNamesLikePlatebacksAreLeftOut) {
  const PlateTextures textures = Measure(FakeTextureDictionary(
      {"wheel", "PlateBack2", "plateback", "plateback01", "plateback-1", "plateback3x",
       "plateback2147483648", "plateback2147483649", "vehiclelights128"}));
  EXPECT_EQ(textures.indices, (std::set<std::int32_t>{1, 2147483647}));
}

TEST(TextureDictionary, ANameOfAll32BytesEndsWithoutANul) {
  const std::string name = "plateback" + std::string(22, '0') + "7";
  std::string problem;
  EXPECT_EQ(Names(FakeTextureDictionary({name, "plateback1"}), problem),
            (std::vector<std::string>{name, "plateback1"}));
  EXPECT_EQ(problem, "");
}

TEST(TextureDictionary, TheCountIsNeverTrusted) {
  for (const int count : {0, 1, 60000}) {
    std::string bytes = FakeTextureDictionary({"plateback1", "plateback2", "plateback4"});
    PutLe16(bytes, 24, static_cast<std::uint16_t>(count));
    EXPECT_EQ(Measure(bytes).indices, (std::set<std::int32_t>{0, 1, 3})) << count;
  }
}

TEST(TextureDictionary, BrokenFilesAreRefusedWithWhereTheyBreak) {
  const std::string good = FakeTextureDictionary({"plateback1", "plateback2"});
  std::string pastParent = good;
  PutLe32(pastParent, kFirstTextureAt + 4, 5000);
  std::string pastStruct = good;
  PutLe32(pastStruct, kFirstTextureAt + 16, 300);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {good.substr(0, 100),
       "truncated or damaged: the chunk at 0x0 (type 0x16) claims 276 bytes, "
       "past the end of the file (100 bytes)"},
      {pastParent, "claims 5000 bytes, past the end of the dictionary chunk (at 0x120)"},
      {pastStruct, "claims 300 bytes, past the end of texture chunk 1 (at 0x98)"},
      {"DEBUG\n0-376=1\n",
       "not a texture dictionary: it starts with chunk type 0x55424544, not 0x16"},
      {"\x16", "not a texture dictionary: it is 1 bytes long, too short for one"},
  };
  for (const auto& [bytes, why] : cases) {
    const PlateTextures textures = Measure(bytes);
    EXPECT_NE(textures.problem.find("vehicle.txd cannot be read as a texture dictionary: "),
              std::string::npos);
    EXPECT_NE(textures.problem.find(why), std::string::npos) << textures.problem;
    EXPECT_TRUE(textures.indices.empty());
  }
}

TEST(TextureDictionary, TheSearchFindsVehicleTxdInAnyCaseAFewFoldersDown) {
  testing::ScratchDir scratch;
  namespace fs = std::filesystem;
  fs::create_directories("game/models/generic");
  fs::create_directories("game/a/b/c/d");
  fs::create_directories("game/elsewhere");
  testing::WriteFileBytes("game/a/b/c/d/vehicle.txd", "too deep");
  testing::WriteFileBytes("game/elsewhere/vehicle.txd", FakeTextureDictionary({"plateback1"}));
  const PlateTextures none = MeasureGameTextures("game/");
  EXPECT_FALSE(none.Read());
  EXPECT_TRUE(none.file.empty());
  EXPECT_EQ(none.copies, std::vector<std::string>{"elsewhere/vehicle.txd holds 1 plate textures: "
                                                  "a copy the game does not read from there"});
  testing::WriteFileBytes("game/models/generic/Vehicle.TXD", FakeTextureDictionary({"plateback2"}));
  EXPECT_EQ(
      FindFiles({"elsewhere/", "game/models/"},
                [](std::string_view name) { return EqualsIgnoringCase(name, "vehicle.txd"); }),
      std::vector<std::string>{"game/models/generic/Vehicle.TXD"});
  const PlateTextures own = MeasureGameTextures("game/");
  EXPECT_EQ(own.file, "models/generic/Vehicle.TXD");
  EXPECT_EQ(own.indices, (std::set<std::int32_t>{1}));
}

TEST(TextureDictionaryFuzzer, FindsNoFaultInItsRegressions) {
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(VEXILO_FUZZ_DIR) / "txd-regressions")) {
    const std::string bytes = testing::ReadFileBytes(entry.path());
    VexiloFuzzTextureDictionary(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++files;
  }
  EXPECT_GE(files, 1u);
}

}  // namespace
}  // namespace vexilo::check
