#include "mapping_check.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "file_bytes.hpp"
#include "mapping/mapping_file.hpp"
#include "mapping_fix.hpp"
#include "text_bytes.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr std::size_t kQuoteLength = 80;
constexpr std::int32_t kLastZone = kZoneCount - 1;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

const char* FieldName(LineField field) {
  switch (field) {
    case LineField::Start:
      return "start";
    case LineField::End:
      return "end";
    case LineField::Index:
      return "zone index";
    case LineField::Value:
      return "plateback index";
    case LineField::None:
      break;
  }
  return "number";
}

constexpr const char* kKeepDashesOut =
    "; the first '-' on a line always starts a range: keep '-' out of notes, or put the note on a "
    "line of its own "
    "that starts with ';'";

std::string RangeText(const MappingLine& line) {
  return std::to_string(line.first) + "-" + std::to_string(line.last) + "=" +
         std::to_string(line.value);
}

// "5=3 ; zones 5-9": the note's '-' makes the line a range from the zone index
// to the number after that '-', which may set more zones or none.
std::string ReadsAsRangeForANote(const MappingLine& line) {
  std::string effect;
  if (line.first > std::min(line.last, kLastZone)) {
    effect = "which sets nothing";
    if (line.first <= kLastZone) effect += ", not even zone " + std::to_string(line.first);
  } else if (line.first == line.last) {
    effect = "which happens to set zone " + std::to_string(line.first) + " alone";
  } else {
    effect = "which sets zones " + std::to_string(line.first) + " to " +
             std::to_string(std::min(line.last, kLastZone)) + ", not zone " +
             std::to_string(line.first) + " alone";
  }
  return "the '-' after the plateback index makes this line the range " + RangeText(line) + ", " +
         effect + kKeepDashesOut;
}

constexpr const char* kByteOrderMarkMessage =
    "this line begins with an invisible mark at the start of the file (Notepad's \"UTF-8 with "
    "BOM\"), which the game reads as part of the line; save the file as \"UTF-8\" (in Notepad: "
    "File, Save As, Encoding) or run vexilo-check --fix";

bool StartsWithByteOrderMark(std::size_t number, std::string_view text) {
  return number == 1 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

bool StartsWithDigit(std::string_view text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) != 0;
}

// Why a line of no known kind is passed over, and what to write instead;
// mended is the line as --fix would write it, or the line itself.
std::string WhyIgnored(std::size_t number, std::string_view text, std::string_view mended) {
  const std::string_view trimmed = Trim(text);
  const std::string write = mended != text ? ": write " + std::string(Trim(mended)) : std::string();
  if (StartsWithByteOrderMark(number, text)) return kByteOrderMarkMessage;
  if (EqualsIgnoringCase(trimmed, "DEBUG"))
    return "the debug switch must be written DEBUG, in capitals" + write;
  if (trimmed.size() > 5 && EqualsIgnoringCase(trimmed.substr(0, 5), "DEBUG")) {
    return "DEBUG must stand alone on its line: write DEBUG and nothing else on it";
  }
  if (!write.empty()) {
    return "the game reads no mapping here: a mapping needs '=' before its plateback index" + write;
  }
  if (trimmed.find('-') != std::string_view::npos) {
    return "a range needs '=' and a plateback index after it: write " + std::string(trimmed) +
           "=N, where N is a plateback index";
  }
  if (StartsWithDigit(trimmed)) {
    return "a mapping needs '=' between the zone index and the plateback index: write it as "
           "ZONE=N, where N is a plateback index";
  }
  return "not a mapping, a comment or DEBUG: start a comment with ';', and write a mapping as "
         "ZONE=N (63=1 or JEF2=1)";
}

// How a mapping line is written, beside what it says.
struct MappingShape {
  /// Written as index=value, but a '-' after the '=' made it a range.
  bool looksExact = false;
  /// That '-' stands in a note after the value, not as the value's sign.
  bool dashInNote = false;
};

