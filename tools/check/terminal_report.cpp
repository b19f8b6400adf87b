#include "terminal_report.hpp"

#include <cctype>
#include <vector>

#include "game_files.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr const char* kBold = "1";
constexpr const char* kYellow = "1;33";
constexpr const char* kRed = "1;31";
constexpr const char* kGreen = "1;32";

// Runs of consecutive zones, as "64-70, 100 (8 zones)".
std::string Runs(const std::vector<std::int32_t>& zones) {
  std::string text;
  for (std::size_t i = 0; i < zones.size();) {
    std::size_t j = i;
    while (j + 1 < zones.size() && zones[j + 1] == zones[j] + 1) ++j;
    text += (text.empty() ? "" : ", ") + std::to_string(zones[i]);
    if (j > i) text += "-" + std::to_string(zones[j]);
    i = j + 1;
  }
  return text + " (" + Plural(zones.size(), "zone", "zones") + ")";
}

void FormatGameBuilds(std::string& out, const GameSearch& games, const Style& style) {
  if (games.builds.empty()) {
    Append(out, "Game build: %s.\n", NoGameExecutable(games).c_str());
    return;
  }
  Append(out, "Game build:\n");
  for (const GameBuild& build : games.builds)
    Append(out, "  %s %s.\n", style.Paint(build.file + ":", kBold).c_str(),
           DescribeGameBuild(build).c_str());
  Append(out, "  %s\n", std::string(kFileCheckLimit).c_str());
}

}  // namespace

std::string Style::Paint(std::string_view text, const char* code) const {
  if (!colour) return std::string(text);
  return std::string("\x1b[") + code + "m" + std::string(text) + "\x1b[0m";
}

void FormatReport(std::string& out, const std::string& file, const CheckReport& report,
                  const GameSearch& games, const Style& style) {
  if (const std::string headline = Headline(report); !headline.empty())
    Append(out, "%s\n", style.Paint(headline, kBold).c_str());
  for (const Diagnostic& d : report.diagnostics) {
    const std::string where =
        d.where.empty() ? file + (d.line == 0 ? "" : ":" + std::to_string(d.line)) : d.where;
    const char* colour = d.severity == Severity::Error     ? kRed
                         : d.severity == Severity::Warning ? kYellow
                                                           : kBold;
    Append(out, "%s %s %s\n", style.Paint(where + ":", kBold).c_str(),
           style.Paint(std::string(SeverityName(d.severity)) + ":", colour).c_str(),
           d.message.c_str());
    if (!d.quote.empty()) Append(out, "    %s\n", d.quote.c_str());
  }
  const CheckOptions& options = report.options;
  Append(out, "%s: %s, %s; DEBUG is %s.\n", file.c_str(),
         Plural(report.lines, "line", "lines").c_str(),
         Plural(report.mappings, "mapping", "mappings").c_str(), report.table.debug ? "on" : "off");
  std::string assumed = AssumedTextures(options);
  assumed[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(assumed[0])));
  Append(out, "%s.\n", assumed.c_str());
  if (options.dictionary)
    for (const std::string& copy : options.dictionary->copies)
      Append(out, "Also found: %s.\n", copy.c_str());
  if (options.limitSearched) Append(out, "%s.\n", PlateCountNote(options.limit).c_str());
  Append(out, "Zones per plateback:\n");
  for (const auto& [plate, zones] : ZonesPerPlateback(report))
    Append(out, "  plateback index %3d (%-12s %s\n", plate, (Texture(plate) + "):").c_str(),
           Plural(zones, "zone", "zones").c_str());
  const std::vector<std::int32_t> unset = UnsetZones(report);
  Append(out, "Zones no line sets (plateback index 0): %s\n",
         unset.empty() ? "none" : Runs(unset).c_str());
  for (const auto& [why, zones] : ZonesWithoutPlateback(report))
    Append(out, "Zones that will show no plateback (%s): %s\n", why.c_str(), Runs(zones).c_str());
  FormatGameBuilds(out, games, style);
  if (const std::string mend = MendableNote(report); !mend.empty()) out += mend + "\n";
  if (const std::string cut = CutNote(report); !cut.empty()) Append(out, "%s\n", cut.c_str());
  const char* colour = report.errors != 0 ? kRed : report.warnings != 0 ? kYellow : kGreen;
  Append(out, "%s\n", style.Paint(Verdict(report), colour).c_str());
}

void FormatTable(std::string& out, const CheckReport& report) {
  Append(out, "%5s  %-6s  %11s  %s\n", "Index", "Zone", "Plateback", "Texture");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const ZoneOutcome outcome = OutcomeOf(report, zone);
    Append(out, "%5d  %-6s  %11d  %s", zone, zoneNames[zone], outcome.plate,
           Texture(outcome.plate).c_str());
    if (!outcome.reached)
      Append(out, "  (%s)", std::string(kCitysAgainNote).c_str());
    else if (!outcome.blank.empty())
      Append(out, "  (shows no plateback: %s)", outcome.blank.c_str());
    Append(out, "\n");
  }
}

}  // namespace vexilo::check
