// vexilo-check: reads a mapping file exactly as the plug-in does and says
// what every line does.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file_bytes.hpp"
#include "fix_report.hpp"
#include "game_build.hpp"
#include "game_files.hpp"
#include "game_folder.hpp"
#include "html_report.hpp"
#include "json_report.hpp"
#include "mapping_check.hpp"
#include "mapping_fix.hpp"
#include "os.hpp"
#include "platform/platform.hpp"
#include "terminal.hpp"
#include "terminal_report.hpp"
#include "texture_dictionary.hpp"
#include "version.hpp"
#include "zone_lookup.hpp"

namespace {

using namespace vexilo::check;

constexpr int kExitClean = 0;
constexpr int kExitMalformed = 1;
constexpr int kExitUnreadable = 2;

const char kHelp[] =
    "Usage: vexilo-check [OPTIONS] [FILE]\n"
    "       vexilo-check --fix [FILE]\n"
    "\n"
    "Reads a Vexilo mapping file (default: Vexilo.txt in the current folder) exactly\n"
    "as the plug-in does, and tells which lines do not do what they look like.\n"
    "\n"
    "Options:\n"
    "  --plates N     the game has N plate textures: plateback indices 0 to N-1\n"
    "                 are valid. Without it they are read from the game's\n"
    "                 vehicle.txd, or 11 are assumed when it cannot be read\n"
    "  --txd FILE     read the plate textures from the texture dictionary FILE\n"
    "                 (default: the first vehicle.txd in the game's folder, the\n"
    "                 mapping file's folder, or their subfolders, 3 levels deep)\n"
    "  --fix          mend the mistakes whose meaning is plain (a missing '=' as\n"
    "                 in 63 5 or 63:5, debug, 63=plateback2, old Mac line ends,\n"
    "                 a stray Ctrl-Z, UTF-16 or Notepad's \"UTF-8 with BOM\"),\n"
    "                 each shown as line N: OLD -> NEW; the old file is kept as\n"
    "                 FILE.bak\n"
    "  --dry-run      with --fix: print the changes, write nothing\n"
    "  --html FILE    also write the report as a page to FILE: the summary, all 377\n"
    "                 zones coloured by plateback, every problem; open it in any\n"
    "                 browser\n"
    "  --table        print the resulting table: every zone index, its label, its\n"
    "                 plateback index and texture (187 is never reached)\n"
    "  --json         print the table, the diagnostics and the summary as JSON\n"
    "  --zones        print the zone list: every zone index and its label\n"
    "  --zone Z       look up one zone by label (JEF2, jef2) or index (63), and what\n"
    "                 FILE gives it: plateback index, texture, the line\n"
    "  --game FILE    name the build of the game's executable FILE (default: of\n"
    "                 every .exe beside the mapping file)\n"
    "  --no-color     plain text even on a terminal (so does NO_COLOR=1)\n"
    "  --version      print the version\n"
    "  --help         print this help\n"
    "\n"
    "Exit status: 0 the game does what every line asks, 1 a line the game skips\n"
    "or reads as something else, 2 the file cannot be read, or the command line\n"
    "is wrong. The game's build and its textures never change it.\n"
    "\n"
    "Where Vexilo.txt is: in the game's working folder, the folder the game runs in\n"
    "(normally the one with the game's .exe), also when Vexilo.asi is in scripts\\\n"
    "or plugins\\. Double-clicked, vexilo-check checks the Vexilo.txt beside itself\n"
    "and waits for Enter; a file dropped on it is checked the same way.\n"
    "\n"
    "Game build: under the summary, vexilo-check names the build of the game's\n"
    "executable and what Vexilo does on it: on 1001 and 1002 it changes plates\n"
    "and draws the DEBUG line; on a build it does not recognise, plates change\n"
    "but no DEBUG line is drawn; on 1011, 1101, 1111, 3200 and 3210 it leaves the\n"
    "game alone. It reads the file: an executable that is compressed or\n"
    "protected on disk can differ from what runs; the DEBUG line shows what\n"
    "actually runs.\n"
    "\n"
    "Plate textures: the game has 3 (plateback1 to plateback3) until a limit\n"
    "adjuster raises the count and textures are added. vexilo-check reads which\n"
    "platebackN textures the game's vehicle.txd holds, and names every plateback\n"
    "index a line uses that has no texture there, with its lines, and the zones\n"
    "left without one. The default Vexilo.txt uses plateback indices up to 10\n"
    "(plateback11). With only the 3 textures, change every =3 to =10 into =0, =1\n"
    "or =2.\n"
    "\n"
    "Examples:\n"
    "  vexilo-check                    check Vexilo.txt here\n"
    "  vexilo-check --plates 3         which lines need textures the game lacks\n"
    "  vexilo-check --fix              mend the plain mistakes, keeping a backup\n"
    "  vexilo-check --html report.html then open report.html in a browser\n"
    "  vexilo-check --plates 20 C:\\Games\\MyGame\\Vexilo.txt\n"
    "  vexilo-check --table | more     which plateback every zone gets\n"
    "  vexilo-check --zone JEF2        the zone index of JEF2 and its plateback\n"
    "  vexilo-check --game ..\\game.exe the build of that game executable\n";

constexpr char kDefaultFile[] = "Vexilo.txt";

struct Options {
  std::string file = kDefaultFile;
  bool haveFile = false;
  CheckOptions check;
  bool table = false;
  bool json = false;
  bool zones = false;
  std::string zone;
  bool haveZone = false;
  std::string html;
  std::string game;
  bool haveGame = false;
  std::string txd;
  bool haveTxd = false;
  bool fix = false;
  bool dryRun = false;
  bool colour = true;
  /// Started by a double-click or a drop: it may offer to mend the file.
  bool ownWindow = false;
  /// The player turned the offer down, and so has already pressed Enter.
  bool declined = false;
  /// Where the game is, found before anything else.
  GameFolder gameFolder;
};

void Say(std::FILE* out, const std::string& text) { WriteText(out, text); }

int Usage(const std::string& problem) {
  Say(stderr, "vexilo-check: " + problem + "\nTry 'vexilo-check --help'.\n");
  return kExitUnreadable;
}

// Reads the value of an option that takes one into value; false when missing.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, std::string& value) {
  if (i + 1 == arguments.size()) return false;
  value = arguments[++i];
  return true;
}

