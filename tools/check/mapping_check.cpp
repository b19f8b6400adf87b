#include "mapping_check.hpp"

#include <algorithm>
#include <cctype>
#include <limits>
#include <map>
#include <utility>

#include "file_bytes.hpp"
#include "game_files.hpp"
#include "line_rules.hpp"
#include "mapping/mapping_file.hpp"
#include "text.hpp"
#include "text_bytes.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr std::size_t kQuoteLength = 80;
constexpr std::size_t kLinesNamed = 5;
constexpr Effect kAsksOtherwise{"does not do what it asks", "do not do what they ask"};

// --fix cannot decode half a character, so it is offered only for a whole one.
std::string Utf16Message(const TextBytes& bytes) {
  std::string message =
      "the file is saved as UTF-16 (Notepad calls it \"Unicode\"), which the game cannot read: to "
      "the game every line is noise and sets nothing; save the file as \"UTF-8\" (in Notepad: "
      "File, Save As, Encoding)";
  if (!bytes.HalfUtf16()) return message + " or run vexilo-check --fix";
  return message + "; line " + std::to_string(bytes.halfCharacterLine) +
         " holds half a character, which --fix cannot mend";
}

using Run = std::pair<std::int64_t, std::int64_t>;

std::string Number(std::int64_t number) { return std::to_string(number); }

// "51 to 58", "0 to 2 and 4", or with named, "plateback1 to plateback3 and
// plateback5": numbers by their runs.
std::string NumberRuns(const std::vector<Run>& runs, std::string (*named)(std::int64_t) = Number) {
  std::vector<std::string> items;
  for (const auto& [first, last] : runs)
    items.push_back(named(first) + (last != first ? " to " + named(last) : ""));
  return Listed(items);
}

// Numbers, in order, as runs.
template <typename Numbers>
std::vector<Run> RunsOf(const Numbers& numbers) {
  std::vector<Run> runs;
  for (const auto n : numbers) {
    const auto number = static_cast<std::int64_t>(n);
    if (!runs.empty() && runs.back().second + 1 == number)
      runs.back().second = number;
    else
      runs.emplace_back(number, number);
  }
  return runs;
}

std::string LineRuns(const std::vector<std::size_t>& lines) { return NumberRuns(RunsOf(lines)); }

// Adds item, unless it is the last one there, to the group of key; the
// groups stay in the order of their first item.
template <typename Key, typename Item>
void AddToGroup(std::vector<std::pair<Key, std::vector<Item>>>& groups, const Key& key, Item item) {
  auto group =
      std::find_if(groups.begin(), groups.end(), [&key](const auto& g) { return g.first == key; });
  if (group == groups.end()) group = groups.insert(groups.end(), {key, {}});
  if (group->second.empty() || group->second.back() != item) group->second.push_back(item);
}

// Reads each line through the rules table and keeps what the game makes of
// every zone: the line that last set it.
class LineChecker : public LineObserver {
 public:
  LineChecker(const CheckOptions& options, TextBytes bytes) : bytes_(bytes) {
    report.options = options;
  }

  void OnLine(std::size_t number, std::string_view text, const MappingLine& line) override {
    report.lines = number;
    // Every line of a UTF-16 file is noise to the game; one error, at its first text, says it all.
    if (bytes_.Utf16() && !utf16_ && !text.empty()) {
      utf16_ = true;
      Add({number, Severity::Error, Utf16Message(bytes_), "", "", "utf16"});
    }
    if (utf16_) return;
    for (auto& [rule, message] : JudgeLine(number, text, line, options_, bytes_).found)
      Add({number, rule->severity, std::move(message), Quote(text), "", rule->id});
    if (SetsAnyZone(line)) Record(number, text, line);
  }

