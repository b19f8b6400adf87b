#include "line_rules.hpp"

#include <algorithm>
#include <cctype>

#include "labels.hpp"
#include "mapping_check.hpp"
#include "mapping_fix.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr std::int32_t kLastZone = kZoneCount - 1;
constexpr const char* kSkips = "; the game skips this line";
constexpr const char* kKeepDashesOut =
    "; the first '-' on a line always starts a range: keep '-' out of notes, or put the note on a "
    "line of its own that starts with ';'";

bool IsMapping(const LineFacts& f) {
  return f.line.kind == LineKind::Range || f.line.kind == LineKind::Exact;
}
bool WellFormed(const LineFacts& f) { return IsMapping(f) && f.line.malformed == LineField::None; }
bool Malformed(const LineFacts& f) { return IsMapping(f) && f.line.malformed != LineField::None; }

bool StartsWithByteOrderMark(const LineFacts& f) {
  return f.number == 1 && f.text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

bool StartsWithDigit(std::string_view text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) != 0;
}

bool HasLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

// Written as index=value, but a '-' after the '=' made it a range.
bool LooksExact(const LineFacts& f) {
  return f.line.kind == LineKind::Range && f.line.equalsAt < f.line.dashAt;
}

// That '-' stands in a note after the value, not as the value's sign.
bool DashInNote(const LineFacts& f) {
  if (!LooksExact(f)) return false;
  const std::string_view after = TrimBlanks(f.text.substr(f.line.equalsAt + 1));
  return !after.empty() && after.front() != '-';
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

bool ZoneFieldMalformed(const LineFacts& f) {
  return Malformed(f) && f.line.malformed != LineField::Value &&
         f.line.problem == NumberStatus::NoDigit;
}

std::string_view BadField(const LineFacts& f) {
  return TrimBlanks(FieldText(f.text, f.line, f.line.malformed));
}

// The line with its bad zone field written as label: "JEF2=3" for "JEFF2=3".
std::string WithLabel(const LineFacts& f, std::int32_t zone) {
  const std::string_view field = FieldText(f.text, f.line, f.line.malformed);
  const std::size_t at = static_cast<std::size_t>(field.data() - f.text.data());
  std::string line(f.text);
  line.replace(at, field.size(), zoneNames[zone]);
  return std::string(TrimBlanks(line));
}

std::string FirstIndexTheGameHas(const CheckOptions& options) {
  const std::string has = IndicesTheGameHas(options);
  return StartsWithDigit(has) ? has.substr(0, has.find_first_not_of("0123456789")) : "0";
}

std::string WriteAPlatebackIndex(const CheckOptions& options) {
  return "write a plateback index your game has: " + IndicesTheGameHas(options);
}

constexpr const char* kWriteAZone =
    "write a zone index from 0 to 376, or a zone label such as JEF2 (vexilo-check --zones lists "
    "them)";

std::string RangeText(const MappingLine& line) {
  return std::to_string(line.first) + "-" + std::to_string(line.last) + "=" +
         std::to_string(line.value);
}

// ---- The rules, in the order they are tried.

std::string LoneCr(const LineFacts& f) {
  if (f.number != f.bytes.loneCarriageReturnLine) return "";
  return "a line end written as a carriage return alone (old Mac line ends) does not end a line "
         "for the game: it reads what follows as part of this line; save the file with Windows "
         "line ends (CR LF) or run vexilo-check --fix";
}

constexpr const char* kByteOrderMarkMessage =
    "this line begins with an invisible mark at the start of the file (Notepad's \"UTF-8 with "
    "BOM\"), which the game reads as part of the line; save the file as \"UTF-8\" (in Notepad: "
    "File, Save As, Encoding) or run vexilo-check --fix";

std::string MarkBeforeComment(const LineFacts& f) {
  if (!StartsWithByteOrderMark(f) || TrimBlanks(f.text.substr(3)).substr(0, 1) != ";") return "";
  return kByteOrderMarkMessage;
}

std::string MarkBeforeLine(const LineFacts& f) {
  if (!StartsWithByteOrderMark(f) || f.line.kind == LineKind::Blank) return "";
  return std::string(kByteOrderMarkMessage) + kSkips;
}

std::string HashComment(const LineFacts& f) {
  const std::string_view t = f.trimmed;
  if (t.substr(0, 1) != "#" && t.substr(0, 2) != "//") return "";
  const std::string_view rest = TrimBlanks(t.substr(t[0] == '#' ? 1 : 2));
  std::string message = "only ';' starts a comment; the game skips this line: " +
                        WriteIfRead(";" + std::string(rest)) + " to keep it a comment";
  if (const std::string write = WriteIfRead(rest); !write.empty())
    message += ", or " + std::string(rest) + " to make it a mapping";
  return message;
}

std::string DebugInCapitals(const LineFacts& f) {
  if (f.line.kind != LineKind::Other || !EqualsIgnoringCase(f.trimmed, "DEBUG")) return "";
  return "write DEBUG, in capitals: the game reads the debug switch only so, and skips this line";
}

std::string DebugNotAlone(const LineFacts& f) {
  const std::string_view t = f.trimmed;
  if (t.size() <= 5 || !EqualsIgnoringCase(t.substr(0, 5), "DEBUG") ||
      std::isalnum(static_cast<unsigned char>(t[5])) != 0)
    return "";
  return "write DEBUG alone on its line: the game turns the debug line on only for DEBUG and "
         "nothing else, and skips this line";
}

// --fix's mend, which the game's reading has held to what the line asks; a
// note it moved comes first, on a line of its own.
std::string WriteTheMend(std::string_view mended) {
  const std::size_t split = mended.find('\n');
  if (split == std::string_view::npos) return "write " + std::string(TrimBlanks(mended));
  return "write " + std::string(TrimBlanks(mended.substr(split + 1))) + ", with " +
         std::string(TrimBlanks(mended.substr(0, split))) + " on a line of its own above it";
}

std::string NoEquals(const LineFacts& f) {
  if (f.line.kind != LineKind::Other || f.mended == f.text) return "";
  return "a mapping needs '=' before its plateback index: " + WriteTheMend(f.mended) +
         "; the game reads no mapping here";
}

// One word, of letters and digits, blanks aside.
bool IsOneWord(std::string_view text) {
  text = TrimBlanks(text);
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
  });
}

