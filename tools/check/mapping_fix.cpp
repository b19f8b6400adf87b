#include "mapping_fix.hpp"

#include <algorithm>
#include <cctype>
#include <climits>
#include <optional>
#include <utility>

#include "file_bytes.hpp"
#include "file_links.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping/zones.hpp"
#include "os.hpp"
#include "platform/platform.hpp"
#include "text.hpp"
#include "text_bytes.hpp"
#include "texture_dictionary.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

constexpr int kMostNamesTried = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The line without its leading and trailing blanks, and where that lies.
struct Trimmed {
  std::size_t begin;
  std::size_t end;
};

Trimmed TrimmedPart(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return {begin, end};
}

// A new line and what it must read as for the mending to stand.
struct Mending {
  std::string text;
  MappingLine meant;
};

MappingLine Meant(LineKind kind, std::int32_t first, std::int32_t last, std::int32_t value) {
  MappingLine line;
  line.kind = kind;
  line.first = first;
  line.last = last;
  line.value = value;
  return line;
}

// Whether the plug-in reads the new line as the one meant.
bool Holds(const Mending& mending) {
  const MappingLine read = ParseMappingLine(mending.text);
  const MappingLine& meant = mending.meant;
  return read.malformed == LineField::None && read.kind == meant.kind &&
         read.first == meant.first && read.last == meant.last && read.value == meant.value;
}

// Reads digits at at; the number, or nothing when there are none or too many.
std::optional<std::int32_t> Digits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  std::int32_t number = 0;
  if (at == start || ReadNumberField(text.substr(start, at - start), number) != NumberStatus::Ok)
    return std::nullopt;
  return number;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
}

// "63 5" -> "63=5", "63:5" -> "63=5", "0-62 1" -> "0-62=1": blanks or a colon
// before the last number.
std::optional<Mending> MendMissingEquals(std::string_view line) {
  const Trimmed part = TrimmedPart(line);
  const std::string_view core = line.substr(0, part.end);
  std::size_t at = part.begin;
  const std::optional<std::int32_t> first = Digits(core, at);
  std::optional<std::int32_t> last = first;
  std::size_t gap = at;
  SkipBlanks(core, at);
  if (first && at < core.size() && core[at] == '-') {
    SkipBlanks(core, ++at);
    last = Digits(core, at);
    gap = at;
    SkipBlanks(core, at);
  }
  if (at < core.size() && core[at] == ':') SkipBlanks(core, ++at);
  if (!first || !last || at == gap) return std::nullopt;
  const std::size_t valueAt = at;
  const std::optional<std::int32_t> value = Digits(core, at);
  if (!value || at != core.size()) return std::nullopt;
  std::string text(line);
  text.replace(gap, valueAt - gap, "=");
  const LineKind kind =
      first == last && core.find('-') == std::string_view::npos ? LineKind::Exact : LineKind::Range;
  return Mending{text, Meant(kind, *first, *last, *value)};
}

// "debug" -> "DEBUG", blanks around it kept.
std::optional<Mending> MendDebug(std::string_view line) {
  const Trimmed part = TrimmedPart(line);
  if (!EqualsIgnoringCase(line.substr(part.begin, part.end - part.begin), "DEBUG"))
    return std::nullopt;
  std::string text(line);
  text.replace(part.begin, part.end - part.begin, "DEBUG");
  return Mending{text, Meant(LineKind::Debug, 0, 0, 0)};
}

// "63=plateback2" -> "63=1": the texture's name where its index belongs.
std::optional<Mending> MendTextureName(std::string_view line, const MappingLine& read) {
  if (read.equalsAt == MappingLine::kNowhere) return std::nullopt;
  std::size_t at = read.equalsAt + 1;
  SkipBlanks(line, at);
  std::size_t end = at;
  while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end])) != 0) ++end;
  const std::int64_t plate = PlatebackIndexOf(line.substr(at, end - at));
  if (plate < 0 || plate > INT32_MAX) return std::nullopt;
  std::string text(line);
  text.replace(at, end - at, std::to_string(plate));
  MappingLine meant = ParseMappingLine(text);
  if (meant.malformed != LineField::None) return std::nullopt;
  return Mending{text, meant};
}

// Why a line that is read as written, or mended, would still select no
// plateback; empty when it selects one.
std::string NoPlatebackIn(const MappingLine& line, const CheckOptions& options) {
  if (!SetsAnyZone(line)) return "";
  if (line.value < 0) return "plateback index " + std::to_string(line.value) + " is negative";
  if (options.ShowsPlate(line.value)) return "";
  return "plateback index " + std::to_string(line.value) + " (" + Texture(line.value) +
         ") shows no plateback: " + WhyNoPlateback(options, line.value);
}

// The line mended, or nothing when its meaning is not plain.
std::optional<Mending> Mend(std::string_view line) {
  const MappingLine read = ParseMappingLine(line);
  if (read.kind == LineKind::Other) {
    if (std::optional<Mending> debug = MendDebug(line)) return debug;
    return MendMissingEquals(line);
  }
  if (read.problem == NumberStatus::NoDigit) return MendTextureName(line, read);
  return std::nullopt;
}

