#include "mapping_fix.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "file_bytes.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping/zones.hpp"
#include "os.hpp"
#include "text.hpp"
#include "text_bytes.hpp"
#include "texture_dictionary.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr int kMostNamesTried = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsGap(char c) { return c == ' ' || c == '\t' || c == ':'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The zones a line's effect covers, as the game clips them to its table.
std::pair<std::int32_t, std::int32_t> Covered(std::int32_t first, std::int32_t last) {
  return {std::max(first, 0), std::min(last, kZoneCount - 1)};
}

// Every line the game reads, and whether a 0x1A ended its reading.
class Reading : public LineObserver {
 public:
  void OnLine(std::size_t, std::string_view, const MappingLine& line) override {
    lines.push_back(line);
  }
  void OnEndOfText(std::size_t) override { ended = true; }

  std::vector<MappingLine> lines;
  bool ended = false;
};

// A line as the player shaped it: its zone field, and its value; mapping is
// the line up to the value's end with only its '=' and value mended, and a
// note may follow.
struct Shape {
  std::string_view zones;
  std::int32_t value = 0;
  std::string mapping;
  std::string_view note;
};

// "63=plateback2 ; note": the texture's name where its index belongs.
std::optional<Shape> TextureNameShape(std::string_view line, std::size_t equals) {
  std::size_t at = line.find_first_not_of(" \t", equals + 1);
  if (at == std::string_view::npos || IsDigit(line[at])) return std::nullopt;
  std::size_t end = at;
  while (end < line.size() && IsAlnum(line[end])) ++end;
  const std::int64_t plate = PlatebackIndexOf(line.substr(at, end - at));
  if (plate < 0 || plate > INT32_MAX) return std::nullopt;
  return Shape{line.substr(0, equals), static_cast<std::int32_t>(plate),
               std::string(line.substr(0, at)) + std::to_string(plate), line.substr(end)};
}

// "63 5", "63:5", "0-62 1", "63 5 ; note": blanks or a colon where the '='
// belongs, before a number that ends the line or its note.
std::optional<Shape> MissingEqualsShape(std::string_view line) {
  for (std::size_t gap = 1; gap < line.size(); ++gap) {
    if (!IsGap(line[gap]) || IsGap(line[gap - 1])) continue;
    std::size_t at = line.find_first_not_of(" \t", gap);
    if (at != std::string_view::npos && line[at] == ':') at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string_view::npos || !IsDigit(line[at])) continue;
    std::size_t end = at;
    while (end < line.size() && IsDigit(line[end])) ++end;
    const std::string_view note = TrimBlanks(line.substr(end));
    std::int32_t value = 0;
    if ((!note.empty() && note.front() != ';') ||
        ReadNumberField(line.substr(at, end - at), value) != NumberStatus::Ok) {
      continue;
    }
    return Shape{line.substr(0, gap), value,
                 std::string(line.substr(0, gap)) + "=" + std::string(line.substr(at, end - at)),
                 line.substr(end)};
  }
  return std::nullopt;
}

// What the zone field asks, as the game reads a zone field.
std::optional<LineIntent> ZonesOf(std::string_view zones, std::int32_t value) {
  const MappingLine read = ParseMappingLine(std::string(zones) + "=0");
  if (read.kind != LineKind::Range && read.kind != LineKind::Exact) return std::nullopt;
  if (!SetsAnyZone(read)) return std::nullopt;
  return LineIntent{LineIntent::Kind::Zones, read.first, read.last, value};
}

std::string WhyNotShown(const GamePlates& plates, std::int32_t plate) {
  if (plates.whyNotShown) return plates.whyNotShown(plate);
  return plate <= 10 ? "" : "no texture among the 11 assumed";
}