  void OnEndOfText(std::size_t number) override {
    const bool more = bytes_.textAfterEndOfText;
    const bool mendable = !bytes_.HalfUtf16();
    Add({number, more ? Severity::Error : Severity::Note,
         more ? std::string("an invisible character (0x1A, Ctrl-Z) ends the file for the game "
                            "here: it reads no line after it; delete it") +
                    (mendable ? ", or run vexilo-check --fix" : "")
              : "an invisible character (0x1A, Ctrl-Z) ends the file here; nothing follows it",
         ""});
  }

  CheckReport Finish(bool readable) {
    report.readable = readable;
    finishing_ = true;
    for (auto& [number, owner] : owners_) report.setterText[number] = std::move(owner.quote);
    if (!utf16_) {
      for (const Finding& found : options_.findings)
        Add({0, found.severity, found.message, "", found.where, "around"});
      CheckTheCount();
      NameZonesWithoutPlateback();
    }
    std::stable_sort(report.diagnostics.begin(), report.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    if (report.diagnostics.size() > kMaxDiagnostics) report.diagnostics.resize(kMaxDiagnostics);
    return std::move(report);
  }

  CheckReport report;

 private:
  // A mapping line that still decides at least one zone. Only such lines are
  // kept: at most 377 of them, however long the file.
  struct Owner {
    std::int32_t zones;
    std::string quote;
    std::vector<std::size_t> takers;  ///< the first kTakersNamed later lines that took zones
    std::size_t taken = 0;            ///< every such line
    std::size_t lastTaker = 0;        ///< a line takes its zones one after another
  };
  static constexpr std::size_t kTakersNamed = 3;

  void Record(std::size_t number, std::string_view text, const MappingLine& line) {
    const std::int32_t last = std::min(line.last, kLastZone);
    for (std::int32_t zone = line.first; zone <= last; ++zone) {
      std::size_t& setBy = report.setBy[static_cast<std::size_t>(zone)];
      if (setBy != 0) LoseZone(setBy, number);
      setBy = number;
    }
    owners_[number] = Owner{last - line.first + 1, Quote(text), {}, 0, 0};
    ++report.mappings;
  }

  // A later line taking zones back is ordinary use: a line that lost them all
  // gets a note and is forgotten, so that what is kept stays bounded.
  void LoseZone(std::size_t number, std::size_t by) {
    const auto found = owners_.find(number);
    Owner& owner = found->second;
    if (std::exchange(owner.lastTaker, by) != by) {
      ++owner.taken;
      if (owner.takers.size() < kTakersNamed) owner.takers.push_back(by);
    }
    if (--owner.zones != 0) return;
    std::string message =
        "every zone of this line is set again by " +
        std::string(owner.taken == 1 ? "a later line (line " : "later lines (lines ") +
        LineRuns(owner.takers);
    if (owner.taken > owner.takers.size())
      message += " and " + std::to_string(owner.taken - owner.takers.size()) + " more";
    Add({number, Severity::Note, message + ")", std::move(owner.quote), "", "set-again"});
    owners_.erase(found);
  }

  // One error per reason the game shows a blank plate, naming every line
  // that gives zones such a plateback.
  void NameZonesWithoutPlateback() {
    for (const auto& [why, zones] : ZonesWithoutPlateback(report)) {
      std::vector<std::size_t> lines;
      for (std::int32_t zone : zones) lines.push_back(report.setBy[static_cast<std::size_t>(zone)]);
      std::sort(lines.begin(), lines.end());
      // Zones no line sets have line 0, first once sorted.
      const auto unset = static_cast<std::size_t>(std::count(lines.begin(), lines.end(), 0u));
      lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
      lines.erase(lines.begin(), lines.begin() + (unset != 0 ? 1 : 0));
      const std::string noLine = "for the " + Plural(unset, "zone", "zones") + " no line sets,";
      std::string message =
          Plural(zones.size(), "zone", "zones") + " will show no plateback (" + why + "): " +
          (lines.empty() ? noLine
                         : (lines.size() == 1 ? "on line " : "on lines ") + LineRuns(lines) +
                               (unset != 0 ? ", and " + noLine : ""));
      message += " write a plateback index your game has (" + IndicesTheGameHas(options_) + ")" +
                 RaiseTheCount(why);
      const std::size_t first = lines.empty() ? 0 : lines.front();
      Add({first, Severity::Error, std::move(message), "", "", "no-plateback"});
    }
  }

  // Only where the count is what cuts the textures off, and never to a
  // count that leaves out a texture the dictionary holds.
  std::string RaiseTheCount(const std::string& why) const {
    if (!options_.Counted() || why.rfind("beyond", 0) != 0) return "";
    std::string count, setIt = " to the textures you have";
    if (options_.Measured() && !options_.dictionary->indices.empty())
      setIt = count = " to " + std::to_string(*options_.dictionary->indices.rbegin() + 1);
    if (!options_.limit)
      return ", or install a limit adjuster and set its count of plate textures" + setIt;
    const PlateCount& limit = *options_.limit;
    if (limit.on) return ", or raise the count in " + limit.file + count;
    return ", or remove the '#' or ';' at the start of " + limit.file + " line " +
           std::to_string(limit.line) + " and set the count" + setIt;
  }

  // A count above the textures the dictionary holds gives plates with no
  // plateback; the count advised keeps every texture it holds.
  void CheckTheCount() {
    if (!options_.limit) return;
    const PlateCount& limit = *options_.limit;
    const std::string where = limit.file + ":" + std::to_string(limit.line);
    if (limit.guessed || !limit.others.empty()) {
      const std::string others = Listed(limit.others, "; ", "; ");
      const std::string used = limit.file + " line " + std::to_string(limit.line);
      Add({0, Severity::Warning,
           limit.guessed ? "keep one count of plate textures: several .ini files hold one and "
                           "none is plainly the one the game reads, so the lowest, in " +
                               used + ", is judged; the others: " + others
                         : "not read by the game: " + others + "; the count is the one in " + used,
           "", where, "around"});
    }
    if (!limit.on || !options_.Measured() || options_.dictionary->indices.empty()) return;
    const std::int32_t highest = *options_.dictionary->indices.rbegin() + 1;
    if (limit.count <= highest) return;
    const std::size_t held = options_.dictionary->indices.size();
    Add({0, Severity::Warning,
         "set the count to " + std::to_string(highest) + " in " + limit.file +
             ", or add the missing textures to the dictionary: the limit adjuster's count is " +
             std::to_string(limit.count) + ", but " + options_.dictionary->file + " holds " +
             Plural(held, "plate texture", "plate textures") + " (" +
             TextureRuns(*options_.dictionary) + ")",
         "", where, "around"});
  }

  // Every problem is counted; the first kMaxDiagnostics found are kept, so
  // that a file of millions of bad lines is still checked in bounded memory.
  // Those added at the end may go beyond, to be cut once all are in line order.
  void Add(Diagnostic d) {
    ++(d.severity == Severity::Error     ? report.errors
       : d.severity == Severity::Warning ? report.warnings
                                         : report.notes);
    if (report.diagnostics.size() < kMaxDiagnostics || finishing_)
      report.diagnostics.push_back(std::move(d));
  }

  const CheckOptions& options_ = report.options;
  const TextBytes bytes_;
  std::map<std::size_t, Owner> owners_;
  bool utf16_ = false;
  bool finishing_ = false;
};

}  // namespace