int ParsePlates(const std::string& value, Options& options) {
  char* end = nullptr;
  const long plates = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || plates < 1 || plates > 1000000) {
    return Usage("--plates takes a whole number from 1 up, not " + value);
  }
  options.check.plates = static_cast<std::int32_t>(plates);
  options.check.platesGiven = true;
  return -1;
}

// Parses the command line into options; a non-negative result is an exit status.
int Parse(const std::vector<std::string>& arguments, Options& options) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string value;
    if (argument == "--help" || argument == "-h") {
      Say(stdout, kHelp);
      return kExitClean;
    } else if (argument == "--version") {
      Say(stdout, std::string("vexilo-check ") + VEXILO_VERSION + "\n");
      return kExitClean;
    } else if (argument == "--table") {
      options.table = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--zones") {
      options.zones = true;
    } else if (argument == "--no-color") {
      options.colour = false;
    } else if (argument == "--fix") {
      options.fix = true;
    } else if (argument == "--dry-run") {
      options.dryRun = true;
    } else if (argument == "--zone" || argument == "--plates" || argument == "--html" ||
               argument == "--game" || argument == "--txd") {
      if (!TakeValue(arguments, i, value)) return Usage("missing value after " + argument);
      if (argument == "--txd") {
        options.txd = value;
        options.haveTxd = true;
      } else if (argument == "--game") {
        options.game = value;
        options.haveGame = true;
      } else if (argument == "--zone") {
        options.zone = value;
        options.haveZone = true;
      } else if (argument == "--html") {
        options.html = value;
      } else if (const int status = ParsePlates(value, options); status >= 0) {
        return status;
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      return Usage("unknown option " + argument);
    } else if (options.haveFile) {
      return Usage("one file at a time; also given " + argument);
    } else {
      options.file = argument;
      options.haveFile = true;
    }
  }
  return -1;
}