// The line from its byte at on; empty past its end.
std::string_view From(std::string_view text, std::size_t at) {
  return at < text.size() ? text.substr(at) : std::string_view();
}

MappingShape ShapeOf(std::string_view text, const MappingLine& line) {
  MappingShape shape;
  shape.looksExact = line.kind == LineKind::Range && line.equalsAt < line.dashAt;
  const std::string_view afterEquals =
      shape.looksExact ? Trim(From(text, line.equalsAt + 1)) : std::string_view();
  shape.dashInNote = !afterEquals.empty() && afterEquals.front() != '-';
  return shape;
}

// The text of a number field as the format cuts it from the line.
std::string_view FieldText(std::string_view text, const MappingLine& line, LineField field) {
  switch (field) {
    case LineField::Index:
      return text.substr(0, line.equalsAt);
    case LineField::Start:
      return text.substr(0, line.dashAt);
    case LineField::End: {
      const std::string_view rest = From(text, line.dashAt + 1);
      return rest.substr(0, rest.find('='));
    }
    case LineField::Value:
      return From(text, line.equalsAt + 1);
    case LineField::None:
      break;
  }
  return {};
}

// Whether a line the game reads names a zone by its label ("JEF2=5").
bool NamesZoneByLabel(std::string_view text, const MappingLine& line) {
  if (line.malformed != LineField::None) return false;
  const auto byLabel = [&](LineField field) {
    std::int32_t number = 0;
    return ReadNumberField(FieldText(text, line, field), number) == NumberStatus::NoDigit;
  };
  if (line.kind == LineKind::Exact) return byLabel(LineField::Index);
  return line.kind == LineKind::Range && (byLabel(LineField::Start) || byLabel(LineField::End));
}

// What is wrong with the field of a line the game skips, and what to write.
std::string FieldProblem(std::size_t number, std::string_view text, const MappingLine& line,
                         const CheckOptions& options) {
  const std::string name = FieldName(line.malformed);
  const std::string_view field = Trim(FieldText(text, line, line.malformed));
  const bool valueField = line.malformed == LineField::Value;
  const std::string write =
      valueField ? "write a plateback index your game has: " + IndicesTheGameHas(options)
                 : std::string(
                       "write a zone index from 0 to 376, or a zone label such as JEF2 "
                       "(vexilo-check --zones lists them)");
  if (line.problem == NumberStatus::OutOfRange)
    return "the " + name + " " + std::string(field) + " is far too large for the game; " + write;
  const bool indexField = line.malformed == LineField::Start || line.malformed == LineField::Index;
  if (indexField && StartsWithByteOrderMark(number, text)) return kByteOrderMarkMessage;
  if (!valueField && ZoneOfLabelField(field) == kNoZone && !field.empty() &&
      std::isalpha(static_cast<unsigned char>(field.front())) != 0) {
    return "the " + name + " " + std::string(field) + " is no zone label the game knows; " + write;
  }
  return "the " + name + " is no number; " + write;
}

// A line as --fix would mend it, or the line itself.
std::string MendedLine(std::string_view text, const CheckOptions& options) {
  return WhatToWrite(text, PlatesOf(options)).value_or(std::string(text));
}

std::string MalformedMessage(std::size_t number, std::string_view text, const MappingLine& line,
                             const MappingShape& shape, const CheckOptions& options) {
  const std::string mended = MendedLine(text, options);
  std::string message = FieldProblem(number, text, line, options);
  if (mended != text) message = "the game skips this line: write " + std::string(Trim(mended));
  if (shape.dashInNote) message += " (the '-' after the plateback index starts a range)";
  if (mended == text) message += "; the game skips this line";
  if (shape.dashInNote) message += kKeepDashesOut;
  return message;
}

