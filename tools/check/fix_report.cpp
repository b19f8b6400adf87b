#include "fix_report.hpp"

#include <algorithm>
#include <utility>

#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {

std::string FixOffer(std::size_t lines) {
  return "Press F and Enter to fix " + Plural(lines, "line", "lines") +
         " (a backup is kept), or just Enter to leave the file as it is.";
}

namespace {

// A mend that put the line's note on a line of its own says so.
std::string Mended(const std::string& after) {
  const std::size_t split = after.find('\n');
  if (split == std::string::npos) return Quote(after);
  return Quote(after.substr(split + 1)) +
         ", with its note on a line of its own above it: " + Quote(after.substr(0, split));
}

// A line of the mended file by its number before the mend: each note put on
// a line of its own moved the lines after it one down.
std::size_t LineBefore(const MappingFix& fix, std::size_t line) {
  std::size_t moved = 0;
  for (const LineChange& change : fix.changes) {
    if (change.after.find('\n') == std::string::npos) continue;
    if (change.line + moved >= line) break;
    ++moved;
  }
  return line - moved;
}

bool Named(const std::vector<LineChange>& changes, std::size_t line) {
  return std::any_of(changes.begin(), changes.end(),
                     [line](const LineChange& change) { return change.line == line; });
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
    if (fix.decoded)
      Append(out, "%s: UTF-16 -> UTF-8, every character kept\n",
             fix.lines <= 1 ? "line 1" : ("lines 1 to " + std::to_string(fix.lines)).c_str());
    if (fix.endOfTextLine != 0)
      Append(out,
             "line %zu: the invisible character 0x1A (Ctrl-Z), which ended the file for the "
             "game, removed%s%s\n",
             fix.endOfTextLine, fix.endOfTextEffect.empty() ? "" : ": ",
             fix.endOfTextEffect.c_str());
    if (fix.lineEndsMended != 0)
      Append(out, "%s written as a carriage return alone -> CR LF\n",
             Plural(fix.lineEndsMended, "line end", "line ends").c_str());
    for (const LineChange& change : fix.changes)
      Append(out, "line %zu: %s -> %s\n", change.line, Quote(change.before).c_str(),
             Mended(change.after).c_str());
    if (fix.changed > fix.changes.size())
      Append(out, "... and %zu more lines mended\n", fix.changed - fix.changes.size());
    if (!dry) Append(out, "The old file is kept as %s.\n", fixed.backup.c_str());
  }
  if (!fix.encodingLeft.empty()) Append(out, "Left as it is: %s.\n", fix.encodingLeft.c_str());
  for (const LineChange& left : fix.left)
    Append(out, "line %zu: %s is left as it is: %s\n", left.line, Quote(left.before).c_str(),
           left.after.c_str());
  if (fix.leftCount > fix.left.size())
    Append(out, "... and %zu more lines left as they are\n", fix.leftCount - fix.left.size());
  if (!fix.encodingLeft.empty()) return;
  // A line named above, mended or left, is not named again.
  bool heading = false;
  for (const Diagnostic& d : after.diagnostics) {
    const std::size_t line = LineBefore(fix, d.line);
    if (d.severity == Severity::Note || Named(fix.left, line) || Named(fix.changes, line)) continue;
    if (!std::exchange(heading, true)) Append(out, "Left as they are, to mend by hand:\n");
    if (d.where.empty() && d.line != 0)
      Append(out, "line %zu: %s (%s)\n", line, d.quote.c_str(), d.message.c_str());
    else
      Append(out, "%s%s%s\n", d.where.c_str(), d.where.empty() ? "" : ": ", d.message.c_str());
  }
}

}  // namespace vexilo::check
