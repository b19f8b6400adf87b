#include "line_rules.hpp"

#include <algorithm>
#include <cctype>
#include <climits>

#include "labels.hpp"
#include "mapping_check.hpp"
#include "text.hpp"
#include "texture_dictionary.hpp"
#include "wording.hpp"

namespace vexilo::check {

struct LineFacts {
  std::size_t number;        // from 1
  std::string_view text;     // as read, without its line end
  std::string_view trimmed;  // spaces and tabs off both ends, as the game trims
  const MappingLine& line;
  const CheckOptions& options;
  const TextBytes& bytes;
  std::string_view mended = {};  // the rule's own mend, held to the game's reading; or empty
};

// What a rule would write for a line: mapping, then note, which moves to a
// line of its own above when the game would read it into the mapping. No
// mapping, and why says what stops the mend that looked plain.
struct Mend {
  std::string mapping;
  std::string note;
  LineIntent intent;
  std::string why;
};

namespace {

constexpr const char* kSkips = "; the game skips this line";
constexpr const char* kKeepDashesOut =
    "; the first '-' on a line always starts a range: keep '-' out of notes, or put the note on a "
    "line of its own that starts with ';'";
constexpr const char* kWriteAZone =
    "write a zone index from 0 to 376, or a zone label such as JEF2 (vexilo-check --zones lists "
    "them)";
constexpr const char* kByteOrderMarkMessage =
    "this line begins with an invisible mark at the start of the file (Notepad's \"UTF-8 with "
    "BOM\"), which the game reads as part of the line; save the file as \"UTF-8\" (in Notepad: "
    "File, Save As, Encoding) or run vexilo-check --fix";

// The game names a bad field only in a range or an exact line.
bool Malformed(const LineFacts& f) { return f.line.malformed != LineField::None; }
bool WellFormed(const LineFacts& f) {
  return (f.line.kind == LineKind::Range || f.line.kind == LineKind::Exact) && !Malformed(f);
}
bool IsOther(const LineFacts& f) { return f.line.kind == LineKind::Other; }
bool HasMend(const LineFacts& f) { return !f.mended.empty(); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsGap(char c) { return c == ' ' || c == '\t' || c == ':'; }
bool IsWordByte(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool StartsWithDigit(std::string_view text) { return !text.empty() && IsDigit(text.front()); }

bool StartsWithByteOrderMark(const LineFacts& f) {
  return f.number == 1 && f.text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

bool HasLetter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

// Written as index=value, but a '-' after the '=' made it a range.
bool LooksExact(const MappingLine& line) {
  return line.kind == LineKind::Range && line.equalsAt < line.dashAt;
}

// That '-' stands in a note after the value, not as the value's sign.
bool DashInNote(const LineFacts& f) {
  if (!LooksExact(f.line)) return false;
  const std::string_view after = TrimBlanks(f.text.substr(f.line.equalsAt + 1));
  return !after.empty() && after.front() != '-';
}

const char* DashNote(const LineFacts& f) { return DashInNote(f) ? kKeepDashesOut : ""; }

// Named in the order of LineField.
std::string FieldName(LineField field) {
  constexpr const char* kNames[] = {"number", "start", "end", "zone index", "plateback index"};
  return kNames[static_cast<int>(field)];
}

bool ZoneFieldMalformed(const LineFacts& f) {
  return Malformed(f) && f.line.malformed != LineField::Value &&
         f.line.problem == NumberStatus::NoDigit;
}

std::string BadField(const LineFacts& f) {
  return std::string(TrimBlanks(FieldText(f.text, f.line, f.line.malformed)));
}

// What to write in the field that is no number the game reads.
std::string WriteTheField(const LineFacts& f) {
  if (f.line.malformed != LineField::Value) return std::string(kWriteAZone) + kSkips;
  return "write a plateback index your game has: " + IndicesTheGameHas(f.options) + kSkips;
}

std::string FirstIndexTheGameHas(const CheckOptions& options) {
  const std::string has = IndicesTheGameHas(options);
  return StartsWithDigit(has) ? has.substr(0, has.find_first_not_of("0123456789")) : "0";
}

std::string RangeText(const MappingLine& line) {
  return std::to_string(line.first) + "-" + std::to_string(line.last) + "=" +
         std::to_string(line.value);
}

// The rule's mend, which the game's reading has held to what the line asks;
// a note it moved comes first, on a line of its own.
std::string WriteTheMend(std::string_view mended) {
  const std::size_t split = mended.find('\n');
  if (split == std::string_view::npos) return "write " + std::string(TrimBlanks(mended));
  return "write " + std::string(TrimBlanks(mended.substr(split + 1))) + ", with " +
         std::string(TrimBlanks(mended.substr(0, split))) + " on a line of its own above it";
}

// How long the mark of a comment the game does not know is: '#' or "//".
std::size_t CommentMark(std::string_view trimmed) {
  return trimmed.substr(0, 1) == "#" ? 1 : trimmed.substr(0, 2) == "//" ? 2 : 0;
}

bool DebugInOtherCase(const LineFacts& f) {
  return IsOther(f) && EqualsIgnoringCase(f.trimmed, "DEBUG");
}

// One word, of letters and digits, blanks aside.
bool IsOneWord(std::string_view text) {
  text = TrimBlanks(text);
  return !text.empty() && std::all_of(text.begin(), text.end(), IsWordByte);
}

// A label that stands in text as a word of it, but not alone ("Red" in
// "Los Santos-Red County"). kNoZone when none.
std::int32_t LabelInside(std::string_view text) {
  for (std::size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = static_cast<std::size_t>(std::find_if_not(text.begin() + at, text.end(), IsWordByte) -
                                   text.begin());
    const std::int32_t zone = end > at ? ZoneOfLabel(text.substr(at, end - at)) : kNoZone;
    if (zone != kNoZone) return zone;
  }
  return kNoZone;
}

// ---- The rules, in the order they are tried.

std::string LoneCr(const LineFacts& f) {
  if (f.number != f.bytes.loneCarriageReturnLine) return "";
  return "a line end written as a carriage return alone (old Mac line ends) does not end a line "
         "for the game: it reads what follows as part of this line; save the file with Windows "
         "line ends (CR LF) or run vexilo-check --fix";
}

std::string MarkBeforeComment(const LineFacts& f) {
  if (!StartsWithByteOrderMark(f) || TrimBlanks(f.text.substr(3)).substr(0, 1) != ";") return "";
  return kByteOrderMarkMessage;
}

std::string MarkBeforeLine(const LineFacts& f) {
  if (!StartsWithByteOrderMark(f) || f.line.kind == LineKind::Blank) return "";
  return std::string(kByteOrderMarkMessage) + kSkips;
}

std::string HashComment(const LineFacts& f) {
  if (CommentMark(f.trimmed) == 0) return "";
  const std::string rest(TrimBlanks(f.trimmed.substr(CommentMark(f.trimmed))));
  const std::string mapping =
      WriteIfRead(rest).empty() ? "" : ", or " + rest + " to make it a mapping";
  return "only ';' starts a comment; the game skips this line: " + WriteTheMend(f.mended) +
         " to keep it a comment" + mapping;
}

std::string DebugInCapitals(const LineFacts&) {
  return "write DEBUG, in capitals: the game reads the debug switch only so, and skips this line";
}

std::string DebugNotAlone(const LineFacts& f) {
  const std::string_view t = f.trimmed;
  if (t.size() <= 5 || !EqualsIgnoringCase(t.substr(0, 5), "DEBUG") || IsWordByte(t[5])) return "";
  return "write DEBUG alone on its line: the game turns the debug line on only for DEBUG and "
         "nothing else, and skips this line";
}

std::string NoEquals(const LineFacts& f) {
  return "a mapping needs '=' before its plateback index: " + WriteTheMend(f.mended) +
         "; the game reads no mapping here";
}

// "0-62" alone: a range, as written, that lacks its value.
std::string RangeWithoutValue(const LineFacts& f) {
  const std::size_t dash = f.trimmed.find('-');
  if (dash == std::string_view::npos || !IsOneWord(f.trimmed.substr(0, dash)) ||
      !IsOneWord(f.trimmed.substr(dash + 1)))
    return "";
  const std::string write =
      WriteIfRead(std::string(f.trimmed) + "=" + FirstIndexTheGameHas(f.options));
  if (write.empty()) return "";
  return "a range needs '=' and a plateback index after it: " + write +
         ", or another plateback index your game has (" + IndicesTheGameHas(f.options) + ")" +
         kSkips;
}

std::string NumberWithoutValue(const LineFacts& f) {
  if (!StartsWithDigit(f.trimmed)) return "";
  return "a mapping needs '=' between the zone index and the plateback index, as in 63=1" +
         std::string(kSkips);
}

std::string NotAMapping(const LineFacts&) {
  return "not a mapping, a comment or DEBUG: start a comment with ';', and write a mapping as "
         "ZONE=N (63=1 or JEF2=1); the game skips this line";
}

std::string FarTooLarge(const LineFacts& f) {
  if (f.line.problem != NumberStatus::OutOfRange) return "";
  return "the " + FieldName(f.line.malformed) + " " + BadField(f) +
         " is far too large for the game; " + WriteTheField(f);
}

std::string PlainMend(const LineFacts& f) {
  return "the game skips this line: " + WriteTheMend(f.mended) + DashNote(f);
}

std::string NearLabel(const LineFacts& f) {
  if (!HasLetter(BadField(f)) || DashInNote(f)) return "";
  const std::string field = BadField(f);
  const std::int32_t zone = NearestLabel(field);
  if (zone == kNoZone) return "";
  const std::string_view label = zoneNames[zone], bad = FieldText(f.text, f.line, f.line.malformed);
  // The line with its bad zone field written as the label: "JEF2=3" for "JEFF2=3".
  std::string line(f.text);
  line.replace(static_cast<std::size_t>(bad.data() - f.text.data()), bad.size(), label);
  std::string message = field + " is no zone label: did you mean " + zoneNames[zone] + "? " +
                        WriteIfRead(TrimBlanks(line)) + kSkips;
  if (field.size() > label.size() && EqualsIgnoringCase(field.substr(0, label.size()), label))
    message += "; a zone label must stand alone before the '='";
  return message;
}

std::string LabelNotAlone(const LineFacts& f) {
  const std::int32_t zone = LabelInside(BadField(f));
  if (zone == kNoZone) return "";
  const bool index = f.line.malformed == LineField::Index;
  return "a zone label must stand alone before the '=': the " +
         (index ? "zone field" : FieldName(f.line.malformed)) + " " + BadField(f) +
         " holds the label " + zoneNames[zone] + " but is none" + kSkips + DashNote(f);
}

std::string UnknownLabel(const LineFacts& f) {
  // A field without a letter is empty or no label at all.
  if (!std::isalpha(static_cast<unsigned char>(BadField(f)[0]))) return "";
  return BadField(f) + " is no zone label the game knows; " + kWriteAZone + kSkips + DashNote(f);
}

std::string NoNumber(const LineFacts& f) {
  return "the " + FieldName(f.line.malformed) + " is no number; " + WriteTheField(f) + DashNote(f);
}

// "JEF2 is zone 63", for every label the line holds.
std::string LabelNote(const LineFacts& f) {
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
  if (exact || f.line.first == f.line.last || f.line.last >= kZoneCount) return named(f.line.first);
  return named(f.line.first) + " and " + named(f.line.last);
}

// "5=3 ; zones 5-9": the note's '-' makes the line a range from the zone
// index to the number after that '-', which may set more zones or none.
template <bool oneZone>
std::string DashNoteRange(const LineFacts& f) {
  const MappingLine& line = f.line;
  if (!DashInNote(f) || (line.first == line.last) != oneZone) return "";
  const std::string first = std::to_string(line.first);
  const std::int32_t last = std::min(line.last, kLastZone);
  const std::string effect =
      oneZone ? "which happens to set zone " + first + " alone"
      : line.first > last
          ? "which sets nothing" + (line.first <= kLastZone ? ", not even zone " + first : "")
          : "which sets zones " + first + " to " + std::to_string(last) + ", not zone " + first +
                " alone";
  return "the '-' after the plateback index makes this line the range " + RangeText(line) + ", " +
         effect + kKeepDashesOut;
}

std::string ReadsAsRange(const LineFacts& f) {
  if (!LooksExact(f.line) || DashInNote(f)) return "";
  const std::string message = "reads as the range " + RangeText(f.line) + " because of its '-'";
  if (f.line.first <= f.line.last) return message;
  const std::string first = std::to_string(f.line.first);
  return message + ", which sets nothing, so zone " + first + " keeps its plateback; " +
         WriteIfRead(first + "=" + FirstIndexTheGameHas(f.options)) +
         " or another plateback index your game has (" + IndicesTheGameHas(f.options) + ")";
}

std::string EmptyRange(const LineFacts& f) {
  if (LooksExact(f.line) || f.line.first <= f.line.last) return "";
  return "empty range: " + std::to_string(f.line.first) + " is above " +
         std::to_string(f.line.last) + "; this line sets nothing: write the lower zone first";
}

std::string AboveTheTable(const LineFacts& f) {
  if (f.line.first > f.line.last || f.line.first <= kLastZone) return "";
  return (f.line.kind == LineKind::Exact ? "zone index " + std::to_string(f.line.first)
                                         : "the whole range") +
         " lies above 376, the last zone; this line sets nothing";
}

std::string PastTheTable(const LineFacts& f) {
  if (f.line.first > kLastZone || f.line.last <= kLastZone) return "";
  return "zones 377 to " + std::to_string(f.line.last) +
         " do not exist and are dropped; this line sets " + std::to_string(f.line.first) +
         " to 376";
}

std::string CitysAgain(const LineFacts& f) {
  if (f.line.first != kCitysAgain || f.line.last != kCitysAgain) return "";
  return "zone 187 is CITYS a second time, which the game never finds: this line changes no "
         "plate; " +
         WriteIfRead(std::to_string(kCitys) + "=" + std::to_string(f.line.value)) + " for CITYS";
}

// ---- The mends, each for the rule of its name.

// Every line the game reads, and whether a 0x1A ended its reading.
struct Reading : LineObserver {
  void OnLine(std::size_t, std::string_view, const MappingLine& line) override {
    lines.push_back(line);
  }
  void OnEndOfText(std::size_t) override { ended = true; }

  std::vector<MappingLine> lines;
  bool ended = false;
};

// zones=value, written as mapping (the line up to its value's end, with only
// its '=' and value mended), the note after it kept; when the game reads the
// zone field alone as zones at all.
std::optional<Mend> MappingMend(std::string_view zones, std::int64_t value, std::string mapping,
                                std::string_view note) {
  const MappingLine read = ParseMappingLine(std::string(zones) + "=0");
  if (!SetsAnyZone(read) || value < 0 || value > INT32_MAX) return std::nullopt;
  const LineIntent intent{LineIntent::Kind::Zones, read.first, read.last,
                          static_cast<std::int32_t>(value)};
  return Mend{std::move(mapping), std::string(note), intent, ""};
}

// What the player meant by '#' or "//": ';'; by debug in another case: DEBUG.
std::optional<Mend> Respelled(const LineFacts& f) {
  const std::size_t mark = CommentMark(f.trimmed);
  if (mark == 0 && !DebugInOtherCase(f)) return std::nullopt;
  std::string text(f.text);
  text.replace(f.text.find_first_not_of(" \t"), mark != 0 ? mark : f.trimmed.size(),
               mark != 0 ? ";" : "DEBUG");
  return Mend{text, "", {mark != 0 ? LineIntent::Kind::Nothing : LineIntent::Kind::Debug}, ""};
}

// "63 5", "63:5", "0-62 1", "63 5 ; note": blanks or a colon where the '='
// belongs, before a number that ends the line or its note.
std::optional<Mend> MendMissingEquals(const LineFacts& f) {
  const std::string_view line = f.text;
  if (!IsOther(f)) return std::nullopt;
  for (std::size_t gap = 1; gap < line.size(); ++gap) {
    if (!IsGap(line[gap]) || IsGap(line[gap - 1])) continue;
    std::size_t at = line.find_first_not_of(" \t", gap);
    if (at != std::string_view::npos && line[at] == ':') at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string_view::npos || !IsDigit(line[at])) continue;
    const std::size_t end = std::min(line.find_first_not_of("0123456789", at), line.size());
    const std::string_view note = TrimBlanks(line.substr(end)), digits = line.substr(at, end - at);
    std::int32_t value = 0;
    if ((note.empty() || note.front() == ';') && ReadNumberField(digits, value) == NumberStatus::Ok)
      return MappingMend(line.substr(0, gap), value,
                         std::string(line.substr(0, gap)) + "=" + std::string(digits),
                         line.substr(end));
  }
  return std::nullopt;
}

// A line skipped for what follows its '=': a texture's name where its index
// belongs ("63=plateback2"), or a note whose '-' makes the line a range the
// game cannot read ("5=3 ; Los Santos-Red County").
std::optional<Mend> MendValue(const LineFacts& f) {
  const std::string_view line = f.text;
  if (!Malformed(f) || f.line.equalsAt == MappingLine::kNowhere) return std::nullopt;
  const std::size_t at = line.find_first_not_of(" \t", f.line.equalsAt + 1);
  if (at == std::string_view::npos) return std::nullopt;
  const bool digits = IsDigit(line[at]);
  const auto end = static_cast<std::size_t>(
      std::find_if_not(line.begin() + at, line.end(), IsWordByte) - line.begin());
  const std::string_view word = line.substr(at, end - at), zones = line.substr(0, f.line.equalsAt);
  std::int32_t number = -1;
  if (digits && ReadNumberField(word, number) == NumberStatus::Ok &&
      word.find_first_not_of("0123456789") == std::string_view::npos)
    return MappingMend(zones, number, std::string(line.substr(0, end)), line.substr(end));
  const std::int64_t plate = digits ? -1 : PlatebackIndexOf(word);
  return MappingMend(zones, plate, std::string(line.substr(0, at)) + std::to_string(plate),
                     line.substr(end));
}

// "5=-3" reads as the range 5-3=-3 and sets nothing: writing 5-5=-3 would
// give zone 5 a plateback index that no game has, so the line is left with why.
std::optional<Mend> LeaveNegative(const LineFacts& f) {
  if (f.line.value >= 0) return std::nullopt;
  Mend left;
  left.why = "reads as the range " + RangeText(f.line) +
             ", which the game skips; --fix writes no negative plateback index: write " +
             std::to_string(f.line.first) + "=N, where N is one of " + IndicesTheGameHas(f.options);
  return left;
}

// The text a mend writes, when the game reads it as the line asks, with a
// plateback it shows; else empty, with why.
std::string Written(const LineFacts& f, const Mend& mend, std::string& why) {
  const std::string mapping(TrimBlanks(mend.mapping));
  const std::int32_t plate = mend.intent.value;
  const std::string no =
      mend.intent.kind == LineIntent::Kind::Zones ? WhyNoPlateback(f.options, plate) : "";
  if (mapping.empty() || !no.empty()) {
    why = mapping.empty()
              ? mend.why
              : "writing " + mapping + " would not help: plateback index " + std::to_string(plate) +
                    " (" + Texture(plate) + ") shows no plateback: " + no;
    return "";
  }
  if (ReadsAs(mend.mapping + mend.note, mend.intent)) return mend.mapping + mend.note;
  // A '-' in the note would start a range: the note goes on a line of its own above.
  std::string note(TrimBlanks(mend.note));
  if (!note.empty() && note.front() != ';') note = "; " + note;
  const std::string above =
      std::string(f.text.substr(0, f.text.find_first_not_of(" \t"))) + note + "\n" + mend.mapping;
  if (!note.empty() && ReadsAs(above, mend.intent)) return above;
  why = "the game would not read " + mapping + " as the zones its line names";
  return "";
}

constexpr Effect kSetsNothing{"sets nothing (the game skips it)",
                              "set nothing (the game skips them)"};
constexpr Effect kRunsOn{"runs on into the next line (the game sees no line end)",
                         "run on into the next line (the game sees no line end)"};
constexpr Effect kOtherZones{"sets other zones than it names (its '-' makes it a range)",
                             "set other zones than they name (their '-' makes them ranges)"};
constexpr Effect kEmpty{"sets nothing (its range is empty)",
                        "set nothing (their ranges are empty)"};
constexpr Effect kNoPlate{"changes no plate (zone 187 is never found)",
                          "change no plate (zone 187 is never found)"};

}  // namespace

const std::vector<LineRule>& LineRules() {
  using S = Severity;
  const Effect* none = nullptr;
  bool (*any)(const LineFacts&) = nullptr;
  static const std::vector<LineRule> rules = {
      {"lone-cr", S::Error, false, &kRunsOn, any, LoneCr},
      {"mark-before-comment", S::Warning, true, none, any, MarkBeforeComment},
      {"mark-before-line", S::Error, true, &kSetsNothing, any, MarkBeforeLine},
      {"hash-comment", S::Error, true, &kSetsNothing, HasMend, HashComment, Respelled},
      {"debug-in-capitals", S::Error, true, &kSetsNothing, DebugInOtherCase, DebugInCapitals,
       Respelled},
      {"debug-not-alone", S::Error, true, &kSetsNothing, any, DebugNotAlone},
      {"no-equals", S::Error, true, &kSetsNothing, HasMend, NoEquals, MendMissingEquals},
      {"range-without-value", S::Error, true, &kSetsNothing, IsOther, RangeWithoutValue},
      {"number-without-value", S::Error, true, &kSetsNothing, IsOther, NumberWithoutValue},
      {"not-a-mapping", S::Error, true, &kSetsNothing, IsOther, NotAMapping},
      {"far-too-large", S::Error, true, &kSetsNothing, Malformed, FarTooLarge},
      {"plain-mend", S::Error, true, &kSetsNothing, HasMend, PlainMend, MendValue},
      {"near-label", S::Error, true, &kSetsNothing, ZoneFieldMalformed, NearLabel},
      {"label-not-alone", S::Error, true, &kSetsNothing, ZoneFieldMalformed, LabelNotAlone},
      {"unknown-label", S::Error, true, &kSetsNothing, ZoneFieldMalformed, UnknownLabel},
      {"no-number", S::Error, true, &kSetsNothing, Malformed, NoNumber},
      {"label", S::Note, false, none, WellFormed, LabelNote},
      {"dash-note", S::Error, false, &kOtherZones, WellFormed, DashNoteRange<false>},
      {"dash-note-one-zone", S::Warning, false, none, WellFormed, DashNoteRange<true>},
      {"reads-as-range", S::Error, false, &kSetsNothing, WellFormed, ReadsAsRange, LeaveNegative},
      {"empty-range", S::Error, false, &kEmpty, WellFormed, EmptyRange},
      {"above-the-table", S::Warning, false, none, WellFormed, AboveTheTable},
      {"past-the-table", S::Warning, false, none, WellFormed, PastTheTable},
      {"citys-again", S::Error, false, &kNoPlate, WellFormed, CitysAgain},
  };
  return rules;
}

LineJudgement JudgeLine(std::size_t number, std::string_view text, const MappingLine& line,
                        const CheckOptions& options, const TextBytes& bytes) {
  LineJudgement judged;
  LineFacts f{number, text, TrimBlanks(text), line, options, bytes};
  const bool acts = line.kind == LineKind::Debug || SetsAnyZone(line);
  for (const LineRule& rule : LineRules()) {
    // A mend is made from the line alone, never from an earlier rule's mend.
    f.mended = {};
    std::optional<Mend> mend = rule.mend && !acts ? rule.mend(f) : std::nullopt;
    std::string why;
    const std::string mended = mend ? Written(f, *mend, why) : "";
    f.mended = mended;
    std::string message = !rule.fits || rule.fits(f) ? rule.message(f) : "";
    if (judged.mended.empty() && judged.left.empty()) judged.left = std::move(why);
    if (message.empty()) continue;
    if (judged.mended.empty() && !mended.empty()) {
      judged.mended = mended;
      judged.intent = mend->intent;
      judged.left.clear();
    }
    judged.found.emplace_back(&rule, std::move(message));
    if (rule.last) break;
  }
  return judged;
}

std::pair<std::int32_t, std::int32_t> Covered(std::int32_t first, std::int32_t last) {
  return {std::max(first, 0), std::min(last, kLastZone)};
}

bool ReadsAs(std::string_view text, const LineIntent& intent) {
  Reading reading;
  ParseMappingText(text, &reading);
  std::size_t effects = 0;
  for (const MappingLine& line : reading.lines) {
    if (line.kind == LineKind::Blank || line.kind == LineKind::Comment) continue;
    ++effects;
    const bool asked =
        intent.kind == LineIntent::Kind::Debug
            ? line.kind == LineKind::Debug
            : intent.kind == LineIntent::Kind::Zones && SetsAnyZone(line) &&
                  Covered(line.first, line.last) == Covered(intent.first, intent.last) &&
                  line.value == intent.value;
    if (!asked) return false;
  }
  return !reading.ended && effects == (intent.kind == LineIntent::Kind::Nothing ? 0u : 1u);
}

std::string WriteIfRead(std::string_view text) {
  const MappingLine line = ParseMappingLine(text);
  // A line written as one zone but read as a range, for a '-' in a note, is never shown.
  const bool mapping = SetsAnyZone(line) && !LooksExact(line);
  if (!mapping && line.kind != LineKind::Comment) return "";
  const LineIntent intent{mapping ? LineIntent::Kind::Zones : LineIntent::Kind::Nothing, line.first,
                          line.last, line.value};
  return ReadsAs(text, intent) ? "write " + std::string(text) : "";
}

}  // namespace vexilo::check