// What a well-formed mapping line does that its writing hides, or "".
std::string OddShapeMessage(const MappingLine& line, const MappingShape& shape,
                            const CheckOptions& options) {
  const bool empty = line.first > line.last;
  if (shape.dashInNote) return ReadsAsRangeForANote(line);
  if (shape.looksExact) {
    std::string message = "reads as the range " + RangeText(line) + " because of its '-'";
    if (empty) {
      // A plateback index cannot be negative: the line is told what to write instead.
      message += ", which sets nothing, so zone " + std::to_string(line.first) +
                 " keeps its plateback; write " + std::to_string(line.first) +
                 "=N, where N is a "
                 "plateback index your game has (" +
                 IndicesTheGameHas(options) + ")";
    }
    return message;
  }
  if (empty) {
    return "empty range: " + std::to_string(line.first) + " is above " + std::to_string(line.last) +
           "; this line sets nothing";
  }
  return "";
}

std::string AboveTheTableMessage(const MappingLine& line) {
  const std::string what = line.kind == LineKind::Exact ? "zone index " + std::to_string(line.first)
                                                        : std::string("the whole range");
  return what + " lies above 376, the last zone; this line sets nothing";
}

// --fix cannot decode half a character, so it is offered only for a whole one.
std::string Utf16Message(const TextBytes& bytes) {
  std::string message =
      "the file is saved as UTF-16 (Notepad calls it \"Unicode\"), which the game cannot read: to "
      "the game every line is noise and sets nothing; save the file as \"UTF-8\" (in Notepad: "
      "File, Save As, Encoding)";
  if (bytes.halfCharacterLine == 0) return message + " or run vexilo-check --fix";
  return message + "; line " + std::to_string(bytes.halfCharacterLine) +
         " holds half a character, which --fix cannot mend";
}

class LineChecker : public LineObserver {
 public:
  LineChecker(const CheckOptions& options, CheckReport& report, const TextBytes& bytes)
      : options_(options), report_(report), bytes_(bytes) {}

  void OnLine(std::size_t number, std::string_view text, const MappingLine& line) override {
    report_.lines = number;
    if (!sawText_ && !text.empty()) {
      sawText_ = true;
      if (bytes_.Utf16()) {
        Add(number, Severity::Error, Utf16Message(bytes_), "");
        // Every line of such a file is noise to the game; one error says it all.
        utf16_ = true;
      }
    }
    if (number == bytes_.loneCarriageReturnLine) {
      Add(number, Severity::Error,
          "a line end written as a carriage return alone (old Mac line ends) does not end a line "
          "for the game: it reads what follows as part of this line; save the file with Windows "
          "line ends (CR LF) or run vexilo-check --fix",
          Quote(text));
    }
    switch (line.kind) {
      case LineKind::Blank:
      case LineKind::Comment:
      case LineKind::Debug:
        return;
      case LineKind::Other: {
        // Behind the mark, a comment asks for nothing the game does not do.
        const bool markedComment =
            StartsWithByteOrderMark(number, text) && Trim(text.substr(3)).substr(0, 1) == ";";
        Add(number, markedComment ? Severity::Warning : Severity::Error,
            WhyIgnored(number, text, MendedLine(text, options_)), Quote(text));
        return;
      }
      case LineKind::Range:
      case LineKind::Exact:
        CheckMapping(number, text, line);
        return;
    }
  }

  void OnEndOfText(std::size_t number) override {
    if (!bytes_.textAfterEndOfText) {
      Add(number, Severity::Note,
          "an invisible character (0x1A, Ctrl-Z) ends the file here; nothing follows it", "");
      return;
    }
    Add(number, Severity::Error,
        "an invisible character (0x1A, Ctrl-Z) ends the file for the game here: it reads no line "
        "after it; delete it, or run vexilo-check --fix",
        "");
  }