// "5=-3" reads as the range 5-3=-3 and sets nothing: writing 5-5=-3 would
// give zone 5 a plateback index that no game has, so the line is left with why.
std::string WhyLeft(std::string_view line, const CheckOptions& options) {
  const MappingLine read = ParseMappingLine(line);
  if (read.kind != LineKind::Range || read.malformed != LineField::None ||
      read.equalsAt > read.dashAt || read.value >= 0) {
    return "";
  }
  return "reads as the range " + std::to_string(read.first) + "-" + std::to_string(read.last) +
         "=" + std::to_string(read.value) +
         ", which the game skips; --fix writes no negative "
         "plateback index: write " +
         std::to_string(read.first) + "=N, where N is one of " + IndicesTheGameHas(options);
}

}  // namespace

std::string MendedLine(std::string_view line, const CheckOptions& options) {
  const std::optional<Mending> mending = Mend(line);
  if (!mending || !Holds(*mending) || !NoPlatebackIn(mending->meant, options).empty())
    return std::string(line);
  return mending->text;
}

namespace {

// Mends one line into fix, or says why it is left. The first line loses a
// byte-order mark, which the game would read as part of it.
void MendOne(std::string_view line, const CheckOptions& options, MappingFix& fix) {
  const std::string_view written = line;
  const bool marked = fix.lines == 1 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  if (marked) line.remove_prefix(kByteOrderMark.size());
  const std::optional<Mending> mending = Mend(line);
  std::string why = WhyLeft(line, options);
  if (mending && Holds(*mending)) {
    why = NoPlatebackIn(mending->meant, options);
    if (why.empty()) {
      fix.Change(fix.lines, Quote(written), Quote(mending->text));
      fix.bytes += mending->text;
      return;
    }
    why = "writing " + mending->text + " would not help: " + why;
  }
  if (!why.empty()) fix.Leave(fix.lines, Quote(written), std::move(why));
  if (marked) fix.Change(1, Quote(written), Quote(line));
  fix.bytes += line;
}

// Mends each line of the text, keeping its line end.
void MendLines(std::string_view text, const CheckOptions& options, MappingFix& fix) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t stop = text.find('\n', at);
    const std::size_t end = stop == std::string_view::npos ? text.size() : stop;
    std::string_view line = text.substr(at, end - at);
    const bool carriageReturn = !line.empty() && line.back() == '\r';
    if (carriageReturn) line.remove_suffix(1);
    ++fix.lines;
    MendOne(line, options, fix);
    if (carriageReturn) fix.bytes += '\r';
    if (stop == std::string_view::npos) return;
    fix.bytes += '\n';
    at = stop + 1;
  }
}

}  // namespace

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

MappingFix FixMappingText(std::string_view bytes, const CheckOptions& options) {
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
    text = WithoutEndOfText(text);
    plain = ReadTextBytes(text);
  }
  fix.lineEndsMended = plain.loneCarriageReturns;
  if (fix.lineEndsMended != 0) text = WithLineFeeds(text);
  MendLines(text, options, fix);
  return fix;
}

namespace {

FixedFile LeftAlone(MappingFix fix, std::string problem) {
  FixedFile fixed;
  fixed.fix = std::move(fix);
  fixed.problem = std::move(problem);
  return fixed;
}

// Writes bytes into a file of its own beside path: path + suffix, or
// path + suffix + "2", "3", ... when that exists. Its name, or "" with why.
std::string CreateBeside(const std::string& path, const std::string& suffix, std::string_view bytes,
                         std::string& reason) {
  for (int n = 1; n <= kMostNamesTried; ++n) {
    const std::string name = path + suffix + (n == 1 ? "" : std::to_string(n));
    switch (CreateNewFileWith(name, bytes, reason)) {
      case NewFile::Created:
        return name;
      case NewFile::AlreadyExists:
        continue;
      case NewFile::Failed:
        reason = name + ": " + reason;
        return "";
    }
  }
  reason = "every name from " + path + suffix + " to " + path + suffix +
           std::to_string(kMostNamesTried) + " is taken";
  return "";
}

}  // namespace

FixedFile FixMappingFile(const std::string& path, const std::string& shownAs,
                         const CheckOptions& options, bool dryRun) {
  const std::string file = FollowLinks(path);
  const auto stamp = platform::QueryFileStamp(file);
  std::string bytes, reason;
  if (!stamp || !ReadWholeFile(file, kMostBytesFixed, bytes, reason)) {
    return LeftAlone({}, "cannot read " + FullPath(file) + ": " +
                             (reason.empty() ? "there is no such file" : reason));
  }
  return FixReadFile(file, shownAs, bytes, *stamp, options, dryRun);
}

