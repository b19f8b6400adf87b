#include "html_report.hpp"

#include <array>
#include <cmath>
#include <cstdio>

#include "game_files.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

// Kelly's colours of maximum contrast, white and black left out: the first
// eleven for the default platebacks, the last ten in turn for any others.
constexpr std::array<std::string_view, 21> kFills = {
    "#F3C300", "#875692", "#F38400", "#A1CAF1", "#BE0032", "#C2B280", "#848482",
    "#008856", "#E68FAC", "#0067A5", "#8DB600", "#F99379", "#604E97", "#F6A600",
    "#B3446C", "#DCD300", "#882D17", "#654522", "#E25822", "#2B3D26", "#5A5A5A"};

constexpr const char kStyle[] = R"(
body { font: 14px/1.4 system-ui, "Segoe UI", sans-serif; margin: 1.5em; color: #111; background: #fff; }
h1 { font-size: 1.5em; margin: 0 0 .5em; }
h2 { font-size: 1.2em; margin: 1.2em 0 .4em; }
dl.summary { display: grid; grid-template-columns: max-content auto; gap: .1em 1em; margin: 0; }
dl.summary dt { font-weight: bold; }
dl.summary dd { margin: 0; overflow-wrap: anywhere; }
.grid { display: grid; grid-template-columns: repeat(10, minmax(0, 1fr)); gap: 2px; max-width: 72em; }
.zone { border: 1px solid rgba(0, 0, 0, .4); padding: 3px 7px; font-size: 12px; line-height: 1.3;
        min-height: 3.9em; overflow: hidden; }
.zone b, .zone span { display: block; }
.unset { outline: 2px dashed currentColor; outline-offset: -4px; }
.zone.unset, .swatch.unset { padding: 6px 8px; }
.unreachable { background: repeating-linear-gradient(135deg, #fff 0 6px, #d8d8d8 6px 12px);
                    color: #000; border-left-width: 8px; }
.legend { list-style: none; padding: 0; columns: 2 22em; max-width: 72em; }
.legend li { margin: 2px 0; break-inside: avoid; }
.legend li.missing .swatch { text-decoration: line-through; }
.zone.no-plateback span:last-child { text-decoration: line-through; font-weight: bold; }
.zone.no-plateback { box-shadow: inset 0 0 0 3px #b00020; }
.no-texture { color: #b00020; }
.swatch { display: inline-block; min-width: 2.2em; text-align: center; border: 1px solid rgba(0, 0, 0, .4);
          margin-right: .5em; font-weight: bold; }
table { border-collapse: collapse; max-width: 72em; }
th, td { border: 1px solid #bbb; padding: 2px 6px; text-align: left; vertical-align: top; }
tr.error td.severity { color: #b00020; font-weight: bold; }
tr.warning td.severity { color: #7a5200; font-weight: bold; }
code { white-space: pre-wrap; overflow-wrap: anywhere; }
@media print {
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  body { margin: 0; font-size: 10pt; }
  .zone { font-size: 8pt; min-height: 3.6em; break-inside: avoid; }
  h2 { break-after: avoid; }
  tr { break-inside: avoid; }
}
)";

// A class name per plateback index: pb-3, pb-m5 for -5.
std::string PlateClass(std::int32_t plate) {
  return plate < 0 ? "pb-m" + std::to_string(-std::int64_t{plate}) : "pb-" + std::to_string(plate);
}

// Sentences one to a line.
std::string HtmlLines(const std::vector<std::string>& lines) {
  std::string html;
  for (const std::string& line : lines) html += (html.empty() ? "" : "<br>") + HtmlText(line);
  return html;
}

std::string Summary(const std::string& file, const CheckReport& report) {
  std::string html = "<dl class=\"summary\">\n";
  const auto item = [&html](const char* id, const char* term, const std::string& value) {
    Append(html, "<dt>%s</dt><dd id=\"%s\">%s</dd>\n", term, id, value.c_str());
  };
  const CheckOptions& options = report.options;
  item("file", "File", HtmlText(file));
  item("lines", "Lines", std::to_string(report.lines));
  item("mappings", "Mappings", std::to_string(report.mappings));
  item("debug", "DEBUG", report.table.debug ? "on" : "off");
  if (options.dictionary && !options.dictionary->Read())
    item("dictionary", "Texture dictionary", HtmlText(options.dictionary->problem));
  item("plates", "Plate textures", HtmlText(AssumedTextures(options)));
  if (options.dictionary && !options.dictionary->copies.empty())
    item("dictionary-copies", "Other copies", HtmlLines(options.dictionary->copies));
  if (options.limitSearched)
    item("limit", "Limit adjuster", HtmlText(PlateCountNote(options.limit)));
  std::vector<std::string> without;
  for (const auto& [why, zones] : ZonesWithoutPlateback(report))
    without.push_back(Plural(zones.size(), "zone", "zones") + ": " + why);
  if (!without.empty()) item("no-plateback", "No plateback", HtmlLines(without));
  if (report.mendable != 0) item("mendable", "Mendable", HtmlText(MendableNote(report)));
  item("problems", "Problems",
       "<span id=\"errors\">" + Plural(report.errors, "error", "errors") +
           "</span>, <span id=\"warnings\">" + Plural(report.warnings, "warning", "warnings") +
           "</span>");
  if (const std::string headline = Headline(report); !headline.empty())
    item("headline", "Headline", HtmlText(headline));
  item("verdict", "Verdict", HtmlText(Verdict(report)));
  return html + "</dl>\n";
}

// A cell of the grid; its title says what the terminal's --zone says.
void AppendZoneCell(std::string& html, std::int32_t zone, const CheckReport& report) {
  const ZoneOutcome outcome = OutcomeOf(report, zone);
  const std::int32_t plate = outcome.plate;
  std::string title;
  Append(title, "Zone %d %s: plateback index %d (%s), set by ", zone, zoneNames[zone], plate,
         Texture(plate).c_str());
  title += outcome.line == 0 ? "no line"
                             : "line " + std::to_string(outcome.line) +
                                   (outcome.lineText.empty() ? "" : ": " + outcome.lineText);
  if (!outcome.reached) title += ". It is " + std::string(kCitysAgainNote);
  if (!outcome.blank.empty()) title += ". In the game it shows no plateback: " + outcome.blank;
  const char* state = !outcome.reached ? " unreachable" : outcome.line == 0 ? " unset" : "";
  const bool blank = !outcome.blank.empty();
  Append(html,
         R"(<div class="zone %s%s%s" data-zone="%d" data-plateback="%d" data-line="%s" )"
         "title=\"%s\"><b>%d</b><span>%s</span><span>=%d%s%s</span></div>\n",
         PlateClass(plate).c_str(), state, blank ? " no-plateback" : "", zone, plate,
         outcome.line == 0 ? "" : std::to_string(outcome.line).c_str(), HtmlText(title).c_str(),
         zone, zoneNames[zone], plate, state, blank ? " no plateback" : "");
}

// The legend, and into rules each of its platebacks' colours for the style sheet.
std::string Legend(const CheckReport& report, std::string& rules) {
  std::string html = "<ul class=\"legend\">\n";
  for (const auto& [plate, zones] : ZonesPerPlateback(report)) {
    const std::string fill(PlatebackFill(plate));
    Append(rules, ".%s { background-color: %s; color: %s; border-left-color: %s; }\n",
           PlateClass(plate).c_str(), fill.c_str(), std::string(TextColourOn(fill)).c_str(),
           fill.c_str());
    const bool missing = !report.options.ShowsPlate(plate);
    const std::string why = missing
                                ? "; <strong class=\"no-texture\">" +
                                      HtmlText(WhyNoPlateback(report.options, plate)) + "</strong>"
                                : "";
    Append(html,
           R"(<li data-plateback="%d" data-count="%zu"%s><span class="swatch %s">=%d</span>)"
           "plateback index %d (%s): %s%s</li>\n",
           plate, zones, missing ? R"( class="missing")" : "", PlateClass(plate).c_str(), plate,
           plate, Texture(plate).c_str(), Plural(zones, "zone", "zones").c_str(), why.c_str());
  }
  const std::size_t unset = UnsetZones(report).size();
  Append(html,
         R"(<li class="key-unset" data-count="%zu"><span class="swatch unset pb-0">unset</span>)"
         "set by no line, so plateback index 0 (plateback1): %s</li>\n"
         R"(<li class="key-unreachable"><span class="swatch unreachable">187</span>)"
         "zone index 187, the second CITYS, is %s</li>\n</ul>\n",
         unset, Plural(unset, "zone", "zones").c_str(), std::string(kCitysAgainNote).c_str());
  return html;
}

std::string Diagnostics(const CheckReport& report) {
  if (report.diagnostics.empty()) return "<p id=\"no-problems\">No problems found.</p>\n";
  std::string html =
      "<table class=\"diagnostics\">\n<thead><tr><th>Line</th><th>Severity</th><th>Message</th>"
      "<th>Text of the line</th></tr></thead>\n<tbody>\n";
  for (const Diagnostic& d : report.diagnostics) {
    const char* severity = SeverityName(d.severity);
    const std::string where = d.where.empty() && d.line != 0 ? std::to_string(d.line) : d.where;
    Append(html,
           R"(<tr class="diagnostic %s" data-line="%zu" data-severity="%s"><td class="line">%s)"
           R"(</td><td class="severity">%s</td><td class="message">%s</td><td>)"
           "<code class=\"text\">%s</code></td></tr>\n",
           severity, d.line, severity, HtmlText(where).c_str(), severity,
           HtmlText(d.message).c_str(), HtmlText(d.quote).c_str());
  }
  html += "</tbody>\n</table>\n";
  if (const std::string cut = CutNote(report); !cut.empty()) html += "<p>" + cut + "</p>\n";
  return html;
}

std::string GameBuilds(const GameSearch& games) {
  std::string html = "<h2>Game build</h2>\n";
  if (games.builds.empty()) {
    std::string none = NoGameExecutable(games);
    none[0] = 'N';  // a sentence of its own here
    return html + "<p id=\"no-game\">" + HtmlText(none) + ".</p>\n";
  }
  html += "<ul id=\"game-builds\">\n";
  for (const GameBuild& build : games.builds) {
    const std::string file = HtmlText(build.file);
    const std::string support =
        build.Read() ? std::string(SupportName(host::SupportOn(build.version))) : "unreadable";
    Append(html,
           R"(<li data-file="%s" data-support="%s"><span class="exe">%s:</span> )"
           "%s.</li>\n",
           file.c_str(), support.c_str(), file.c_str(), HtmlText(DescribeGameBuild(build)).c_str());
  }
  return html + "</ul>\n<p id=\"file-check-limit\">" + HtmlText(kFileCheckLimit) + "</p>\n";
}

double Linear(unsigned channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

std::string_view PlatebackFill(std::int32_t plate) {
  const bool further = plate < 0 || plate >= 11;
  return kFills[static_cast<std::size_t>(further ? 11 + (std::int64_t{plate} % 10 + 10) % 10
                                                 : plate)];
}

std::string_view TextColourOn(std::string_view fill) {
  unsigned red = 0, green = 0, blue = 0;
  if (fill.size() != 7 ||
      std::sscanf(std::string(fill).c_str(), "#%2x%2x%2x", &red, &green, &blue) != 3) {
    return "#000000";
  }
  const double luminance = 0.2126 * Linear(red) + 0.7152 * Linear(green) + 0.0722 * Linear(blue);
  // Contrast with black, (L + 0.05) / 0.05, against contrast with white, 1.05 / (L + 0.05).
  return (luminance + 0.05) * (luminance + 0.05) > 1.05 * 0.05 ? "#000000" : "#ffffff";
}

std::string HtmlText(std::string_view text) {
  constexpr std::string_view kMarkup = "&<>\"'";
  constexpr const char* kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&#39;"};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text.substr(i)), 1);
    if (length == 1 && byte >= 0x80)
      out += kReplacementCharacter;
    else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)
      Append(out, "\\u%04X", static_cast<unsigned char>(text[i + 1]));
    else if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
      Append(out, "\\x%02X", byte);
    else if (const std::size_t markup = kMarkup.find(text[i]); markup != kMarkup.npos)
      out += kEntities[markup];
    else
      out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

std::string HtmlReport(const std::string& file, const CheckReport& report,
                       const GameSearch& games) {
  std::string rules, html;
  const std::string legend = Legend(report, rules);
  Append(html,
         R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%s: Vexilo mapping report</title>
<style>%s%s</style>
</head>
<body>
<h1>Vexilo mapping report</h1>
%s%s<h2>Legend</h2>
%s<h2>Diagnostics</h2>
%s<h2>Zones and their platebacks</h2>
)"
         "<p>One cell per zone, in zone index order, ten to a row: the zone index, its label and "
         "\"=N\", its plateback index. Point at a cell to see the line that sets it.</p>\n"
         "<div class=\"grid\" id=\"zones\">\n",
         HtmlText(file).c_str(), kStyle, rules.c_str(), Summary(file, report).c_str(),
         GameBuilds(games).c_str(), legend.c_str(), Diagnostics(report).c_str());
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) AppendZoneCell(html, zone, report);
  return html + "</div>\n</body>\n</html>\n";
}

}  // namespace vexilo::check
