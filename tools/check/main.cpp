// vexilo-check: reads a mapping file exactly as the plug-in does and says
// what every line does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mapping_check.hpp"
#include "platform/platform.hpp"
#include "report.hpp"
#include "terminal.hpp"
#include "version.hpp"

namespace {

using namespace vexilo::check;

constexpr int kExitClean = 0;
constexpr int kExitMalformed = 1;
constexpr int kExitUnreadable = 2;

const char kHelp[] =
    "Usage: vexilo-check [OPTIONS] [FILE]\n"
    "\n"
    "Reads a Vexilo mapping file (default: Vexilo.txt in the current folder) exactly\n"
    "as the plug-in does, and tells which lines do not do what they look like.\n"
    "\n"
    "Options:\n"
    "  --plates N     the game has N plate textures (default 11): plateback\n"
    "                 indices 0 to N-1 are valid\n"
    "  --table        print the resulting table: every zone index, its label, its\n"
    "                 plateback index and texture\n"
    "  --json         print the table, the diagnostics and the summary as JSON\n"
    "  --zones        print the zone list: every zone index and its label\n"
    "  --zone Z       look up one zone by label (JEF2) or index (63)\n"
    "  --no-color     plain text even on a terminal (so does NO_COLOR=1)\n"
    "  --version      print the version\n"
    "  --help         print this help\n"
    "\n"
    "Exit status: 0 the file loads without error, 1 a line is malformed (the game\n"
    "skips it), 2 the file cannot be read, or the command line is wrong.\n"
    "\n"
    "Examples:\n"
    "  vexilo-check                    check Vexilo.txt here\n"
    "  vexilo-check --plates 20 C:\\Games\\MyGame\\Vexilo.txt\n"
    "  vexilo-check --table | more     which plateback every zone gets\n"
    "  vexilo-check --zone JEF2        the zone index of JEF2\n";

struct Options {
  std::string file = "Vexilo.txt";
  CheckOptions check;
  bool table = false;
  bool json = false;
  bool zones = false;
  const char* zone = nullptr;
  bool colour = true;
};

int Usage(const char* problem, const char* argument) {
  std::fprintf(stderr, "vexilo-check: %s%s\nTry 'vexilo-check --help'.\n", problem, argument);
  return kExitUnreadable;
}

// Parses the command line into options; a non-negative result is an exit status.
int Parse(int argc, char** argv, Options& options) {
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kHelp, stdout);
      return kExitClean;
    } else if (argument == "--version") {
      std::printf("vexilo-check %s\n", VEXILO_VERSION);
      return kExitClean;
    } else if (argument == "--table") {
      options.table = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--zones") {
      options.zones = true;
    } else if (argument == "--no-color") {
      options.colour = false;
    } else if (argument == "--zone" || argument == "--plates") {
      if (i + 1 == argc) return Usage("missing value after ", argv[i]);
      const char* value = argv[++i];
      if (argument == "--zone") {
        options.zone = value;
        continue;
      }
      char* end = nullptr;
      const long plates = std::strtol(value, &end, 10);
      if (*value == '\0' || *end != '\0' || plates < 1 || plates > 1000000) {
        return Usage("--plates takes a whole number from 1 up, not ", value);
      }
      options.check.plates = static_cast<std::int32_t>(plates);
    } else if (argument.size() > 1 && argument[0] == '-') {
      return Usage("unknown option ", argv[i]);
    } else if (haveFile) {
      return Usage("one file at a time; also given ", argv[i]);
    } else {
      options.file = argument;
      haveFile = true;
    }
  }
  return -1;
}

int Check(const Options& options) {
  const CheckReport report = CheckMappingFile(vexilo::platform::NativePath(options.file), options.check);
  if (!report.readable) {
    std::fprintf(stderr, "vexilo-check: cannot read %s: it is missing, a folder, or not readable\n",
                 options.file.c_str());
    return kExitUnreadable;
  }
  if (options.json) {
    PrintJson(stdout, options.file, report);
  } else {
    Style style{options.colour && WantsColour(stdout)};
    if (options.table) {
      PrintTable(stdout, report);
    } else {
      PrintDiagnostics(stdout, options.file, report, style);
      PrintSummary(stdout, options.file, report, style);
    }
  }
  return report.Count(Severity::Error) > 0 ? kExitMalformed : kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = Parse(argc, argv, options);
  if (parsed >= 0) return parsed;
  if (options.zones) {
    PrintZones(stdout);
    return kExitClean;
  }
  if (options.zone != nullptr) return PrintZone(stdout, options.zone) ? kExitClean : kExitMalformed;
  return Check(options);
}