  void Finish() {
    for (auto& [number, owner] : owners_) report_.setterText[number] = std::move(owner.quote);
    CheckTheCount();
    for (auto& [value, beyond] : beyond_) {
      Add(beyond.first, Severity::Warning, BeyondTheTexturesMessage(value, beyond),
          std::move(beyond.quote), true);
    }
    std::stable_sort(report_.diagnostics.begin(), report_.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    if (report_.diagnostics.size() > kMaxDiagnostics) report_.diagnostics.resize(kMaxDiagnostics);
  }

 private:
  // A mapping line that still decides at least one zone. Only such lines are
  // kept: at most 377 of them, however long the file.
  struct Owner {
    std::int32_t zones;
    std::string quote;
  };

  // The lines that use one plateback index beyond the textures: the first of
  // them, quoted, and the first few named.
  struct Beyond {
    std::size_t first = 0;
    std::string quote;
    std::vector<std::size_t> lines;
    std::size_t count = 0;
  };
  static constexpr std::size_t kNamedLines = 10;

  void CheckMapping(std::size_t number, std::string_view text, const MappingLine& read) {
    const MappingShape shape = ShapeOf(text, read);
    const MappingLine& line = read;
    if (read.malformed != LineField::None) {
      Add(number, Severity::Error, MalformedMessage(number, text, read, shape, options_),
          Quote(text));
      return;
    }
    if (NamesZoneByLabel(text, line)) Add(number, Severity::Note, LabelNote(line), Quote(text));
    if (const std::string odd = OddShapeMessage(line, shape, options_); !odd.empty()) {
      // Read as a range the player did not write, unless it sets just the zone meant.
      const bool asWritten = !shape.looksExact || (shape.dashInNote && line.first == line.last);
      Add(number, asWritten ? Severity::Warning : Severity::Error, odd, Quote(text));
    }
    if (line.first > line.last) return;
    if (line.first > kLastZone) {
      Warn(number, text, AboveTheTableMessage(line));
      return;
    }
    if (line.last > kLastZone) {
      Warn(number, text,
           "zones 377 to " + std::to_string(line.last) +
               " do not exist and are dropped; this line sets " + std::to_string(line.first) +
               " to 376");
    }
    CheckValue(number, text, line.value);
    Record(number, text, line);
  }

  // "JEF2 is zone 63", for every label the line holds.
  static std::string LabelNote(const MappingLine& line) {
    const auto named = [](std::int32_t zone) {
      return std::string(zoneNames[zone]) + " is zone " + std::to_string(zone);
    };
    if (line.kind == LineKind::Exact || line.first == line.last) return named(line.first);
    std::string note = named(line.first);
    if (line.last < kZoneCount) note += " and " + named(line.last);
    return note;
  }

  void CheckValue(std::size_t number, std::string_view text, std::int32_t value) {
    if (value < 0) {
      Warn(number, text,
           "plateback index " + std::to_string(value) + " is negative: there is no texture " +
               Texture(value) +
               "; write a plateback index your game has: " + IndicesTheGameHas(options_));
    } else if (!options_.ShowsPlate(value)) {
      UseBeyondTheTextures(number, text, value);
    }
  }

  // Beyond the textures, a player has a handful of indices on many lines:
  // one warning per index, naming its lines, says it once.
  void UseBeyondTheTextures(std::size_t number, std::string_view text, std::int32_t value) {
    auto found = beyond_.find(value);
    if (found == beyond_.end()) {
      if (beyond_.size() == kMaxDiagnostics) {
        Warn(number, text, BeyondTheTexturesMessage(value, Beyond{number, "", {number}, 1}));
        return;
      }
      found = beyond_.emplace(value, Beyond{number, Quote(text), {}, 0}).first;
    }
    Beyond& beyond = found->second;
    if (beyond.lines.size() < kNamedLines) beyond.lines.push_back(number);
    ++beyond.count;
  }

  std::string BeyondTheTexturesMessage(std::int32_t value, const Beyond& beyond) const {
    const std::string count = std::to_string(options_.plates) + " plate textures";
    const std::string range = " (plateback1 to " + Texture(std::int64_t{options_.plates} - 1) + ")";
    std::string message =
        "plateback index " + std::to_string(value) + " selects " + Texture(value) + ", but ";
    if (options_.HasTexture(value)) {
      message += LimitMessage(value);
    } else if (options_.Measured()) {
      message += options_.dictionary->file + " has no such texture (it holds " +
                 TextureRuns(*options_.dictionary) + ")";
      if (options_.BeyondCount(value)) message += ", and " + LimitMessage(value);
    } else {
      message += options_.platesGiven ? "the game has " + count + range
                                      : "that is beyond the " + count + " assumed" + range;
    }
    message += beyond.count > 1
                   ? "; " + std::to_string(beyond.count) + " lines use it: " + NamedLines(beyond)
                   : "; line " + std::to_string(beyond.first) + " uses it";
    message += "; write a plateback index your game has (" + IndicesTheGameHas(options_) + ")";
    if (options_.HasTexture(value)) message += RaiseTheCount();
    if (!options_.platesGiven && !options_.Measured()) message += "; see --plates";
    return message;
  }

  // Why an index at or above the limit adjuster's count shows no plateback.
  std::string LimitMessage(std::int32_t value) const {
    const PlateCount& limit = *options_.limit;
    const std::string where = limit.file + " line " + std::to_string(limit.line);
    if (!limit.on) {
      return "the limit adjuster's count is off (" + where +
             " starts with '#' or ';'), so the game uses its own 3 plate textures";
    }
    return "the limit adjuster gives the game " + std::to_string(limit.count) +
           " plate textures (" + where + "), so plateback index " + std::to_string(value) +
           " is beyond them";
  }

  std::string RaiseTheCount() const {
    const PlateCount& limit = *options_.limit;
    if (limit.on) return ", or raise the count in " + limit.file;
    return ", or remove the '#' or ';' at the start of " + limit.file + " line " +
           std::to_string(limit.line) + " and set the count to the textures you have";
  }

  static std::string NamedLines(const Beyond& beyond) {
    std::string text;
    const std::size_t named = beyond.lines.size();
    for (std::size_t i = 0; i < named; ++i) {
      if (i > 0) text += i + 1 == named && named == beyond.count ? " and " : ", ";
      text += std::to_string(beyond.lines[i]);
    }
    if (named < beyond.count) text += " and " + std::to_string(beyond.count - named) + " more";
    return text;
  }

  void Record(std::size_t number, std::string_view text, const MappingLine& line) {
    const std::int32_t last = std::min(line.last, kLastZone);
    for (std::int32_t zone = line.first; zone <= last; ++zone) {
      std::size_t& setBy = report_.setBy[static_cast<std::size_t>(zone)];
      if (setBy != 0) LoseZone(setBy);
      setBy = number;
    }
    owners_[number] = Owner{last - line.first + 1, Quote(text)};
    ++report_.mappings;
  }

  // A later line taking zones back is ordinary use: a line that lost them all
  // is only forgotten, so that what is kept stays bounded.
  void LoseZone(std::size_t owner) {
    const auto found = owners_.find(owner);
    if (--found->second.zones == 0) owners_.erase(found);
  }

  // A count above the textures the dictionary holds gives plates with no plateback.
  void CheckTheCount() {
    if (!options_.limit || !options_.limit->on || !options_.Measured()) return;
    const PlateCount& limit = *options_.limit;
    const std::size_t held = options_.dictionary->indices.size();
    if (static_cast<std::size_t>(limit.count) <= held) return;
    Add(0, Severity::Warning,
        "the limit adjuster's count is " + std::to_string(limit.count) + ", but " +
            options_.dictionary->file + " holds " +
            Plural(held, "plate texture", "plate textures") + " (" +
            TextureRuns(*options_.dictionary) + "); set the count to " + std::to_string(held) +
            " in " + limit.file + ", or add the missing textures to the dictionary",
        "", false, limit.file + ":" + std::to_string(limit.line));
  }

  void Warn(std::size_t number, std::string_view text, std::string message) {
    Add(number, Severity::Warning, std::move(message), Quote(text));
  }

  // Every problem is counted; the first kMaxDiagnostics found are kept, so
  // that a file of millions of bad lines is still checked in bounded memory.
  // Those added at the end may go beyond, to be cut once all are in line order.
  void Add(std::size_t number, Severity severity, std::string message, std::string quote,
           bool atEnd = false, std::string where = "") {
    if (utf16_) return;
    ++(severity == Severity::Error     ? report_.errors
       : severity == Severity::Warning ? report_.warnings
                                       : report_.notes);
    if (report_.diagnostics.size() >= kMaxDiagnostics && !atEnd) return;
    report_.diagnostics.push_back(
        {number, severity, std::move(message), std::move(quote), std::move(where)});
  }

  const CheckOptions& options_;
  CheckReport& report_;
  const TextBytes& bytes_;
  std::map<std::size_t, Owner> owners_;
  std::map<std::int32_t, Beyond> beyond_;
  bool sawText_ = false;
  bool utf16_ = false;
};

}  // namespace