// "0-62" alone: a range, as written, that lacks its value.
std::string RangeWithoutValue(const LineFacts& f) {
  const std::size_t dash = f.trimmed.find('-');
  if (f.line.kind != LineKind::Other || dash == std::string_view::npos ||
      !IsOneWord(f.trimmed.substr(0, dash)) || !IsOneWord(f.trimmed.substr(dash + 1)))
    return "";
  const std::string write =
      WriteIfRead(std::string(f.trimmed) + "=" + FirstIndexTheGameHas(f.options));
  if (write.empty()) return "";
  return "a range needs '=' and a plateback index after it: " + write +
         ", or another plateback index your game has (" + IndicesTheGameHas(f.options) + ")" +
         kSkips;
}

std::string NumberWithoutValue(const LineFacts& f) {
  if (f.line.kind != LineKind::Other || !StartsWithDigit(f.trimmed)) return "";
  return "a mapping needs '=' between the zone index and the plateback index, as in 63=1" +
         std::string(kSkips);
}

std::string NotAMapping(const LineFacts& f) {
  if (f.line.kind != LineKind::Other) return "";
  return "not a mapping, a comment or DEBUG: start a comment with ';', and write a mapping as "
         "ZONE=N (63=1 or JEF2=1); the game skips this line";
}

std::string FarTooLarge(const LineFacts& f) {
  if (!Malformed(f) || f.line.problem != NumberStatus::OutOfRange) return "";
  const bool value = f.line.malformed == LineField::Value;
  return "the " + std::string(FieldName(f.line.malformed)) + " " + std::string(BadField(f)) +
         " is far too large for the game; " +
         (value ? WriteAPlatebackIndex(f.options) : std::string(kWriteAZone)) + kSkips;
}

std::string PlainMend(const LineFacts& f) {
  if (!Malformed(f) || f.mended == f.text) return "";
  std::string message = "the game skips this line: " + WriteTheMend(f.mended);
  if (DashInNote(f) && f.mended.find('\n') == std::string_view::npos)
    message += std::string(" (the '-' after the plateback index starts a range)") + kKeepDashesOut;
  return message;
}

std::string DashNote(const LineFacts& f) { return DashInNote(f) ? kKeepDashesOut : ""; }