// The mend of a line the game skips, or nothing; why says what stops a
// mend that looked plain.
std::optional<std::string> Mend(std::string_view line, const GamePlates& plates, std::string& why,
                                LineIntent& intent) {
  const MappingLine read = ParseMappingLine(line);
  if (read.kind == LineKind::Debug || SetsAnyZone(read)) return std::nullopt;
  const std::string_view trimmed = TrimBlanks(line);
  const std::size_t indent = line.find_first_not_of(" \t");
  std::string text(line);
  for (const std::string_view mark : {"#", "//"}) {
    if (trimmed.substr(0, mark.size()) != mark) continue;
    intent = LineIntent{};
    text.replace(indent, mark.size(), ";");
    return ReadsAs(text, intent) ? std::optional<std::string>(text) : std::nullopt;
  }
  if (EqualsIgnoringCase(trimmed, "DEBUG")) {
    intent = LineIntent{LineIntent::Kind::Debug};
    text.replace(indent, trimmed.size(), "DEBUG");
    return ReadsAs(text, intent) ? std::optional<std::string>(text) : std::nullopt;
  }
  const std::optional<Shape> shape = read.equalsAt != MappingLine::kNowhere
                                         ? TextureNameShape(line, read.equalsAt)
                                         : MissingEqualsShape(line);
  if (!shape) return std::nullopt;
  const std::optional<LineIntent> zones = ZonesOf(shape->zones, shape->value);
  if (!zones) return std::nullopt;
  intent = *zones;
  const std::string& mapping = shape->mapping;
  if (const std::string no = WhyNotShown(plates, intent.value); !no.empty()) {
    why = "writing " + std::string(TrimBlanks(mapping)) + " would not help: plateback index " +
          std::to_string(intent.value) + " (" + Texture(intent.value) +
          ") shows no plateback: " + no;
    return std::nullopt;
  }
  text = mapping + std::string(shape->note);
  if (ReadsAs(text, intent)) return text;
  // A '-' in the note would start a range: the note goes on a line of its own above.
  std::string note(TrimBlanks(shape->note));
  if (!note.empty() && note.front() != ';') note = "; " + note;
  text = std::string(line.substr(0, indent)) + note + "\n" + mapping;
  if (!note.empty() && ReadsAs(text, intent)) return text;
  why = "the game would not read " + std::string(TrimBlanks(mapping)) +
        " as the zones its line names";
  return std::nullopt;
}

// "5=-3" reads as the range 5-3=-3 and sets nothing: writing 5-5=-3 would
// give zone 5 a plateback index that no game has, so the line is left with why.
std::string WhyLeft(std::string_view line, const GamePlates& plates) {
  const MappingLine read = ParseMappingLine(line);
  if (read.kind != LineKind::Range || read.malformed != LineField::None ||
      read.equalsAt > read.dashAt || read.value >= 0) {
    return "";
  }
  return "reads as the range " + std::to_string(read.first) + "-" + std::to_string(read.last) +
         "=" + std::to_string(read.value) +
         ", which the game skips; --fix writes no negative plateback index: write " +
         std::to_string(read.first) + "=N, where N is one of " + plates.shown;
}

// What the game reads differently once the line mends are in, allowed only
// in zones a mended line names, each to the value of the last that names it.
struct Allowed {
  std::array<bool, kZoneCount> named{};
  std::array<std::int32_t, kZoneCount> value{};
  bool debug = false;

  void Add(const LineIntent& intent) {
    debug |= intent.kind == LineIntent::Kind::Debug;
    if (intent.kind != LineIntent::Kind::Zones) return;
    const auto [from, to] = Covered(intent.first, intent.last);
    std::fill(named.begin() + from, named.begin() + to + 1, true);
    std::fill(value.begin() + from, value.begin() + to + 1, intent.value);
  }

  bool Holds(const MappingTable& before, const MappingTable& after) const {
    if (before.debug != after.debug && !debug) return false;
    for (std::size_t zone = 0; zone < before.plates.size(); ++zone) {
      if (before.plates[zone] != after.plates[zone] &&
          (!named[zone] || after.plates[zone] != value[zone])) {
        return false;
      }
    }
    return true;
  }
};