bool CheckOptions::HasTexture(std::int32_t plate) const {
  return Measured() ? dictionary->Holds(plate) : plate >= 0 && plate < plates;
}

std::size_t CheckReport::Count(Severity severity) const {
  return severity == Severity::Error ? errors : severity == Severity::Warning ? warnings : notes;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::Error ? "error" : severity == Severity::Warning ? "warning" : "note";
}

CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options) {
  CheckReport report;
  report.options = options;
  FileBytes file(path);
  const TextBytes bytes = ReadTextBytes(file);
  LineChecker checker(options, report, bytes);
  report.readable = ReadMappingFile(path, report.table, &checker) == FileReading::Read;
  checker.Finish();
  return report;
}

CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options) {
  CheckReport report;
  report.options = options;
  const TextBytes read = ReadTextBytes(bytes);
  LineChecker checker(options, report, read);
  report.table = ParseMappingText(bytes, &checker);
  checker.Finish();
  report.readable = true;
  return report;
}

std::string Quote(std::string_view line) {
  std::string quote;
  if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    quote = "<byte-order mark>";
    line.remove_prefix(kByteOrderMark.size());
  }
  for (char c : line) {
    if (quote.size() >= kQuoteLength) {
      quote += "...";
      break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      quote += "\\r";
    } else if (byte < 0x20 && c != '\t') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quote += escaped;
    } else {
      quote += c;
    }
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
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    if (zone != kCitysAgain && report.setBy[static_cast<std::size_t>(zone)] == 0)
      zones.push_back(zone);
  }
  return zones;
}