bool CheckOptions::HasTexture(std::int32_t plate) const {
  if (Measured()) return dictionary->Holds(plate);
  return plate >= 0 && (!platesGiven || plate < plates);
}

std::size_t CheckReport::Count(Severity severity) const {
  return severity == Severity::Error ? errors : severity == Severity::Warning ? warnings : notes;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::Error ? "error" : severity == Severity::Warning ? "warning" : "note";
}

CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options) {
  FileBytes file(path);
  LineChecker checker(options, ReadTextBytes(file));
  return checker.Finish(ReadMappingFile(path, checker.report.table, &checker) == FileReading::Read);
}

CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options) {
  LineChecker checker(options, ReadTextBytes(bytes));
  checker.report.table = ParseMappingText(bytes, &checker);
  return checker.Finish(true);
}

std::string Quote(std::string_view line) {
  std::string quote;
  if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    quote = "<byte-order mark>";
    line.remove_prefix(kByteOrderMark.size());
  }
  for (char c : line) {
    if (quote.size() >= kQuoteLength) return quote + "...";
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r')
      quote += "\\r";
    else if (byte < 0x20 && c != '\t')
      Append(quote, "\\x%02X", byte);
    else
      quote += c;
  }
  return quote;
}

std::map<std::int32_t, std::size_t> ZonesPerPlateback(const CheckReport& report) {
  std::map<std::int32_t, std::size_t> zones;
  for (std::int32_t plate : report.table.plates) ++zones[plate];
  return zones;
}