// Mends each line of the text, keeping its line end.
void MendLines(std::string_view text, const GamePlates& plates, MappingFix& fix, Allowed& allowed) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t stop = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, stop - at);
    const bool carriageReturn = !line.empty() && line.back() == '\r';
    if (carriageReturn) line.remove_suffix(1);
    ++fix.lines;
    std::string why = WhyLeft(line, plates);
    LineIntent intent;
    if (const std::optional<std::string> mended = Mend(line, plates, why, intent)) {
      fix.Change(fix.lines, std::string(line), *mended);
      fix.bytes += *mended;
      allowed.Add(intent);
    } else {
      if (!why.empty()) fix.Leave(fix.lines, std::string(line), std::move(why));
      fix.bytes += line;
    }
    if (carriageReturn) fix.bytes += '\r';
    if (stop == text.size()) return;
    fix.bytes += '\n';
    at = stop + 1;
  }
}

// What the lines after the first 0x1A do, which the game reads once it goes.
std::string EndOfTextEffect(std::string_view text) {
  Reading reading;
  ParseMappingText(WithoutEndOfText(text.substr(text.find('\x1A'))), &reading);
  std::size_t read = 0;
  bool debug = false;
  for (const MappingLine& line : reading.lines) {
    debug |= line.kind == LineKind::Debug;
    read += line.kind != LineKind::Blank && line.kind != LineKind::Comment ? 1 : 0;
  }
  if (read == 0) return "";
  return "the " + (read == 1 ? std::string("line") : std::to_string(read) + " lines") +
         " after it will be read" + (debug ? ", DEBUG among them" : "");
}

}  // namespace

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

std::optional<std::string> WhatToWrite(std::string_view line, const GamePlates& plates) {
  std::string why;
  LineIntent intent;
  return Mend(line, plates, why, intent);
}

void MappingFix::Change(std::size_t line, std::string before, std::string after) {
  if (changes.size() < kMostChangesKept)
    changes.push_back({line, std::move(before), std::move(after)});
  ++changed;
}

// Kept as few as the changes: a file of a million such lines is still
// answered in bounded memory.
void MappingFix::Leave(std::size_t line, std::string before, std::string why) {
  if (left.size() < kMostChangesKept) left.push_back({line, std::move(before), std::move(why)});
  ++leftCount;
}

MappingFix FixMappingText(std::string_view bytes, const GamePlates& plates) {
  MappingFix fix;
  const TextBytes read = ReadTextBytes(bytes);
  std::string text(bytes);
  if (read.Utf16()) {
    if (read.halfCharacterLine != 0) {
      fix.encodingLeft = "the file is saved as UTF-16, and line " +
                         std::to_string(read.halfCharacterLine) +
                         " holds half a character; save the file as \"UTF-8\" yourself (in "
                         "Notepad: File, Save As, Encoding)";
      fix.bytes = text;
      return fix;
    }
    fix.decoded = true;
    text = Utf16AsUtf8(bytes, read);
  }
  TextBytes plain = fix.decoded ? ReadTextBytes(text) : read;
  if (plain.textAfterEndOfText) {
    fix.endOfTextLine = plain.endOfTextLine;
    fix.endOfTextEffect = EndOfTextEffect(text);
    text = WithoutEndOfText(text);
    plain = ReadTextBytes(text);
  }
  fix.lineEndsMended = plain.loneCarriageReturns;
  if (fix.lineEndsMended != 0) text = WithLineFeeds(text);
  // The game reads the mark as part of the first line.
  const std::string firstLine = text.substr(0, text.find('\n'));
  if (plain.marked && !fix.decoded) {
    text.erase(0, kByteOrderMark.size());
    fix.Change(1, firstLine, firstLine.substr(kByteOrderMark.size()));
  }
  Allowed allowed;
  MendLines(text, plates, fix, allowed);
  if (!allowed.Holds(ParseMappingText(text), ParseMappingText(fix.bytes))) {
    // Each mended line reads as meant alone; the file as a whole must too.
    fix.changes.clear();
    fix.changed = 0;
    fix.bytes = text;
    fix.Leave(1, "", "the game would read the mended file otherwise than its lines say");
  }
  return fix;
}

