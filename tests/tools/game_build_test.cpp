#include "game_build.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_game_executable.hpp"
#include "scratch_dir.hpp"

namespace vexilo::check {
namespace {

using testing::FakeGameExecutable;
using testing::PokeFakeImage;

constexpr std::int32_t kBuilds[] = {1001, 1002, 1011, 1101, 1111, 3200, 3210};

GameBuild FromBytes(const std::string& bytes) {
  MemoryBytes source(bytes);
  return ReadGameBuild("game.exe", source);
}

TEST(GameBuild, EachBuildIsNamedByThePluginsProbes) {
  for (std::int32_t build : kBuilds) {
    const GameBuild read = FromBytes(FakeGameExecutable(build));
    EXPECT_TRUE(read.Read()) << read.problem;
    EXPECT_EQ(read.version, build);
  }
  const GameBuild unknown = FromBytes(FakeGameExecutable(0));
  EXPECT_TRUE(unknown.Read()) << unknown.problem;
  EXPECT_EQ(unknown.version, 0);
}

TEST(GameBuild, ProbesFollowTheSectionTableNotTheFileOffsetOfTheAddress) {
  // The probe's bytes where the address would lie if the file were the
  // image: a reader that skipped the section table would find them there.
  std::string bytes = FakeGameExecutable(0);
  bytes.replace(0x1000, 4, "\x55\x8B\xEC\x53");
  EXPECT_EQ(FromBytes(bytes).version, 0);
}

TEST(GameBuild, ProbesLieAtTheSameOffsetFromTheImagesStartWhateverBaseItAsksFor) {
  // The plug-in moves its addresses with the base the host is loaded at.
  std::string bytes = FakeGameExecutable(3200);
  testing::PutLe32(bytes, testing::kFakeOptionalHeaderAt + 28, 0x500000);
  EXPECT_EQ(FromBytes(bytes).version, 3200);
}

TEST(GameBuild, SaysWhatVexiloDoesOnEachKindOfBuild) {
  GameBuild build;
  for (std::int32_t id : {1001, 1002}) {
    build.version = id;
    EXPECT_EQ(DescribeGameBuild(build),
              "build " + std::to_string(id) +
                  ": Vexilo changes plates and draws the DEBUG line (when Vexilo.txt "
                  "holds DEBUG)");
  }
  for (std::int32_t id : {1011, 1101, 1111, 3200, 3210}) {
    build.version = id;
    EXPECT_EQ(DescribeGameBuild(build),
              "build " + std::to_string(id) +
                  ": Vexilo leaves the game alone: it patches nothing, the game "
                  "chooses plates itself, and no DEBUG line is drawn");
    EXPECT_EQ(SupportName(host::SupportOn(id)), "nothing");
  }
  build.version = 0;
  EXPECT_NE(DescribeGameBuild(build).find(
                "does not recognise: if this is the game, Vexilo changes plates (it may "
                "be a variant of 1001 or 1002) but draws no DEBUG line"),
            std::string::npos);
  EXPECT_EQ(SupportName(host::SupportOn(0)), "plates-only");
  EXPECT_EQ(SupportName(host::SupportOn(1002)), "plates-and-debug-line");
  build.problem = "not a Windows executable: it does not start with \"MZ\"";
  EXPECT_EQ(DescribeGameBuild(build), build.problem);
}

TEST(GameBuild, ReadsExecutablesByPathInAFolderNamedInAnyScript) {
  testing::ScratchDir scratch;
  const std::filesystem::path folder =
      scratch.path() /
      std::filesystem::u8path(
          "Jeux \xC3\xA9 \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F");
  std::filesystem::create_directories(folder);
  testing::WriteFileBytes(folder / "game.exe", FakeGameExecutable(1002));
  testing::WriteFileBytes(folder / "broken.exe", FakeGameExecutable(1002).substr(0, 0x1000));
  const std::string game = (folder / "game.exe").u8string();
  EXPECT_EQ(ReadGameBuild(game).version, 1002);
  EXPECT_EQ(ReadGameBuild(game).file, game);
  EXPECT_NE(ReadGameBuild((folder / "broken.exe").u8string())
                .problem.find("past the end of the file (4096 bytes)"),
            std::string::npos);
  EXPECT_EQ(ReadGameBuild((folder / "missing.exe").u8string()).problem,
            "cannot be read: there is no such file");
  EXPECT_EQ(ReadGameBuild(folder.u8string()).problem, "cannot be read: it is a folder");
}

TEST(GameBuild, TheGamesExecutablesAreEveryExeButTheCheckersOwnInOrder) {
  const std::vector<std::string> names = {"vexilo-check.exe", "game.exe", "Vexilo.txt",
                                          "GAME-2.EXE",       ".exe",     "readme.exe.txt",
                                          "VEXILO-CHECK.EXE", "alpha.Exe"};
  EXPECT_EQ(PickGameExecutables(names, "vexilo-check.exe"),
            (std::vector<std::string>{"GAME-2.EXE", "alpha.Exe", "game.exe"}));
  EXPECT_EQ(PickGameExecutables(names, "vexilo-check"),
            (std::vector<std::string>{"GAME-2.EXE", "alpha.Exe", "game.exe"}));
  EXPECT_EQ(PickGameExecutables(names, "alpha.exe"),
            (std::vector<std::string>{"GAME-2.EXE", "game.exe"}));
}

TEST(GameBuild, TheFolderOfAPathKeepsItsSeparator) {
  EXPECT_EQ(FolderOf("Vexilo.txt"), "");
  EXPECT_EQ(FolderOf("C:\\Games\\Play\\Vexilo.txt"), "C:\\Games\\Play\\");
  EXPECT_EQ(FolderOf("/home/p/Play/Vexilo.txt"), "/home/p/Play/");
  EXPECT_EQ(FolderOf("C:/Games\\Vexilo.txt"), "C:/Games\\");
}

TEST(GameBuild, AFolderThatCannotBeReadIsNamedWithWhyNotTakenForOneWithoutAnExe) {
  GameSearch games{
      "Vexilo.txt", false, {}, "/games/Play/", "Value too large for defined data type"};
  EXPECT_EQ(NoGameExecutable(games),
            "cannot read the folder /games/Play/ (Value too large for defined data type) to look "
            "for the game's .exe; name it with --game FILE");
  games.folderProblem.clear();
  EXPECT_EQ(NoGameExecutable(games),
            "no .exe beside Vexilo.txt; name the game's executable with --game FILE");
}

}  // namespace
}  // namespace vexilo::check