namespace {

using Run = std::pair<std::int64_t, std::int64_t>;

// Runs of plateback indices, as "plateback1 to plateback3 and plateback5".
std::string RunsText(const std::vector<Run>& runs) {
  std::string text;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) text += i + 1 == runs.size() ? " and " : ", ";
    text += Texture(runs[i].first);
    if (runs[i].second != runs[i].first) text += " to " + Texture(runs[i].second);
  }
  return text;
}

// The runs a dictionary holds and, with gaps, the runs between them.
std::vector<Run> HeldRuns(const PlateTextures& textures, bool gaps) {
  std::vector<Run> runs;
  for (std::int32_t plate : textures.indices) {
    if (!runs.empty() && runs.back().second + 1 == plate) {
      runs.back().second = plate;
    } else {
      runs.emplace_back(plate, plate);
    }
  }
  if (!gaps) return runs;
  std::vector<Run> between;
  for (std::size_t i = 1; i < runs.size(); ++i)
    between.emplace_back(runs[i - 1].second + 1, runs[i].first - 1);
  return between;
}

}  // namespace

std::string TextureRuns(const PlateTextures& textures) {
  const std::string held = RunsText(HeldRuns(textures, false));
  const std::string gaps = RunsText(HeldRuns(textures, true));
  if (held.empty()) return "no plateback texture";
  return gaps.empty() ? held : held + ", without " + gaps;
}

