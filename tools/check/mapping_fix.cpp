#include "mapping_fix.hpp"

#include <cctype>
#include <optional>

#include "file_bytes.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping/zones.hpp"
#include "os.hpp"
#include "platform/platform.hpp"
#include "text.hpp"

namespace vexilo::check {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char kEndOfText = '\x1A';
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

// The zone a label names when the table holds it once, in any case; kNoZone otherwise.
std::int32_t ZoneOfLabel(std::string_view label) {
  std::int32_t found = kNoZone;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    if (!EqualsIgnoringCase(label, zoneNames[zone])) continue;
    if (found != kNoZone) return kNoZone;
    found = zone;
  }
  return found;
}

// A number field as written, or a label the table holds once put in its place.
std::optional<std::int32_t> FieldValue(std::string& text, std::size_t begin, std::size_t end) {
  const Trimmed field = TrimmedPart(std::string_view(text).substr(begin, end - begin));
  const std::string_view written =
      std::string_view(text).substr(begin + field.begin, field.end - field.begin);
  std::int32_t number = 0;
  if (ReadNumberField(written, number) == NumberStatus::Ok) return number;
  const std::int32_t zone = ZoneOfLabel(written);
  if (written.empty() || zone == kNoZone) return std::nullopt;
  text.replace(begin + field.begin, written.size(), std::to_string(zone));
  return zone;
}

// "JEF2=5" -> "63=5", "LA-62=1" -> "0-62=1": labels before the '='.
std::optional<Mending> MendLabels(std::string_view line) {
  std::string text(line);
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  std::int32_t value = 0;
  if (ReadNumberField(std::string_view(text).substr(equals + 1), value) != NumberStatus::Ok)
    return std::nullopt;
  const std::size_t dash = text.find('-');
  if (dash > equals) {
    const std::optional<std::int32_t> zone = FieldValue(text, 0, equals);
    if (!zone) return std::nullopt;
    return Mending{text, Meant(LineKind::Exact, *zone, *zone, value)};
  }
  // The end field comes first, so that mending it moves nothing before it.
  const std::optional<std::int32_t> last = FieldValue(text, dash + 1, equals);
  const std::optional<std::int32_t> first = last ? FieldValue(text, 0, dash) : std::nullopt;
  if (!first) return std::nullopt;
  return Mending{text, Meant(LineKind::Range, *first, *last, value)};
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

// "63 5" -> "63=5", "0-62 1" -> "0-62=1": the blanks before the last number.
std::optional<Mending> MendMissingEquals(std::string_view line) {
  const Trimmed part = TrimmedPart(line);
  const std::string_view core = line.substr(0, part.end);
  std::size_t at = part.begin;
  const std::optional<std::int32_t> first = Digits(core, at);
  std::optional<std::int32_t> last = first;
  std::size_t blanks = at;
  SkipBlanks(core, at);
  if (first && at < core.size() && core[at] == '-') {
    SkipBlanks(core, ++at);
    last = Digits(core, at);
    blanks = at;
    SkipBlanks(core, at);
  }
  if (!first || !last || at == blanks) return std::nullopt;
  const std::size_t valueAt = at;
  const std::optional<std::int32_t> value = Digits(core, at);
  if (!value || at != core.size()) return std::nullopt;
  std::string text(line);
  text.replace(blanks, valueAt - blanks, "=");
  const LineKind kind =
      first == last && core.find('-') == std::string_view::npos ? LineKind::Exact : LineKind::Range;
  return Mending{text, Meant(kind, *first, *last, *value)};
}

// "5=-3" -> "5-5=-3": the zone index written again as the range's end.
std::optional<Mending> MendNegativeExact(std::string_view line) {
  std::size_t at = TrimmedPart(line).begin;
  const std::size_t indexAt = at;
  const std::optional<std::int32_t> index = Digits(line, at);
  const std::size_t indexEnd = at;
  SkipBlanks(line, at);
  if (!index || at == line.size() || line[at] != '=') return std::nullopt;
  SkipBlanks(line, ++at);
  if (at == line.size() || line[at] != '-') return std::nullopt;
  SkipBlanks(line, ++at);
  const std::optional<std::int32_t> magnitude = Digits(line, at);
  if (!magnitude) return std::nullopt;
  std::string text(line);
  text.insert(indexEnd, "-" + std::string(line.substr(indexAt, indexEnd - indexAt)));
  return Mending{text, Meant(LineKind::Range, *index, *index, -*magnitude)};
}

// The line mended, or the line itself when its meaning is not plain.
std::string MendLine(std::string_view line) {
  const MappingLine read = ParseMappingLine(line);
  std::optional<Mending> mending;
  if (read.kind == LineKind::Other) {
    mending = MendMissingEquals(line);
  } else if (read.malformed == LineField::None && read.kind == LineKind::Range) {
    mending = MendNegativeExact(line);
  } else if (read.problem == NumberStatus::NoDigit && read.malformed != LineField::Value) {
    mending = MendLabels(line);
  }
  return mending && Holds(*mending) ? mending->text : std::string(line);
}

// UTF-16 with a byte-order mark, or without one where every other byte is 0.
bool IsUtf16(std::string_view bytes, bool& bigEndian) {
  bigEndian = bytes.substr(0, 2) == "\xFE\xFF";
  if (bigEndian || bytes.substr(0, 2) == "\xFF\xFE") return true;
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  bool oddZero = true, evenZero = true, anyOther = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool zero = bytes[i] == '\0';
    anyOther |= !zero;
    (i % 2 == 0 ? evenZero : oddZero) &= zero;
  }
  bigEndian = evenZero;
  return anyOther && (oddZero || evenZero);
}