std::vector<std::int32_t> UnsetZones(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone)
    if (zone != kCitysAgain && report.setBy[static_cast<std::size_t>(zone)] == 0)
      zones.push_back(zone);
  return zones;
}

std::string TextureRuns(const PlateTextures& textures) {
  const std::vector<Run> held = RunsOf(textures.indices);
  std::vector<Run> gaps;
  for (std::size_t i = 1; i < held.size(); ++i)
    gaps.emplace_back(held[i - 1].second + 1, held[i].first - 1);
  if (held.empty()) return "no plateback texture";
  return NumberRuns(held, Texture) + (gaps.empty() ? "" : ", without " + NumberRuns(gaps, Texture));
}

ZoneOutcome OutcomeOf(const CheckReport& report, std::int32_t zone) {
  const auto at = static_cast<std::size_t>(zone);
  ZoneOutcome outcome{report.table.plates[at], report.setBy[at], "", zone != kCitysAgain, ""};
  if (const auto text = report.setterText.find(outcome.line); text != report.setterText.end())
    outcome.lineText = text->second;
  if (outcome.reached) outcome.blank = WhyNoPlateback(report.options, outcome.plate);
  return outcome;
}

std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone)
    if (!OutcomeOf(report, zone).blank.empty()) zones.push_back(zone);
  return zones;
}

std::string WhyNoPlateback(const CheckOptions& options, std::int32_t plate) {
  if (!options.HasTexture(plate)) {
    if (options.Measured()) return "no texture in " + options.dictionary->file;
    if (!options.platesGiven) return "a plateback index below 0 has no texture";
    return "no texture among the " + std::to_string(options.plates) + " that --plates gives";
  }
  if (!options.BeyondCount(plate)) return "";
  if (!options.limit)
    return "beyond the game's own 3 plate textures: no limit adjuster gives a count";
  const PlateCount& limit = *options.limit;
  if (!limit.on)
    return "beyond the game's own 3 plate textures: the count in " + limit.file + " is off";
  return "beyond the " + std::to_string(limit.count) + " plate textures of " + limit.file;
}

// From the runs the dictionary holds, never index by index: a texture named
// plateback2147483648 would make that two billion steps for every line.
std::string IndicesTheGameHas(const CheckOptions& options) {
  if (!options.Judged() && !options.Counted()) return "0 to 2, or more with added textures";
  std::vector<Run> runs{
      {0, options.platesGiven ? options.plates - 1 : std::numeric_limits<std::int32_t>::max()}};
  if (options.Measured()) runs = RunsOf(options.dictionary->indices);
  if (options.Counted()) {
    const std::int64_t last = std::int64_t{options.CountedPlates()} - 1;
    // The runs are in order: those past the count are the last.
    while (!runs.empty() && runs.back().first > last) runs.pop_back();
    if (!runs.empty()) runs.back().second = std::min(runs.back().second, last);
  }
  if (runs.empty()) return "none; add plateback1 to the game's vehicle.txd";
  return NumberRuns(runs);
}