std::string NearLabel(const LineFacts& f) {
  if (!ZoneFieldMalformed(f) || !HasLetter(BadField(f)) || DashInNote(f)) return "";
  const std::int32_t zone = NearestLabel(BadField(f));
  if (zone == kNoZone) return "";
  const std::string_view field = BadField(f);
  const std::string_view label = zoneNames[zone];
  std::string message = std::string(field) + " is no zone label: did you mean " +
                        std::string(label) + "? " + WriteIfRead(WithLabel(f, zone)) + kSkips;
  if (field.size() > label.size() && EqualsIgnoringCase(field.substr(0, label.size()), label))
    message += "; a zone label must stand alone before the '='";
  return message + DashNote(f);
}

std::string LabelNotAlone(const LineFacts& f) {
  if (!ZoneFieldMalformed(f)) return "";
  const std::int32_t zone = LabelInside(BadField(f));
  if (zone == kNoZone) return "";
  const bool index = f.line.malformed == LineField::Index;
  return "a zone label must stand alone before the '=': the " +
         std::string(index ? "zone field" : FieldName(f.line.malformed)) + " " +
         std::string(BadField(f)) + " holds the label " + zoneNames[zone] + " but is none" +
         kSkips + DashNote(f);
}

std::string UnknownLabel(const LineFacts& f) {
  if (!ZoneFieldMalformed(f) || !HasLetter(BadField(f)) ||
      !std::isalpha(static_cast<unsigned char>(BadField(f).front())))
    return "";
  return std::string(BadField(f)) + " is no zone label the game knows; " + kWriteAZone + kSkips +
         DashNote(f);
}

std::string NoNumber(const LineFacts& f) {
  if (!Malformed(f)) return "";
  const bool value = f.line.malformed == LineField::Value;
  return "the " + std::string(FieldName(f.line.malformed)) + " is no number; " +
         (value ? WriteAPlatebackIndex(f.options) : std::string(kWriteAZone)) + kSkips +
         DashNote(f);
}

// "JEF2 is zone 63", for every label the line holds.
std::string LabelNote(const LineFacts& f) {
  if (!WellFormed(f)) return "";
  const auto byLabel = [&f](LineField field) {
    std::int32_t number = 0;
    return ReadNumberField(FieldText(f.text, f.line, field), number) == NumberStatus::NoDigit;
  };
  const bool exact = f.line.kind == LineKind::Exact;
  if (exact ? !byLabel(LineField::Index) : !byLabel(LineField::Start) && !byLabel(LineField::End))
    return "";
  const auto named = [](std::int32_t zone) {
    return std::string(zoneNames[zone]) + " is zone " + std::to_string(zone);
  };
  if (exact || f.line.first == f.line.last) return named(f.line.first);
  std::string note = named(f.line.first);
  if (f.line.last < kZoneCount) note += " and " + named(f.line.last);
  return note;
}

// "5=3 ; zones 5-9": the note's '-' makes the line a range from the zone
// index to the number after that '-', which may set more zones or none.
std::string DashNoteRange(const LineFacts& f, bool oneZone) {
  const MappingLine& line = f.line;
  if (!WellFormed(f) || !DashInNote(f) || (line.first == line.last) != oneZone) return "";
  std::string effect;
  if (oneZone) {
    effect = "which happens to set zone " + std::to_string(line.first) + " alone";
  } else if (line.first > std::min(line.last, kLastZone)) {
    effect = "which sets nothing";
    if (line.first <= kLastZone) effect += ", not even zone " + std::to_string(line.first);
  } else {
    effect = "which sets zones " + std::to_string(line.first) + " to " +
             std::to_string(std::min(line.last, kLastZone)) + ", not zone " +
             std::to_string(line.first) + " alone";
  }
  return "the '-' after the plateback index makes this line the range " + RangeText(line) + ", " +
         effect + kKeepDashesOut;
}

std::string DashNoteManyZones(const LineFacts& f) { return DashNoteRange(f, false); }
std::string DashNoteOneZone(const LineFacts& f) { return DashNoteRange(f, true); }