// The single-byte text of UTF-16, or why it has none: a character that does
// not fit one byte, named by its line.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& text) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") bytes.remove_prefix(2);
  std::size_t line = 1;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    const auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    if (high != 0 || low >= 0x80) {
      return "the file is saved as UTF-16, and line " + std::to_string(line) +
             " holds a character that does not fit in one byte; save the file as ANSI or UTF-8 "
             "yourself (in Notepad: File, Save As, Encoding)";
    }
    text += static_cast<char>(low);
    if (low == '\n') ++line;
  }
  if (bytes.size() % 2 != 0) return "the file is saved as UTF-16 but ends in half a character";
  return "";
}

// Mends each line of single-byte text, keeping its line end.
void MendLines(std::string_view text, MappingFix& fix) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t stop = text.find_first_of(std::string_view("\n\x1A", 2), at);
    std::size_t end = stop == std::string_view::npos ? text.size() : stop;
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r' && stop != std::string_view::npos &&
        text[stop] == '\n') {
      line.remove_suffix(1);
    }
    ++fix.lines;
    std::string mended;
    if (fix.lines == 1 && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      mended = MendLine(line.substr(kByteOrderMark.size()));
    } else {
      mended = MendLine(line);
    }
    if (mended != line) fix.changes.push_back({fix.lines, Quote(line), Quote(mended)});
    fix.bytes += mended;
    fix.bytes += text.substr(at + line.size(), end - at - line.size());
    if (stop == std::string_view::npos || text[stop] == kEndOfText) {
      fix.bytes += text.substr(end);
      return;
    }
    fix.bytes += '\n';
    at = stop + 1;
  }
}

}  // namespace