std::vector<std::int32_t> ZonesWithoutTexture(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const std::int32_t plate = report.table.plates[static_cast<std::size_t>(zone)];
    if (zone != kCitysAgain && !report.options.ShowsPlate(plate)) zones.push_back(zone);
  }
  return zones;
}

std::string WhyNoPlateback(const CheckOptions& options, std::int32_t plate) {
  if (!options.HasTexture(plate)) {
    if (options.Measured()) return "no texture in " + options.dictionary->file;
    return "no texture among the " + std::to_string(options.plates) +
           (options.platesGiven ? " that --plates gives" : " assumed");
  }
  if (!options.BeyondCount(plate)) return "";
  const PlateCount& limit = *options.limit;
  if (!limit.on)
    return "beyond the game's own 3 plate textures (the count in " + limit.file + " is off)";
  return "beyond the " + std::to_string(limit.count) + " plate textures of " + limit.file;
}

// From the runs the dictionary holds, never index by index: a texture named
// plateback2147483648 would make that two billion steps for every line.
std::string IndicesTheGameHas(const CheckOptions& options) {
  std::vector<Run> runs;
  if (options.Measured())
    runs = HeldRuns(*options.dictionary, false);
  else if (options.plates > 0)
    runs.emplace_back(0, options.plates - 1);
  if (options.limit) {
    const std::int64_t last = std::int64_t{options.limit->count} - 1;
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [last](const Run& run) { return run.first > last; }),
               runs.end());
    if (!runs.empty()) runs.back().second = std::min(runs.back().second, last);
  }
  if (runs.empty()) return "none; add plateback1 to the game's vehicle.txd";
  std::string text;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) text += i + 1 == runs.size() ? " and " : ", ";
    text += std::to_string(runs[i].first);
    if (runs[i].second != runs[i].first) text += " to " + std::to_string(runs[i].second);
  }
  return text;
}

std::vector<std::pair<std::string, std::vector<std::int32_t>>> ZonesWithoutPlateback(
    const CheckReport& report) {
  std::vector<std::pair<std::string, std::vector<std::int32_t>>> groups;
  for (std::int32_t zone : ZonesWithoutTexture(report)) {
    const std::string why =
        WhyNoPlateback(report.options, report.table.plates[static_cast<std::size_t>(zone)]);
    const auto group = std::find_if(groups.begin(), groups.end(),
                                    [&why](const auto& g) { return g.first == why; });
    if (group == groups.end()) {
      groups.push_back({why, {zone}});
    } else {
      group->second.push_back(zone);
    }
  }
  return groups;
}

GamePlates PlatesOf(const CheckOptions& options) {
  return {[options](std::int32_t plate) { return WhyNoPlateback(options, plate); },
          IndicesTheGameHas(options)};
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
  std::string text =
      "assuming " +
      Plural(static_cast<std::size_t>(options.plates), "plate texture", "plate textures") +
      " (plateback1";
  if (options.plates > 1) text += " to " + Texture(std::int64_t{options.plates} - 1);
  text += ")";
  if (options.platesGiven)
    return text + ", as --plates " + std::to_string(options.plates) + " says";
  return text + ", as the default file does; --plates " + std::to_string(kGamePlates) +
         " for the game's own";
}

std::size_t ZonesBeyondTheTextures(const CheckReport& report) {
  return ZonesWithoutTexture(report).size();
}

std::string CutNote(const CheckReport& report) {
  if (report.diagnostics.size() >= report.errors + report.warnings + report.notes) return "";
  return "Only the first " + std::to_string(report.diagnostics.size()) +
         " problems found are shown.";
}

}  // namespace vexilo::check
