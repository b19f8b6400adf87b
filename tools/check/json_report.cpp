#include "json_report.hpp"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "game_files.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

const char* JsonBool(bool value) { return value ? "true" : "false"; }

// An empty text is no text at all.
std::string JsonStringOrNull(std::string_view text) {
  return text.empty() ? "null" : JsonString(text);
}

struct JsonItem {
  void operator()(std::string& out, std::int32_t number) const { out += std::to_string(number); }
  void operator()(std::string& out, const std::string& text) const { out += JsonString(text); }
};

// A JSON array of what show appends for each item: on one line, or with an
// indent one item to a line.
template <typename Items, typename Show = JsonItem>
std::string JsonArray(const Items& items, Show show = {}, const std::string& indent = {}) {
  const std::string between = indent.empty() ? ", " : ",\n  " + indent;
  std::string list;
  for (const auto& item : items) {
    if (!list.empty()) list += between;
    show(list, item);
  }
  if (indent.empty() || list.empty()) return "[" + list + "]";
  return "[\n  " + indent + list + "\n" + indent + "]";
}

void JsonDiagnostic(std::string& out, const Diagnostic& d) {
  Append(
      out, R"({"line": %zu, "where": %s, "severity": "%s", "rule": %s, "message": %s, "text": %s})",
      d.line, JsonStringOrNull(d.where).c_str(), SeverityName(d.severity),
      JsonStringOrNull(d.rule).c_str(), JsonString(d.message).c_str(), JsonString(d.quote).c_str());
}

void JsonGroup(std::string& out, const std::pair<std::string, std::vector<std::int32_t>>& group) {
  Append(out, R"({"why": %s, "zones": %s, "count": %zu})", JsonString(group.first).c_str(),
         JsonArray(group.second).c_str(), group.second.size());
}

void JsonBuild(std::string& out, const GameBuild& build) {
  const bool known = build.Read() && build.version != host::kUnknownHostVersion;
  const std::string support(build.Read() ? SupportName(host::SupportOn(build.version)) : "");
  Append(out, R"({"file": %s, "build": %s, "support": %s, "problem": %s, "says": %s})",
         JsonString(build.file).c_str(), known ? std::to_string(build.version).c_str() : "null",
         JsonStringOrNull(support).c_str(), JsonStringOrNull(build.problem).c_str(),
         JsonString(DescribeGameBuild(build)).c_str());
}

void JsonZone(std::string& out, const std::pair<std::int32_t, ZoneOutcome>& item) {
  const auto& [zone, outcome] = item;
  Append(out, R"({"index": %d, "label": "%s", "plateback": %d, "texture": "%s", "line": %s)", zone,
         zoneNames[zone], outcome.plate, Texture(outcome.plate).c_str(),
         outcome.line == 0 ? "null" : std::to_string(outcome.line).c_str());
  if (!outcome.reached)
    Append(out, R"(, "never_reached": true, "note": %s)", JsonString(kCitysAgainNote).c_str());
  else if (!outcome.blank.empty())
    Append(out, R"(, "no_plateback": %s)", JsonString(outcome.blank).c_str());
  out += "}";
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = byte < 0x80 ? 1 : Utf8SequenceLength(text.substr(i));
    if (byte == '"' || byte == '\\')
      out += {'\\', text[i]};
    else if (byte < 0x20)
      Append(out, "\\u%04x", byte);
    else if (length == 0)
      out += kReplacementCharacter;
    else
      out.append(text.substr(i, length));
    i += std::max<std::size_t>(length, 1);
  }
  return out + "\"";
}

void FormatJson(std::string& out, const std::string& file, const CheckReport& report,
                const GameSearch& games) {
  const CheckOptions& options = report.options;
  const std::string plates = options.Measured() ? std::to_string(options.dictionary->indices.size())
                             : options.platesGiven ? std::to_string(options.plates)
                                                   : "null";
  Append(out,
         "{\n  \"file\": %s,\n  \"debug\": %s,\n  \"lines\": %zu,\n  \"errors\": %zu,\n  "
         "\"warnings\": %zu,\n  \"mappings\": %zu,\n  \"notes\": %zu,\n  \"mendable\": %zu,\n  "
         "\"headline\": %s,\n  \"verdict\": %s,\n  \"plate_textures\": %s,\n  "
         "\"plate_textures_note\": %s,\n  \"unset_zones\": %zu,\n",
         JsonString(file).c_str(), JsonBool(report.table.debug), report.lines,
         report.Count(Severity::Error), report.Count(Severity::Warning), report.mappings,
         report.notes, report.mendable, JsonStringOrNull(Headline(report)).c_str(),
         JsonString(Verdict(report)).c_str(), plates.c_str(),
         JsonString(AssumedTextures(options)).c_str(), UnsetZones(report).size());
  // The dictionary the textures were read from (null when --plates said how
  // many), and the limit adjuster's count.
  const std::optional<PlateTextures>& dictionary = options.dictionary;
  if (!dictionary)
    Append(out, "  \"texture_dictionary\": null,\n");
  else
    Append(out,
           R"(  "texture_dictionary": {"file": %s, "read": %s, "problem": %s, "platebacks": %s},)"
           "\n  \"texture_dictionary_copies\": %s,\n",
           JsonStringOrNull(dictionary->file).c_str(), JsonBool(dictionary->Read()),
           JsonStringOrNull(dictionary->problem).c_str(), JsonArray(dictionary->indices).c_str(),
           JsonArray(dictionary->copies).c_str());
  const std::optional<PlateCount>& limit = options.limit;
  if (!limit)
    Append(out, "  \"limit_adjuster\": null,\n");
  else
    Append(out,
           R"(  "limit_adjuster": {"file": %s, "line": %zu, "on": %s, "count": %d, "others": %s},)"
           "\n",
           JsonString(limit->file).c_str(), limit->line, JsonBool(limit->on), limit->count,
           JsonArray(limit->others).c_str());
  if (options.limitSearched)
    Append(out, "  \"limit_adjuster_note\": %s,\n", JsonString(PlateCountNote(limit)).c_str());
  std::vector<std::pair<std::int32_t, ZoneOutcome>> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone)
    zones.emplace_back(zone, OutcomeOf(report, zone));
  const std::string note =
      games.builds.empty() ? NoGameExecutable(games) : std::string(kFileCheckLimit);
  Append(out,
         "  \"zones_without_texture\": %s,\n  \"zones_without_plateback\": %s,\n  "
         "\"diagnostics\": %s,\n  \"game\": {\n    \"named\": %s,\n    \"executables\": %s,\n    "
         "\"note\": %s\n  },\n  \"zones\": %s\n}\n",
         JsonArray(ZonesWithoutTexture(report)).c_str(),
         JsonArray(ZonesWithoutPlateback(report), JsonGroup).c_str(),
         JsonArray(report.diagnostics, JsonDiagnostic, "  ").c_str(), JsonBool(games.named),
         JsonArray(games.builds, JsonBuild, "    ").c_str(), JsonString(note).c_str(),
         JsonArray(zones, JsonZone, "  ").c_str());
}

}  // namespace vexilo::check