MappingFix FixMappingText(std::string_view bytes) {
  MappingFix fix;
  bool bigEndian = false;
  if (IsUtf16(bytes, bigEndian)) {
    std::string text;
    fix.encodingLeft = DecodeUtf16(bytes, bigEndian, text);
    if (!fix.encodingLeft.empty()) {
      fix.bytes = std::string(bytes);
      return fix;
    }
    fix.decoded = true;
    MendLines(text, fix);
    return fix;
  }
  MendLines(bytes, fix);
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

FixedFile FixMappingFile(const std::string& path, const std::string& shownAs) {
  const auto stamp = platform::QueryFileStamp(path);
  std::string bytes, reason;
  if (!stamp || !ReadWholeFile(path, kMostBytesFixed, bytes, reason)) {
    return LeftAlone({}, "cannot read " + FullPath(path) + ": " +
                             (reason.empty() ? "there is no such file" : reason));
  }
  const std::string untouched = "; " + shownAs + " is left as it was";
  const std::string changed = shownAs + " changed while it was read (is an editor saving it?)" +
                              untouched + ": run --fix again once it is saved";
  if (platform::QueryFileStamp(path) != stamp) return LeftAlone({}, changed);
  FixedFile fixed;
  fixed.fix = FixMappingText(bytes);
  if (fixed.fix.Mended() == 0) {
    fixed.outcome = FixedFile::Outcome::NothingToMend;
    return fixed;
  }
  if (IsReadOnlyFile(path)) {
    return LeftAlone(std::move(fixed.fix),
                     shownAs + " is read-only" + untouched +
                         ": clear its read-only box (right-click it, Properties) or make it "
                         "yours to write, then run --fix again");
  }
  fixed.backup = CreateBeside(path, ".bak", bytes, reason);
  if (fixed.backup.empty())
    return LeftAlone(std::move(fixed.fix), "cannot keep the old file as " + reason + untouched);
  const std::string written = CreateBeside(path, ".new", fixed.fix.bytes, reason);
  if (written.empty())
    return LeftAlone(std::move(fixed.fix), "cannot write the mended file " + reason + untouched);
  if (platform::QueryFileStamp(path) != stamp) {
    RemoveFile(written);
    return LeftAlone(std::move(fixed.fix), changed);
  }
  if (!ReplaceFileWith(written, path, reason)) {
    RemoveFile(written);
    return LeftAlone(std::move(fixed.fix), "cannot put the mended file in the place of " +
                                               FullPath(path) + ": " + reason + untouched);
  }
  fixed.outcome = FixedFile::Outcome::Written;
  return fixed;
}

std::string FixOffer(std::size_t lines) {
  return "Press F and Enter to fix " + std::to_string(lines) + (lines == 1 ? " line" : " lines") +
         " (a backup is kept), or just Enter to leave the file as it is.";
}

void FormatFix(std::string& out, const std::string& file, const FixedFile& fixed,
               const CheckReport& after) {
  const MappingFix& fix = fixed.fix;
  if (fixed.outcome == FixedFile::Outcome::LeftAlone) {
    Append(out, "vexilo-check --fix: %s.\n", fixed.problem.c_str());
    return;
  }
  if (fixed.outcome == FixedFile::Outcome::NothingToMend) {
    Append(out, "%s: nothing to mend.\n", file.c_str());
  } else {
    Append(out, "%s: %zu %s mended:\n", file.c_str(), fix.Mended(),
           fix.Mended() == 1 ? "line" : "lines");
    if (fix.decoded) {
      Append(out, "lines 1 to %zu: UTF-16 -> single-byte text, every character kept\n", fix.lines);
    }
    for (const LineChange& change : fix.changes) {
      Append(out, "line %zu: %s -> %s\n", change.line, change.before.c_str(), change.after.c_str());
    }
    Append(out, "The old file is kept as %s.\n", fixed.backup.c_str());
  }
  if (!fix.encodingLeft.empty()) Append(out, "Left as it is: %s.\n", fix.encodingLeft.c_str());
  if (after.diagnostics.empty() || !fix.encodingLeft.empty()) return;
  Append(out, "Left as they are, to mend by hand:\n");
  for (const Diagnostic& d : after.diagnostics) {
    Append(out, "line %zu: %s (%s)\n", d.line, d.quote.c_str(), d.message.c_str());
  }
}

}  // namespace vexilo::check
