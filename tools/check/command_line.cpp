#include "command_line.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "os.hpp"
#include "text.hpp"
#include "version.hpp"
#include "zone_lookup.hpp"

namespace vexilo::check {
namespace {

constexpr int kGoOn = -1;
constexpr std::size_t kHelpWidth = 62;

struct Option {
  const char* name;
  const char* value;    ///< what it takes, as the help names it; nullptr for none
  bool Options::*flag;  ///< what it turns on, for a plain switch
  const char* help;
  int (*take)(Options& options, const std::string& value) = nullptr;  ///< kGoOn, or an exit status
};

std::string Help();

int Usage(const std::string& problem) {
  WriteText(stderr, "vexilo-check: " + problem + "\nTry 'vexilo-check --help'.\n");
  return kExitUnreadable;
}

int Plates(Options& options, const std::string& value) {
  char* end = nullptr;
  const long plates = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || plates < 1 || plates > 1000000)
    return Usage("--plates takes a whole number from 1 up, not " + value);
  options.check.plates = static_cast<std::int32_t>(plates);
  options.check.platesGiven = true;
  return kGoOn;
}

const Option kOptions[] = {
    {"--plates", "N", nullptr,
     "the game has N plate textures: plateback indices 0 to N-1. Without it they are read from the "
     "game's models/generic/vehicle.txd, and not judged when it cannot be read",
     Plates},
    {"--txd", "FILE", nullptr, "read the plate textures from the texture dictionary FILE",
     [](Options& o, const std::string& v) { return o.txd = v, kGoOn; }},
    {"--fix", nullptr, &Options::fix,
     "mend the mistakes whose meaning is plain (a missing '=' as in 63 5 or 63:5, debug, "
     "63=plateback2, a '#' comment, old Mac line ends, a stray Ctrl-Z, UTF-16 or \"UTF-8 with "
     "BOM\"), each shown as line N: OLD -> NEW, then check again; the old file is kept as "
     "FILE.bak"},
    {"--dry-run", nullptr, &Options::dryRun, "with --fix: print the changes, write nothing"},
    {"--html", "FILE", nullptr,
     "also write the report as a page to FILE: the summary, all 377 zones coloured by plateback, "
     "every problem; open it in any browser",
     [](Options& o, const std::string& v) { return o.html = v, kGoOn; }},
    {"--table", nullptr, &Options::table,
     "print the resulting table: every zone index, its label, its plateback index and texture (187 "
     "is never reached)"},
    {"--json", nullptr, &Options::json, "print the table, the diagnostics and the summary as JSON"},
    {"--zones", nullptr, &Options::zones, "print the zone list: every zone index and its label"},
    {"--zone", "Z", nullptr,
     "look up one zone by label (JEF2, jef2) or index (63), and what FILE gives it: plateback "
     "index, texture, the line",
     [](Options& o, const std::string& v) { return o.zone = v, kGoOn; }},
    {"--game", "FILE", nullptr,
     "name the build of the game's executable FILE (default: of every .exe in the game's folder)",
     [](Options& o, const std::string& v) { return o.game = v, kGoOn; }},
    {"--no-color", nullptr, &Options::plain, "plain text even on a terminal (so does NO_COLOR=1)"},
    {"--version", nullptr, nullptr, "print the version",
     [](Options&, const std::string&) {
       return WriteText(stdout, std::string("vexilo-check ") + VEXILO_VERSION + "\n"), kExitClean;
     }},
    {"--help", nullptr, nullptr, "print this help",
     [](Options&, const std::string&) { return WriteText(stdout, Help()), kExitClean; }},
};

constexpr const char* kHelpStart = R"(Usage: vexilo-check [OPTIONS] [FILE]
       vexilo-check --fix [FILE]

Reads the Vexilo.txt the game reads (in the game's folder: the one with its
.exe, also when run from scripts\ or plugins\) exactly as the plug-in does,
and tells what the game will show and which lines do not do what they look
like. FILE checks another file.

Options:
)";

constexpr const char* kHelpEnd = R"(
Errors are what the game will not show as the file asks: a line it skips or
reads as something else, a zone whose plateback has no texture (a blank
plate), a line for zone 187 alone, a Vexilo.txt the game does not read.
Warnings may surprise but change nothing the game shows; notes explain.
The last line gives the verdict: "No problems found.", "No errors, N
warnings: ..." or "N errors, M warnings: ...".

Exit status: 0 no error, 1 an error, 2 the file cannot be read, or the
command line is wrong.

Double-clicked, vexilo-check checks the Vexilo.txt beside itself and waits
for Enter; a file dropped on it is checked the same way.

Examples:
  vexilo-check                    check Vexilo.txt here
  vexilo-check --plates 3         which lines need textures the game lacks
  vexilo-check --fix              mend the plain mistakes, keeping a backup
  vexilo-check --html report.html then open report.html in a browser
  vexilo-check --table | more     which plateback every zone gets
  vexilo-check --zone JEF2        the zone index of JEF2 and its plateback
)";

// The options' words filled into lines that keep the help within 80 columns;
// the option heads the first of them.
std::string Help() {
  std::string help = kHelpStart;
  for (const Option& option : kOptions) {
    std::string head = option.value ? std::string(option.name) + " " + option.value : option.name;
    for (std::string text = option.help; !text.empty(); head.clear()) {
      const std::size_t cut = text.size() > kHelpWidth ? text.rfind(' ', kHelpWidth) : text.size();
      Append(help, "  %-14s %s\n", head.c_str(), text.substr(0, cut).c_str());
      text.erase(0, cut).erase(0, 1);
    }
  }
  return help + kHelpEnd;
}

}  // namespace

int ParseCommandLine(const std::vector<std::string>& arguments, Options& options) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string argument = arguments[i] == "-h" ? "--help" : arguments[i];
    const Option* option =
        std::find_if(std::begin(kOptions), std::end(kOptions),
                     [&](const Option& known) { return argument == known.name; });
    if (option == std::end(kOptions)) {
      if (argument.size() > 1 && argument[0] == '-') return Usage("unknown option " + argument);
      if (options.haveFile) return Usage("one file at a time; also given " + argument);
      options.file = argument;
      options.haveFile = true;
      continue;
    }
    if (option->value && i + 1 == arguments.size()) return Usage("missing value after " + argument);
    if (option->flag)
      options.*option->flag = true;
    else if (const int status = option->take(options, option->value ? arguments[++i] : "");
             status != kGoOn)
      return status;
  }
  if (options.zones) return WriteText(stdout, ZoneList()), kExitClean;
  if (options.fix && (options.json || !options.html.empty()))
    return Usage(
        "--fix changes the file and --html and --json report on it: run the check after --fix");
  if (options.dryRun && !options.fix) return Usage("--dry-run goes with --fix");
  return kGoOn;
}

}  // namespace vexilo::check