// The executable named with --game, or every one beside the mapping file.
GameSearch SearchForGame(const Options& options) {
  GameSearch games;
  games.beside = options.file;
  games.named = options.haveGame;
  if (options.haveGame) {
    games.builds.push_back(ReadGameBuild(options.game));
    return games;
  }
  const std::string folder = options.gameFolder.folder;
  std::vector<std::string> names;
  if (!FileNamesIn(folder, names, games.folderProblem)) {
    // A folder that fails part-way is not searched at all: a build named
    // from half a listing would look like the whole answer.
    games.folder = FullPath(folder.empty() ? "." : folder);
    return games;
  }
  for (const std::string& name : PickGameExecutables(names, ProgramName())) {
    games.builds.push_back(ReadGameBuild(folder + name));
  }
  return games;
}

int WriteHtml(const Options& options, const CheckReport& report, const GameSearch& games) {
  std::string reason;
  if (!WriteWholeFile(options.html, HtmlReport(options.file, report, games), reason)) {
    Say(stderr,
        "vexilo-check: cannot write the report page " + options.html + ": " + reason + "\n");
    return kExitUnreadable;
  }
  if (!options.json && !options.table)
    Say(stdout, "Report page written to " + options.html + ".\n");
  return -1;
}

// The game folder first, and the file the game reads there: a Vexilo.txt
// elsewhere is judged by what it means to the game. A file of another name
// is checked as it stands.
void FindTheGame(Options& options) {
  options.gameFolder = FindGameFolder(FolderOf(options.file));
  if (!IsNamedVexiloTxt(options.file)) return;
  GameFolder& game = options.gameFolder;
  if (!options.haveFile) options.file = game.file;
  if (!game.fileThere && !game.copies.empty() && !options.haveFile) options.file = game.copies.front();
  JudgeCheckedFile(game, options.file);
  options.check.findings = game.findings;
}

// The game's plate textures, unless --plates says how many there are: from
// --txd, or from the vehicle.txd the game loads; and the limit adjuster's
// count of them. Never a count assumed.
void MeasureTextures(Options& options) {
  if (options.check.platesGiven) return;
  const std::string folder = options.haveGame ? FolderOf(options.game) : options.gameFolder.folder;
  options.check.limit = FindPlateCount(folder);
  options.check.limitSearched = true;
  const PlateTextures& textures = *(options.check.dictionary =
                                        options.haveTxd ? MeasurePlateTextures(options.txd)
                                                        : MeasureGameTextures(folder));
  if (textures.Read()) return;
  const bool damaged = !textures.file.empty();
  options.check.findings.push_back(
      {damaged ? Severity::Error : Severity::Warning,
       textures.problem + "; the plate textures are not judged: give their count with --plates N",
       damaged ? textures.file : ""});
}

// How many lines --fix would mend, for the check's last line.
std::size_t Mendable(const Options& options) {
  std::string bytes, reason;
  if (!ReadWholeFile(vexilo::platform::NativePath(options.file), kMostBytesFixed, bytes, reason))
    return 0;
  return FixMappingText(bytes, PlatesOf(options.check)).Mended();
}

CheckReport CheckTheFile(const Options& options) {
  return CheckMappingFile(vexilo::platform::NativePath(options.file), options.check);
}

// Why the file cannot be read, with the full path looked in.
std::string Unreadable(const std::string& file) {
  const std::string native = vexilo::platform::NativePath(file);
  std::string text = "cannot read " + FullPath(native) + ": ";
  switch (KindOfPath(native)) {
    case PathKind::Missing:
      text += "there is no such file";
      if (IsNamedVexiloTxt(file)) {
        text +=
            ". Start the game once with Vexilo installed to create it: Vexilo writes Vexilo.txt "
            "into the "
            "game's working folder, normally the folder of the game's .exe";
      }
      break;
    case PathKind::Folder:
      text += "it is a folder";
      break;
    case PathKind::Other:
      text += "it is not readable (is it open in another program, or yours to read?)";
      break;
  }
  return text;
}

