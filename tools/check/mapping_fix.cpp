#include "mapping_fix.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "file_bytes.hpp"
#include "line_rules.hpp"
#include "mapping/mapping_format.hpp"
#include "mapping/zones.hpp"
#include "os.hpp"
#include "text.hpp"
#include "text_bytes.hpp"

namespace vexilo::check {
namespace {

constexpr int kMostNamesTried = 1000;
// UTF-16 is decoded once, and every other mend of the bytes leaves none of
// its kind, so a few rounds end; the bound only guards that.
constexpr int kMostByteMends = 8;

// Every change is counted, but so few kept that a file of a million such
// lines is still answered in bounded memory.
void Keep(std::vector<LineChange>& kept, std::size_t& count, LineChange change) {
  if (kept.size() < kMostChangesKept) kept.push_back(std::move(change));
  ++count;
}

// What the game reads differently once the line mends are in, allowed only
// in zones a mended line names, each to the value of the last that names it.
bool ReadAsMended(const MappingTable& before, const MappingTable& after,
                  const std::vector<LineIntent>& intents) {
  std::array<std::optional<std::int32_t>, kZoneCount> allowed{};
  bool debug = before.debug == after.debug;
  for (const LineIntent& intent : intents) {
    debug |= intent.kind == LineIntent::Kind::Debug;
    if (intent.kind != LineIntent::Kind::Zones) continue;
    const auto [from, to] = Covered(intent.first, intent.last);
    std::fill(allowed.begin() + from, allowed.begin() + to + 1, intent.value);
  }
  for (std::size_t zone = 0; zone < kZoneCount; ++zone)
    if (before.plates[zone] != after.plates[zone] && allowed[zone] != after.plates[zone])
      return false;
  return debug;
}

// Applies the mend of the rules that fire on each line, keeping its line end.
void MendLines(std::string_view text, const CheckOptions& options, MappingFix& fix,
               std::vector<LineIntent>& intents) {
  const TextBytes bytes = ReadTextBytes(text);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t stop = std::min(text.find('\n', at), text.size());
    std::string_view line = text.substr(at, stop - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++fix.lines;
    const LineJudgement judged = JudgeLine(fix.lines, line, ParseMappingLine(line), options, bytes);
    if (!judged.mended.empty()) {
      Keep(fix.changes, fix.changed, {fix.lines, std::string(line), judged.mended});
      intents.push_back(judged.intent);
    } else if (!judged.left.empty()) {
      Keep(fix.left, fix.leftCount, {fix.lines, std::string(line), judged.left});
    }
    fix.bytes += judged.mended.empty() ? line : std::string_view(judged.mended);
    fix.bytes += text.substr(at + line.size(), stop + 1 - at - line.size());
    at = stop + 1;
  }
}

// What the lines after the first 0x1A do, which the game reads once it goes.
std::string EndOfTextEffect(std::string_view text) {
  struct Count : LineObserver {
    void OnLine(std::size_t, std::string_view, const MappingLine& line) override {
      debug |= line.kind == LineKind::Debug;
      read += line.kind != LineKind::Blank && line.kind != LineKind::Comment ? 1 : 0;
    }
    void OnEndOfText(std::size_t) override {}
    std::size_t read = 0;
    bool debug = false;
  } count;
  ParseMappingText(WithoutEndOfText(text.substr(text.find('\x1A'))), &count);
  if (count.read == 0) return "";
  return "the " + (count.read == 1 ? std::string("line") : std::to_string(count.read) + " lines") +
         " after it will be read" + (count.debug ? ", DEBUG among them" : "");
}

// Mends one thing in the bytes that the game misreads, in what the mends
// before left, so that what one uncovers (UTF-16 behind a Ctrl-Z or a mark)
// is mended too and one --fix is enough; false when nothing is left.
bool MendBytes(std::string& text, MappingFix& fix) {
  const TextBytes read = ReadTextBytes(text);
  // Once bytes are mended, only a mark says that what they uncovered is UTF-16.
  const bool untouched = fix.Mended() == 0;
  if (read.Utf16() && !fix.decoded && (read.marked || untouched)) {
    // Line ends and marks mended in UTF-16's bytes would break its characters.
    if (read.HalfUtf16()) {
      if (untouched)
        fix.encodingLeft = "the file is saved as UTF-16, and line " +
                           std::to_string(read.halfCharacterLine) +
                           " holds half a character; save the file as \"UTF-8\" yourself (in "
                           "Notepad: File, Save As, Encoding)";
      return false;
    }
    fix.decoded = true;
    text = Utf16AsUtf8(text, read);
    return true;
  }
  if (read.textAfterEndOfText) {
    if (fix.endOfTextLine == 0) {
      fix.endOfTextLine = read.endOfTextLine;
      fix.endOfTextEffect = EndOfTextEffect(text);
    }
    text = WithoutEndOfText(text);
    return true;
  }
  if (read.loneCarriageReturns != 0) {
    fix.lineEndsMended += read.loneCarriageReturns;
    text = WithLineFeeds(text);
    return true;
  }
  // The game reads a mark as part of the first line. A mark may stand more
  // than once, where a program put one before a file that had one, and UTF-16
  // with its mark twice decodes into UTF-8's. The line is shown without its
  // line end, as every other line is.
  std::string firstLine = text.substr(0, text.find('\n'));
  if (!firstLine.empty() && firstLine.back() == '\r') firstLine.pop_back();
  std::size_t marks = 0;
  while (firstLine.compare(marks, kByteOrderMark.size(), kByteOrderMark) == 0)
    marks += kByteOrderMark.size();
  if (marks == 0) return false;
  text.erase(0, marks);
  if (!fix.decoded) Keep(fix.changes, fix.changed, {1, firstLine, firstLine.substr(marks)});
  return true;
}

}  // namespace

MappingFix FixMappingText(std::string_view bytes, const CheckOptions& options) {
  MappingFix fix;
  std::string text(bytes);
  for (int round = 0; round < kMostByteMends && MendBytes(text, fix); ++round) {
  }
  if (!fix.encodingLeft.empty()) {
    fix.bytes = std::move(text);
    return fix;
  }
  std::vector<LineIntent> intents;
  MendLines(text, options, fix, intents);
  if (!ReadAsMended(ParseMappingText(text), ParseMappingText(fix.bytes), intents)) {
    // Each mended line reads as meant alone; the file as a whole must too.
    fix.changes.clear();
    fix.changed = 0;
    fix.bytes = text;
    Keep(fix.left, fix.leftCount,
         {1, "", "the game would read the mended file otherwise than its lines say"});
  }
  return fix;
}

namespace {

FixedFile LeftAlone(MappingFix fix, std::string problem) {
  return {FixedFile::Outcome::LeftAlone, std::move(fix), "", std::move(problem)};
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
  MappingFix fix = FixMappingText(bytes, options);
  if (fix.Mended() == 0 || dryRun)
    return {dryRun ? FixedFile::Outcome::DryRun : FixedFile::Outcome::NothingToMend, std::move(fix),
            "", ""};
  if (IsReadOnlyFile(file)) {
    return LeftAlone(std::move(fix),
                     shownAs + " is read-only" + untouched +
                         ": clear its read-only box (right-click it, Properties) or make it "
                         "yours to write, then run --fix again");
  }
  std::string reason;
  const std::string backup = CreateBeside(file, ".bak", bytes, reason);
  if (backup.empty())
    return LeftAlone(std::move(fix), "cannot keep the old file as " + reason + untouched);
  CopyPermissions(file, backup);
  // Whatever stops the mend while the old file is untouched takes its backup along.
  std::string written;
  const auto abandon = [&](std::string problem) {
    if (!written.empty()) RemoveFile(written);
    RemoveFile(backup);
    return LeftAlone(std::move(fix), std::move(problem));
  };
  if (NamesOf(file) > 1) {
    // Renaming a new file over one name would part it from the others: the
    // file is written where it is, now that its backup is safe.
    if (platform::QueryFileStamp(file) != stamp) return abandon(changed);
    if (!WriteWholeFile(file, fix.bytes, reason)) {
      return LeftAlone(std::move(fix), "cannot write " + FullPath(file) + ": " + reason +
                                           "; the old file is kept as " + backup);
    }
  } else {
    written = CreateBeside(file, ".new", fix.bytes, reason);
    if (written.empty()) return abandon("cannot write the mended file " + reason + untouched);
    if (platform::QueryFileStamp(file) != stamp) return abandon(changed);
    if (!ReplaceFileWith(written, file, reason)) {
      return abandon("cannot put the mended file in the place of " + FullPath(file) + ": " +
                     reason + untouched);
    }
  }
  return {FixedFile::Outcome::Written, std::move(fix), backup, ""};
}

}  // namespace vexilo::check