std::vector<std::pair<std::string, std::vector<std::int32_t>>> ZonesWithoutPlateback(
    const CheckReport& report) {
  std::vector<std::pair<std::string, std::vector<std::int32_t>>> groups;
  for (std::int32_t zone : ZonesWithoutTexture(report))
    AddToGroup(groups, OutcomeOf(report, zone).blank, zone);
  return groups;
}

std::string MendableNote(const CheckReport& report) {
  if (report.mendable == 0) return "";
  return Plural(report.mendable, "line", "lines") + " can be mended: run vexilo-check --fix";
}

std::string AssumedTextures(const CheckOptions& options) {
  if (options.Measured()) {
    return "the game has " +
           Plural(options.dictionary->indices.size(), "plate texture", "plate textures") + " in " +
           options.dictionary->file + ": " + TextureRuns(*options.dictionary);
  }
  if (!options.platesGiven) {
    return "the plate textures are not judged: no texture dictionary was read; give their count "
           "with --plates N (the game's own are 3)";
  }
  std::string text =
      Plural(static_cast<std::size_t>(options.plates), "plate texture", "plate textures") +
      " (plateback1";
  if (options.plates > 1) text += " to " + Texture(std::int64_t{options.plates} - 1);
  return text + "), as --plates " + std::to_string(options.plates) + " says";
}

std::string Headline(const CheckReport& report) {
  if (report.Count(Severity::Error) == 0) return "";
  for (const Diagnostic& d : report.diagnostics) {
    if (d.severity != Severity::Error || d.rule != "around") continue;
    std::string headline = d.message + ".";
    headline[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(headline[0])));
    return headline;
  }
  if (const auto groups = ZonesWithoutPlateback(report); !groups.empty()) {
    return "In the game: " + Plural(ZonesWithoutTexture(report).size(), "zone", "zones") +
           " will show no plateback (" + groups.front().first +
           (groups.size() > 1 ? ", and more" : "") + ").";
  }
  // The lines of the one effect that most line errors share.
  std::vector<std::pair<const Effect*, std::vector<std::size_t>>> effects;
  for (const Diagnostic& d : report.diagnostics) {
    if (d.rule == "utf16") return "In the game: this file sets nothing, as it is saved as UTF-16.";
    if (d.severity != Severity::Error) continue;
    const auto rule = std::find_if(LineRules().begin(), LineRules().end(),
                                   [&d](const LineRule& r) { return d.rule == r.id; });
    AddToGroup(effects, rule == LineRules().end() ? &kAsksOtherwise : rule->effect, d.line);
  }
  if (effects.empty()) return "In the game: some lines do not do what they ask.";
  const auto& [effect, lines] = *std::max_element(
      effects.begin(), effects.end(),
      [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
  const bool one = lines.size() == 1;
  const std::string named =
      lines.size() > kLinesNamed
          ? Plural(lines.size(), "line", "lines") + " from line " + std::to_string(lines.front())
          : (one ? "line " : "lines ") + LineRuns(lines);
  return "In the game: " + named + " " + (one ? effect->one : effect->many) + ".";
}

std::string Verdict(const CheckReport& report) {
  const std::string warnings = Plural(report.warnings, "warning", "warnings");
  if (report.errors != 0)
    return Plural(report.errors, "error", "errors") + ", " + warnings +
           ": the game will not show what this file asks.";
  if (report.warnings != 0)
    return "No errors, " + warnings + ": the game shows what this file asks.";
  return "No problems found.";
}

std::string CutNote(const CheckReport& report) {
  if (report.diagnostics.size() >= report.errors + report.warnings + report.notes) return "";
  return "Only the first " + std::to_string(report.diagnostics.size()) +
         " problems found are shown.";
}

}  // namespace vexilo::check