// Checks the file; mendable gets how many of its lines --fix would mend.
int Check(const Options& options, std::size_t& mendable) {
  CheckReport report = CheckTheFile(options);
  report.mendable = mendable = Mendable(options);
  if (!report.readable) {
    Say(stderr, "vexilo-check: " + Unreadable(options.file) + "\n");
    return kExitUnreadable;
  }
  const GameSearch games = SearchForGame(options);
  std::string text;
  if (options.json) {
    FormatJson(text, options.file, report, games);
  } else if (options.table) {
    FormatTable(text, report);
  } else {
    const Style style{ColourAllowed(options.colour, std::getenv("NO_COLOR")) &&
                      ShowsColours(stdout)};
    FormatHeadline(text, report, style);
    FormatDiagnostics(text, options.file, report, style);
    FormatSummary(text, options.file, report);
    FormatGameBuilds(text, games, style);
    if (const std::string mend = MendableNote(report); !mend.empty()) text += mend + "\n";
    FormatVerdict(text, report, style);
  }
  Say(stdout, text);
  if (!options.html.empty()) {
    if (const int status = WriteHtml(options, report, games); status >= 0) return status;
  }
  return report.Count(Severity::Error) > 0 ? kExitMalformed : kExitClean;
}

// Mends the file, says what changed and what is left, and exits as a check
// of the new file would.
int Fix(const Options& options) {
  const FixedFile fixed = FixMappingFile(vexilo::platform::NativePath(options.file), options.file,
                                         PlatesOf(options.check), options.dryRun);
  const CheckReport after = CheckMappingText(fixed.fix.bytes, options.check);
  std::string text;
  FormatFix(text, options.file, fixed, after);
  Say(fixed.outcome == FixedFile::Outcome::LeftAlone ? stderr : stdout, text);
  if (fixed.outcome == FixedFile::Outcome::LeftAlone) return kExitUnreadable;
  return after.Count(Severity::Error) > 0 ? kExitMalformed : kExitClean;
}

// Double-clicked, the checker offers to mend what it can; Enter alone declines.
int OfferToFix(Options& options, int status, std::size_t lines) {
  if (lines == 0) return status;
  Say(stdout, "\n" + FixOffer(lines) + "\n");
  std::fflush(stdout);
  const std::string answer = ReadConsoleLine();
  if (answer != "F" && answer != "f") {
    options.declined = true;
    return status;
  }
  return Fix(options);
}

// The zone, and what the file makes of it when it can be read.
int LookUpZone(const Options& options) {
  std::string text;
  const std::int32_t zone = FormatZone(text, options.zone);
  if (zone == vexilo::kNoZone) {
    Say(stdout, text);
    return kExitMalformed;
  }
  const CheckReport report = CheckTheFile(options);
  if (report.readable) {
    FormatZoneMapping(text, options.file, report, zone);
  } else {
    text += "What a mapping file gives it is not shown: " + Unreadable(options.file) + ".\n";
  }
  Say(stdout, text);
  return kExitClean;
}

int Run(const std::vector<std::string>& arguments, Options& options) {
  const int parsed = Parse(arguments, options);
  if (parsed >= 0) return parsed;
  std::string text;
  if (options.zones) {
    FormatZones(text);
    Say(stdout, text);
    return kExitClean;
  }
  if (options.fix && (options.json || !options.html.empty())) {
    return Usage(
        "--fix changes the file and --html and --json report on it: run the check "
        "after --fix");
  }
  if (options.dryRun && !options.fix) return Usage("--dry-run goes with --fix");
  FindTheGame(options);
  MeasureTextures(options);
  if (options.haveZone) return LookUpZone(options);
  if (options.fix) return Fix(options);
  std::size_t mendable = 0;
  const int status = Check(options, mendable);
  if (options.ownWindow && status != kExitUnreadable) return OfferToFix(options, status, mendable);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  // Explorer starts the program in a folder of its choosing: the file beside
  // the program is the one a double-click means.
  options.ownWindow = StartedInItsOwnWindow(QueryConsole());
  if (options.ownWindow) options.file = ProgramFolder() + kDefaultFile;
  const int status = Run(CommandLineArguments(argc, argv), options);
  std::fflush(stdout);
  if (options.ownWindow && !options.declined) WaitForEnter();
  return status;
}