namespace {

FixedFile LeftAlone(MappingFix fix, std::string problem) {
  FixedFile fixed;
  fixed.fix = std::move(fix);
  fixed.problem = std::move(problem);
  return fixed;
}

// Writes bytes, flushed to disk, into a file of its own beside path: path +
// suffix, or path + suffix + "2", "3", ... when that exists. Its name, or ""
// with why, and then nothing is left behind.
std::string CreateBeside(const std::string& path, const std::string& suffix, std::string_view bytes,
                         std::string& reason) {
  for (int n = 1; n <= kMostNamesTried; ++n) {
    const std::string name = path + suffix + (n == 1 ? "" : std::to_string(n));
    switch (CreateNewFileWith(name, "", reason)) {
      case NewFile::Created:
        if (WriteWholeFile(name, bytes, reason)) return name;
        RemoveFile(name);
        [[fallthrough]];
      case NewFile::Failed:
        reason = name + ": " + reason;
        return "";
      case NewFile::AlreadyExists:
        continue;
    }
  }
  reason = "every name from " + path + suffix + " to " + path + suffix +
           std::to_string(kMostNamesTried) + " is taken";
  return "";
}

}  // namespace

FixedFile FixMappingFile(const std::string& path, const std::string& shownAs,
                         const GamePlates& plates, bool dryRun) {
  const std::string file = FollowLinks(path);
  const auto stamp = platform::QueryFileStamp(file);
  std::string bytes, reason;
  if (!stamp || !ReadWholeFile(file, kMostBytesFixed, bytes, reason)) {
    return LeftAlone({}, "cannot read " + FullPath(file) + ": " +
                             (reason.empty() ? "there is no such file" : reason));
  }
  return FixReadFile(file, shownAs, bytes, *stamp, plates, dryRun);
}

FixedFile FixReadFile(const std::string& file, const std::string& shownAs, std::string_view bytes,
                      platform::FileStamp stamp, const GamePlates& plates, bool dryRun) {
  const std::string untouched = "; " + shownAs + " is left as it was";
  const std::string changed = shownAs + " changed while it was read (is an editor saving it?)" +
                              untouched + ": run --fix again once it is saved";
  if (platform::QueryFileStamp(file) != stamp) return LeftAlone({}, changed);
  FixedFile fixed;
  fixed.fix = FixMappingText(bytes, plates);
  if (fixed.fix.Mended() == 0 || dryRun) {
    fixed.outcome = dryRun ? FixedFile::Outcome::DryRun : FixedFile::Outcome::NothingToMend;
    return fixed;
  }
  if (IsReadOnlyFile(file)) {
    return LeftAlone(std::move(fixed.fix),
                     shownAs + " is read-only" + untouched +
                         ": clear its read-only box (right-click it, Properties) or make it "
                         "yours to write, then run --fix again");
  }
  std::string reason;
  const std::string backup = CreateBeside(file, ".bak", bytes, reason);
  if (backup.empty())
    return LeftAlone(std::move(fixed.fix), "cannot keep the old file as " + reason + untouched);
  CopyPermissions(file, backup);
  // Whatever stops the mend while the old file is untouched takes its backup along.
  std::string written;
  const auto abandon = [&](std::string problem) {
    if (!written.empty()) RemoveFile(written);
    RemoveFile(backup);
    return LeftAlone(std::move(fixed.fix), std::move(problem));
  };
  if (NamesOf(file) > 1) {
    // Renaming a new file over one name would part it from the others: the
    // file is written where it is, now that its backup is safe.
    if (platform::QueryFileStamp(file) != stamp) return abandon(changed);
    if (!WriteWholeFile(file, fixed.fix.bytes, reason)) {
      return LeftAlone(std::move(fixed.fix), "cannot write " + FullPath(file) + ": " + reason +
                                                 "; the old file is kept as " + backup);
    }
  } else {
    written = CreateBeside(file, ".new", fixed.fix.bytes, reason);
    if (written.empty()) return abandon("cannot write the mended file " + reason + untouched);
    if (platform::QueryFileStamp(file) != stamp) return abandon(changed);
    if (!ReplaceFileWith(written, file, reason)) {
      return abandon("cannot put the mended file in the place of " + FullPath(file) + ": " +
                     reason + untouched);
    }
  }
  fixed.backup = backup;
  fixed.outcome = FixedFile::Outcome::Written;
  return fixed;
}

}  // namespace vexilo::check
