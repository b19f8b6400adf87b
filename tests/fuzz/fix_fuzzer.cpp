// libFuzzer target: every line mend vexilo-check --fix keeps must hold as
// the plug-in's own reader reads the whole file. The tables before and after
// differ only in zones that a mended line's zone field (the text before its
// value, kept as written) names, each set to that line's value from a
// plateback the game shows; every other line stays byte for byte. A fixed
// file needs no second --fix unless the first left something, and the check
// offers --fix only where --fix mends something.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mapping/mapping_format.hpp"
#include "mapping_check.hpp"
#include "mapping_fix.hpp"
#include "text_bytes.hpp"

namespace {

using vexilo::LineKind;
using vexilo::MappingLine;

class Lines : public vexilo::LineObserver {
 public:
  void OnLine(std::size_t, std::string_view text, const MappingLine& line) override {
    texts.emplace_back(text);
    lines.push_back(line);
  }
  void OnEndOfText(std::size_t) override {}

  std::vector<std::string> texts;
  std::vector<MappingLine> lines;
};

bool Covers(const MappingLine& line, std::int32_t zone) {
  return vexilo::SetsAnyZone(line) && line.first <= zone && zone <= line.last;
}

// The one line of a mend's text that does something, or a comment's reading.
MappingLine EffectOf(const std::string& after, std::string& text) {
  Lines read;
  vexilo::ParseMappingText(after, &read);
  MappingLine effect;
  effect.kind = LineKind::Comment;
  for (std::size_t i = 0; i < read.lines.size(); ++i) {
    if (read.lines[i].kind == LineKind::Blank || read.lines[i].kind == LineKind::Comment) continue;
    if (effect.kind != LineKind::Comment) __builtin_trap();  // two lines that act
    effect = read.lines[i];
    text = read.texts[i];
  }
  return effect;
}

// The mend's zone field stands as written at the start of the old line, the
// game reads it alone as the zones the mend sets, and the old line holds the
// value (its digits, or the texture's name).
void CheckZoneField(const std::string& before, const std::string& text, const MappingLine& effect) {
  const std::string zones = text.substr(0, text.find('='));
  if (before.compare(0, zones.size(), zones) != 0) __builtin_trap();
  const MappingLine alone = vexilo::ParseMappingLine(zones + "=0");
  for (std::int32_t zone = 0; zone < vexilo::kZoneCount; ++zone)
    if (Covers(alone, zone) != Covers(effect, zone)) __builtin_trap();
  const std::string rest = before.substr(zones.size());
  std::string lower;
  for (char c : rest) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (rest.find(std::to_string(effect.value)) == std::string::npos &&
      lower.find("plateback" + std::to_string(std::int64_t{effect.value} + 1)) == std::string::npos)
    __builtin_trap();
  if (effect.value < 0 || effect.value > 10) __builtin_trap();  // the default file's textures
}

}  // namespace

extern "C" int VexiloFuzzFix(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vexilo::check::CheckOptions options;  // the default file's 11 plate textures
  options.plates = 11;
  options.platesGiven = true;
  const vexilo::check::MappingFix fix = vexilo::check::FixMappingText(bytes, options);
  if (!fix.encodingLeft.empty() && fix.bytes != bytes) __builtin_trap();
  const vexilo::check::MappingFix again = vexilo::check::FixMappingText(fix.bytes, options);
  if (!again.decoded && (again.lineEndsMended != 0 || again.endOfTextLine != 0)) __builtin_trap();
  // Text with zero bytes in it looks like UTF-16 however often it is decoded.
  const bool zeros = fix.bytes.find('\0') != std::string::npos;
  if (again.Mended() != 0 && fix.leftCount == 0 && fix.encodingLeft.empty() && !zeros)
    __builtin_trap();
  // A message may quote the file, so a file that says "--fix" itself proves nothing.
  for (const vexilo::check::Diagnostic& d :
       vexilo::check::CheckMappingText(bytes, options).diagnostics)
    if (d.message.find("run vexilo-check --fix") != std::string::npos && fix.Mended() == 0 &&
        bytes.find("--fix") == std::string_view::npos)
      __builtin_trap();

  // The line mends are judged on text whose bytes need no mend of their own.
  const vexilo::check::TextBytes read = vexilo::check::ReadTextBytes(bytes);
  if (read.Utf16() || read.marked || read.loneCarriageReturns != 0 || read.textAfterEndOfText ||
      fix.changed != fix.changes.size()) {
    return 0;
  }
  Lines before, after;
  const vexilo::MappingTable old = vexilo::ParseMappingText(bytes, &before);
  const vexilo::MappingTable now = vexilo::ParseMappingText(fix.bytes, &after);
  std::string rebuilt, mended;
  for (const std::string& text : after.texts) mended += text + "\n";
  std::size_t next = 0;
  std::vector<MappingLine> effects;
  for (std::size_t line = 1; line <= before.texts.size(); ++line) {
    std::string text = before.texts[line - 1];
    if (next < fix.changes.size() && fix.changes[next].line == line) {
      const vexilo::check::LineChange& change = fix.changes[next++];
      // The last line may keep a CR, which the game reads as a blank.
      const bool carriageReturn = !text.empty() && text.back() == '\r';
      if (carriageReturn) text.pop_back();
      if (change.before != text || vexilo::SetsAnyZone(before.lines[line - 1])) __builtin_trap();
      std::string acting;
      const MappingLine effect = EffectOf(change.after, acting);
      if (effect.kind == LineKind::Range || effect.kind == LineKind::Exact)
        CheckZoneField(change.before, acting, effect);
      else if (effect.kind != LineKind::Comment && effect.kind != LineKind::Debug)
        __builtin_trap();
      effects.push_back(effect);
      text = change.after + (carriageReturn ? "\r" : "");
    }
    rebuilt += text + "\n";
  }
  if (next != fix.changes.size()) __builtin_trap();
  if (rebuilt != mended) __builtin_trap();
  bool debugAsked = false;
  for (const MappingLine& effect : effects) debugAsked |= effect.kind == LineKind::Debug;
  if (old.debug != now.debug && !debugAsked) __builtin_trap();
  for (std::int32_t zone = 0; zone < vexilo::kZoneCount; ++zone) {
    const auto at = static_cast<std::size_t>(zone);
    if (old.plates[at] == now.plates[at]) continue;
    bool asked = false;
    for (const MappingLine& effect : effects)
      asked |= Covers(effect, zone) && effect.value == now.plates[at];
    if (!asked) __builtin_trap();
  }
  return 0;
}

#ifdef VEXILO_FIX_FUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return VexiloFuzzFix(data, size);
}
#endif