FixedFile FixReadFile(const std::string& file, const std::string& shownAs, std::string_view bytes,
                      platform::FileStamp stamp, const CheckOptions& options, bool dryRun) {
  const std::string untouched = "; " + shownAs + " is left as it was";
  const std::string changed = shownAs + " changed while it was read (is an editor saving it?)" +
                              untouched + ": run --fix again once it is saved";
  if (platform::QueryFileStamp(file) != stamp) return LeftAlone({}, changed);
  FixedFile fixed;
  fixed.fix = FixMappingText(bytes, options);
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
  fixed.backup = CreateBeside(file, ".bak", bytes, reason);
  if (fixed.backup.empty())
    return LeftAlone(std::move(fixed.fix), "cannot keep the old file as " + reason + untouched);
  CopyPermissions(file, fixed.backup);
  if (NamesOf(file) > 1) {
    // Renaming a new file over one name would part it from the others: the
    // file is written where it is, now that its backup is safe.
    if (platform::QueryFileStamp(file) != stamp) return LeftAlone(std::move(fixed.fix), changed);
    if (!WriteWholeFile(file, fixed.fix.bytes, reason)) {
      return LeftAlone(std::move(fixed.fix), "cannot write " + FullPath(file) + ": " + reason +
                                                 "; the old file is kept as " + fixed.backup);
    }
    fixed.outcome = FixedFile::Outcome::Written;
    return fixed;
  }
  const std::string written = CreateBeside(file, ".new", fixed.fix.bytes, reason);
  if (written.empty())
    return LeftAlone(std::move(fixed.fix), "cannot write the mended file " + reason + untouched);
  if (platform::QueryFileStamp(file) != stamp) {
    RemoveFile(written);
    return LeftAlone(std::move(fixed.fix), changed);
  }
  if (!ReplaceFileWith(written, file, reason)) {
    RemoveFile(written);
    return LeftAlone(std::move(fixed.fix), "cannot put the mended file in the place of " +
                                               FullPath(file) + ": " + reason + untouched);
  }
  fixed.outcome = FixedFile::Outcome::Written;
  return fixed;
}

std::string FixOffer(std::size_t lines) {
  return "Press F and Enter to fix " + std::to_string(lines) + (lines == 1 ? " line" : " lines") +
         " (a backup is kept), or just Enter to leave the file as it is.";
}

namespace {

// Each change, "line N: OLD -> NEW", the first kMostChangesKept of them.
void FormatChanges(std::string& out, const MappingFix& fix) {
  if (fix.decoded)
    Append(out, "lines 1 to %zu: UTF-16 -> UTF-8, every character kept\n", fix.lines);
  if (fix.endOfTextLine != 0) {
    Append(out,
           "line %zu: the invisible character 0x1A (Ctrl-Z), which ended the file for the "
           "game, removed\n",
           fix.endOfTextLine);
  }
  if (fix.lineEndsMended != 0) {
    Append(out, "%s written as a carriage return alone -> CR LF\n",
           Plural(fix.lineEndsMended, "line end", "line ends").c_str());
  }
  for (const LineChange& change : fix.changes) {
    Append(out, "line %zu: %s -> %s\n", change.line, change.before.c_str(), change.after.c_str());
  }
  if (fix.changed > fix.changes.size())
    Append(out, "... and %zu more lines mended\n", fix.changed - fix.changes.size());
}

}  // namespace

void FormatFix(std::string& out, const std::string& file, const FixedFile& fixed,
               const CheckReport& after) {
  const MappingFix& fix = fixed.fix;
  if (fixed.outcome == FixedFile::Outcome::LeftAlone) {
    Append(out, "vexilo-check --fix: %s.\n", fixed.problem.c_str());
    return;
  }
  const bool dry = fixed.outcome == FixedFile::Outcome::DryRun;
  if (fix.Mended() == 0) {
    Append(out, "%s: nothing to mend.\n", file.c_str());
  } else {
    Append(out, "%s: %s %s:\n", file.c_str(), Plural(fix.Mended(), "line", "lines").c_str(),
           dry ? "would be mended (--dry-run: nothing written)" : "mended");
    FormatChanges(out, fix);
    if (!dry) Append(out, "The old file is kept as %s.\n", fixed.backup.c_str());
  }
  if (!fix.encodingLeft.empty()) Append(out, "Left as it is: %s.\n", fix.encodingLeft.c_str());
  for (const LineChange& left : fix.left) {
    Append(out, "line %zu: %s is left as it is: %s\n", left.line, left.before.c_str(),
           left.after.c_str());
  }
  if (fix.leftCount > fix.left.size())
    Append(out, "... and %zu more lines left as they are\n", fix.leftCount - fix.left.size());
  if (!fix.encodingLeft.empty()) return;
  bool heading = false;
  for (const Diagnostic& d : after.diagnostics) {
    const bool saidLeft = std::any_of(fix.left.begin(), fix.left.end(),
                                      [&d](const LineChange& left) { return left.line == d.line; });
    if (d.severity == Severity::Note || saidLeft) continue;
    if (!heading) Append(out, "Left as they are, to mend by hand:\n");
    heading = true;
    if (d.where.empty())
      Append(out, "line %zu: %s (%s)\n", d.line, d.quote.c_str(), d.message.c_str());
    else
      Append(out, "%s: %s\n", d.where.c_str(), d.message.c_str());
  }
}

}  // namespace vexilo::check