std::string ReadsAsRange(const LineFacts& f) {
  if (!WellFormed(f) || !LooksExact(f) || DashInNote(f)) return "";
  std::string message = "reads as the range " + RangeText(f.line) + " because of its '-'";
  if (f.line.first > f.line.last) {
    message += ", which sets nothing, so zone " + std::to_string(f.line.first) +
               " keeps its plateback; " +
               WriteIfRead(std::to_string(f.line.first) + "=" + FirstIndexTheGameHas(f.options)) +
               " or another plateback index your game has (" + IndicesTheGameHas(f.options) + ")";
  }
  return message;
}

std::string EmptyRange(const LineFacts& f) {
  if (!WellFormed(f) || LooksExact(f) || f.line.first <= f.line.last) return "";
  return "empty range: " + std::to_string(f.line.first) + " is above " +
         std::to_string(f.line.last) + "; this line sets nothing: write the lower zone first";
}

std::string AboveTheTable(const LineFacts& f) {
  if (!WellFormed(f) || f.line.first > f.line.last || f.line.first <= kLastZone) return "";
  const std::string what = f.line.kind == LineKind::Exact
                               ? "zone index " + std::to_string(f.line.first)
                               : std::string("the whole range");
  return what + " lies above 376, the last zone; this line sets nothing";
}

std::string PastTheTable(const LineFacts& f) {
  if (!WellFormed(f) || f.line.first > kLastZone || f.line.last <= kLastZone) return "";
  return "zones 377 to " + std::to_string(f.line.last) +
         " do not exist and are dropped; this line sets " + std::to_string(f.line.first) +
         " to 376";
}

std::string CitysAgain(const LineFacts& f) {
  if (!WellFormed(f) || f.line.first != kCitysAgain ||
      std::min(f.line.last, kLastZone) != kCitysAgain)
    return "";
  return "zone 187 is CITYS a second time, which the game never finds: this line changes no "
         "plate; " +
         WriteIfRead(std::to_string(kCitys) + "=" + std::to_string(f.line.value)) + " for CITYS";
}

}  // namespace

const std::vector<LineRule>& LineRules() {
  using S = Severity;
  static const std::vector<LineRule> rules = {
      {"lone-cr", S::Error, true, false, LoneCr},
      {"mark-before-comment", S::Warning, true, true, MarkBeforeComment},
      {"mark-before-line", S::Error, true, true, MarkBeforeLine},
      {"hash-comment", S::Error, true, true, HashComment},
      {"debug-in-capitals", S::Error, true, true, DebugInCapitals},
      {"debug-not-alone", S::Error, false, true, DebugNotAlone},
      {"no-equals", S::Error, true, true, NoEquals},
      {"range-without-value", S::Error, false, true, RangeWithoutValue},
      {"number-without-value", S::Error, false, true, NumberWithoutValue},
      {"not-a-mapping", S::Error, false, true, NotAMapping},
      {"far-too-large", S::Error, false, true, FarTooLarge},
      {"plain-mend", S::Error, true, true, PlainMend},
      {"near-label", S::Error, false, true, NearLabel},
      {"label-not-alone", S::Error, false, true, LabelNotAlone},
      {"unknown-label", S::Error, false, true, UnknownLabel},
      {"no-number", S::Error, false, true, NoNumber},
      {"label", S::Note, false, false, LabelNote},
      {"dash-note", S::Error, false, false, DashNoteManyZones},
      {"dash-note-one-zone", S::Warning, false, false, DashNoteOneZone},
      {"reads-as-range", S::Error, false, false, ReadsAsRange},
      {"empty-range", S::Error, false, false, EmptyRange},
      {"above-the-table", S::Warning, false, false, AboveTheTable},
      {"past-the-table", S::Warning, false, false, PastTheTable},
      {"citys-again", S::Error, false, false, CitysAgain},
  };
  return rules;
}

std::string WriteIfRead(std::string_view text) {
  const MappingLine line = ParseMappingLine(text);
  LineIntent intent;
  if (line.kind == LineKind::Range || line.kind == LineKind::Exact) {
    // Written as one zone, read as a range: a '-' in a note after the value.
    if (line.kind == LineKind::Range && line.equalsAt < line.dashAt) return "";
    if (line.malformed != LineField::None || !SetsAnyZone(line)) return "";
    intent = {LineIntent::Kind::Zones, line.first, line.last, line.value};
  } else if (line.kind != LineKind::Comment) {
    return "";
  }
  return ReadsAs(text, intent) ? "write " + std::string(text) : "";
}

}  // namespace vexilo::check
