// vexilo-check: reads a mapping file exactly as the plug-in does and says
// what every line does.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "file_bytes.hpp"
#include "fix_report.hpp"
#include "game_build.hpp"
#include "game_files.hpp"
#include "html_report.hpp"
#include "json_report.hpp"
#include "mapping_check.hpp"
#include "mapping_fix.hpp"
#include "os.hpp"
#include "platform/platform.hpp"
#include "terminal.hpp"
#include "terminal_report.hpp"
#include "text.hpp"
#include "texture_dictionary.hpp"
#include "zone_lookup.hpp"

namespace {

using namespace vexilo::check;
using vexilo::platform::NativePath;

// The executable named with --game, or every one in the game's folder.
GameSearch SearchForGame(const Options& options, const std::string& folder) {
  GameSearch games{options.file, options.game.has_value(), {}, {}, {}};
  std::vector<std::string> names;
  // A folder that fails part-way is not searched at all: a build named from
  // half a listing would look like the whole answer.
  if (options.game)
    games.builds.push_back(ReadGameBuild(*options.game));
  else if (!FileNamesIn(folder, names, games.folderProblem))
    games.folder = FullPath(folder.empty() ? "." : folder);
  else
    for (const std::string& name : PickGameExecutables(names, ProgramName()))
      games.builds.push_back(ReadGameBuild(folder + name));
  return games;
}

// The game folder first, and the file the game reads there: a Vexilo.txt
// elsewhere is judged by what it means to the game. A file of another name
// is checked as it stands. Then the game's plate textures, unless --plates
// says how many there are: from --txd, or from the vehicle.txd the game
// loads; and the limit adjuster's count of them. Never a count assumed.
// Returns the game's folder.
std::string FindTheGame(Options& options) {
  GameFolder game = FindGameFolder(FolderOf(options.file));
  if (IsNamedVexiloTxt(options.file)) {
    if (!options.haveFile)
      options.file = game.fileThere || game.copies.empty() ? game.file : game.copies.front();
    JudgeCheckedFile(game, options.file);
    options.check.findings = game.findings;
  }
  if (options.check.platesGiven) return game.folder;
  const std::string folder = options.game ? FolderOf(*options.game) : game.folder;
  options.check.limit = FindPlateCount(folder);
  options.check.limitSearched = true;
  const PlateTextures& textures =
      *(options.check.dictionary =
            options.txd ? MeasurePlateTextures(*options.txd) : MeasureGameTextures(folder));
  // A dictionary found but unreadable is an error; none found, a warning.
  if (!textures.Read())
    options.check.findings.push_back(
        {textures.file.empty() ? Severity::Warning : Severity::Error,
         textures.problem + "; the plate textures are not judged: give their count with --plates N",
         textures.file});
  return game.folder;
}

// Why the file cannot be read, with the full path looked in.
std::string Unreadable(const std::string& file) {
  const std::string native = NativePath(file);
  const std::string text = "cannot read " + FullPath(native) + ": " + WhyNotOpened(file);
  if (KindOfPath(native) != PathKind::Missing || !IsNamedVexiloTxt(file)) return text;
  return text +
         ". Start the game once with Vexilo installed to create it: Vexilo writes Vexilo.txt into "
         "the game's working folder, normally the folder of the game's .exe";
}

int Failed(const std::string& problem) {
  WriteText(stderr, "vexilo-check: " + problem + "\n");
  return kExitUnreadable;
}

// Mends the file, says what changed and what is left, and exits as a check
// of the new file would.
int Fix(const Options& options) {
  const FixedFile fixed =
      FixMappingFile(NativePath(options.file), options.file, options.check, options.dryRun);
  const CheckReport after = CheckMappingText(fixed.fix.bytes, options.check);
  std::string text;
  FormatFix(text, options.file, fixed, after);
  const bool leftAlone = fixed.outcome == FixedFile::Outcome::LeftAlone;
  WriteText(leftAlone ? stderr : stdout, text);
  if (leftAlone) return kExitUnreadable;
  return after.Count(Severity::Error) > 0 ? kExitMalformed : kExitClean;
}

// Checks the file and reports on it, with how many of its lines --fix would
// mend; double-clicked, it offers to mend them, and Enter alone declines.
int Check(Options& options, const std::string& folder) {
  CheckReport report = CheckMappingFile(NativePath(options.file), options.check);
  std::string bytes, reason;
  report.mendable = ReadWholeFile(NativePath(options.file), kMostBytesFixed, bytes, reason)
                        ? FixMappingText(bytes, options.check).Mended()
                        : 0;
  if (!report.readable) return Failed(Unreadable(options.file));
  const GameSearch games = SearchForGame(options, folder);
  std::string text;
  if (options.json)
    FormatJson(text, options.file, report, games);
  else if (options.table)
    FormatTable(text, report);
  else
    FormatReport(
        text, options.file, report, games,
        Style{ColourAllowed(!options.plain, std::getenv("NO_COLOR")) && ShowsColours(stdout)});
  WriteText(stdout, text);
  if (!options.html.empty()) {
    if (!WriteWholeFile(options.html, HtmlReport(options.file, report, games), reason))
      return Failed("cannot write the report page " + options.html + ": " + reason);
    if (!options.json && !options.table)
      WriteText(stdout, "Report page written to " + options.html + ".\n");
  }
  const int status = report.Count(Severity::Error) > 0 ? kExitMalformed : kExitClean;
  if (!options.ownWindow || report.mendable == 0) return status;
  WriteText(stdout, "\n" + FixOffer(report.mendable) + "\n");
  std::fflush(stdout);
  if (EqualsIgnoringCase(ReadConsoleLine(), "F")) return Fix(options);
  // That Enter was the one the window waits for.
  options.ownWindow = false;
  return status;
}

// The zone, and what the file makes of it when it can be read.
int LookUpZone(const Options& options) {
  std::string text;
  const std::int32_t zone = FormatZone(text, *options.zone);
  if (zone != vexilo::kNoZone) {
    const CheckReport report = CheckMappingFile(NativePath(options.file), options.check);
    if (report.readable)
      FormatZoneMapping(text, options.file, report, zone);
    else
      text += "What a mapping file gives it is not shown: " + Unreadable(options.file) + ".\n";
  }
  WriteText(stdout, text);
  return zone == vexilo::kNoZone ? kExitMalformed : kExitClean;
}

int Run(const std::vector<std::string>& arguments, Options& options) {
  if (const int parsed = ParseCommandLine(arguments, options); parsed >= 0) return parsed;
  const std::string folder = FindTheGame(options);
  if (options.zone) return LookUpZone(options);
  if (options.fix) return Fix(options);
  return Check(options, folder);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  // Explorer starts the program in a folder of its choosing: the file beside
  // the program is the one a double-click means.
  options.ownWindow = StartedInItsOwnWindow(QueryConsole());
  if (options.ownWindow) options.file = ProgramFolder() + kMappingFileName;
  const int status = Run(CommandLineArguments(argc, argv), options);
  std::fflush(stdout);
  if (options.ownWindow) WaitForEnter();
  return status;
}
