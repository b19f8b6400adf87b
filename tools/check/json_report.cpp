#include "json_report.hpp"

#include <cstdio>
#include <optional>
#include <vector>

#include "game_files.hpp"
#include "mapping/zones.hpp"
#include "text.hpp"
#include "wording.hpp"

namespace vexilo::check {
namespace {

// An empty text is no text at all.
std::string JsonStringOrNull(std::string_view text) {
  return text.empty() ? "null" : JsonString(text);
}

void FormatJsonDiagnostics(std::string& out, const CheckReport& report) {
  Append(out, "  \"diagnostics\": [");
  for (std::size_t i = 0; i < report.diagnostics.size(); ++i) {
    const Diagnostic& d = report.diagnostics[i];
    const char* severity = SeverityName(d.severity);
    Append(out,
           "%s\n    {\"line\": %zu, \"where\": %s, \"severity\": \"%s\", \"rule\": %s, "
           "\"message\": %s, \"text\": %s}",
           i ? "," : "", d.line, JsonStringOrNull(d.where).c_str(), severity,
           JsonStringOrNull(d.rule).c_str(), JsonString(d.message).c_str(),
           JsonString(d.quote).c_str());
  }
  Append(out, "%s],\n", report.diagnostics.empty() ? "" : "\n  ");
}

std::string JsonBuild(const GameBuild& build) {
  if (!build.Read() || build.version == host::kUnknownHostVersion) return "null";
  return std::to_string(build.version);
}

std::string JsonSupport(const GameBuild& build) {
  return build.Read() ? "\"" + std::string(SupportName(host::SupportOn(build.version))) + "\""
                      : "null";
}

void FormatJsonGame(std::string& out, const GameSearch& games) {
  Append(out, "  \"game\": {\n    \"named\": %s,\n    \"executables\": [",
         games.named ? "true" : "false");
  for (std::size_t i = 0; i < games.builds.size(); ++i) {
    const GameBuild& build = games.builds[i];
    Append(
        out,
        "%s\n      {\"file\": %s, \"build\": %s, \"support\": %s, \"problem\": %s, \"says\": %s}",
        i ? "," : "", JsonString(build.file).c_str(), JsonBuild(build).c_str(),
        JsonSupport(build).c_str(), build.Read() ? "null" : JsonString(build.problem).c_str(),
        JsonString(DescribeGameBuild(build)).c_str());
  }
  const std::string note =
      games.builds.empty() ? NoGameExecutable(games) : std::string(kFileCheckLimit);
  Append(out, "%s],\n    \"note\": %s\n  },\n", games.builds.empty() ? "" : "\n    ",
         JsonString(note).c_str());
}

std::string JsonStrings(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) list += (i ? ", " : "") + JsonString(texts[i]);
  return list + "]";
}

std::string JsonList(const std::vector<std::int32_t>& numbers) {
  std::string list = "[";
  for (std::size_t i = 0; i < numbers.size(); ++i)
    list += (i ? ", " : "") + std::to_string(numbers[i]);
  return list + "]";
}

// The dictionary the textures were read from (null when --plates said how
// many), and the zones left without a texture.
void FormatJsonTextures(std::string& out, const CheckReport& report) {
  const std::optional<PlateTextures>& dictionary = report.options.dictionary;
  Append(out, "  \"texture_dictionary\": ");
  if (!dictionary) {
    Append(out, "null,\n");
  } else {
    Append(out, "{\"file\": %s, \"read\": %s, \"problem\": %s, \"platebacks\": %s},\n",
           JsonStringOrNull(dictionary->file).c_str(), dictionary->Read() ? "true" : "false",
           dictionary->Read() ? "null" : JsonString(dictionary->problem).c_str(),
           JsonList({dictionary->indices.begin(), dictionary->indices.end()}).c_str());
    Append(out, "  \"texture_dictionary_copies\": %s,\n", JsonStrings(dictionary->copies).c_str());
  }
  const std::optional<PlateCount>& limit = report.options.limit;
  Append(out, "  \"limit_adjuster\": ");
  if (!limit) {
    Append(out, "null,\n");
  } else {
    Append(out, "{\"file\": %s, \"line\": %zu, \"on\": %s, \"count\": %d, \"others\": %s},\n",
           JsonString(limit->file).c_str(), limit->line, limit->on ? "true" : "false", limit->count,
           JsonStrings(limit->others).c_str());
  }
  if (report.options.limitSearched) {
    Append(out, "  \"limit_adjuster_note\": %s,\n", JsonString(PlateCountNote(limit)).c_str());
  }
  Append(out, "  \"zones_without_texture\": %s,\n", JsonList(ZonesWithoutTexture(report)).c_str());
  Append(out, "  \"zones_without_plateback\": [");
  const auto groups = ZonesWithoutPlateback(report);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    Append(out, "%s{\"why\": %s, \"zones\": %s, \"count\": %zu}", i ? ", " : "",
           JsonString(groups[i].first).c_str(), JsonList(groups[i].second).c_str(),
           groups[i].second.size());
  }
  Append(out, "],\n");
}

void FormatJsonZones(std::string& out, const CheckReport& report) {
  Append(out, "  \"zones\": [");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const ZoneOutcome outcome = OutcomeOf(report, zone);
    Append(out,
           "%s\n    {\"index\": %d, \"label\": \"%s\", \"plateback\": %d, \"texture\": \"%s\", "
           "\"line\": ",
           zone ? "," : "", zone, zoneNames[zone], outcome.plate, Texture(outcome.plate).c_str());
    if (outcome.line == 0) {
      Append(out, "null");
    } else {
      Append(out, "%zu", outcome.line);
    }
    if (!outcome.reached) {
      Append(out, ", \"never_reached\": true, \"note\": %s", JsonString(kCitysAgainNote).c_str());
    } else if (!outcome.blank.empty()) {
      Append(out, ", \"no_plateback\": %s", JsonString(outcome.blank).c_str());
    }
    Append(out, "}");
  }
  Append(out, "\n  ]\n");
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else if (const std::size_t length = Utf8SequenceLength(text.substr(i)); length > 0) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    } else {
      out += kReplacementCharacter;
    }
    ++i;
  }
  return out + "\"";
}

void FormatJson(std::string& out, const std::string& file, const CheckReport& report,
                const GameSearch& games) {
  Append(out,
         "{\n  \"file\": %s,\n  \"debug\": %s,\n  \"lines\": %zu,\n  \"errors\": %zu,\n  "
         "\"warnings\": %zu,\n",
         JsonString(file).c_str(), report.table.debug ? "true" : "false", report.lines,
         report.Count(Severity::Error), report.Count(Severity::Warning));
  Append(out, "  \"mappings\": %zu,\n  \"notes\": %zu,\n  \"mendable\": %zu,\n", report.mappings,
         report.notes, report.mendable);
  const CheckOptions& options = report.options;
  Append(out,
         "  \"headline\": %s,\n  \"verdict\": %s,\n  \"plate_textures\": %s,\n  "
         "\"plate_textures_note\": %s,\n"
         "  \"unset_zones\": %zu,\n",
         JsonStringOrNull(Headline(report)).c_str(), JsonString(Verdict(report)).c_str(),
         options.Measured()    ? std::to_string(options.dictionary->indices.size()).c_str()
         : options.platesGiven ? std::to_string(options.plates).c_str()
                               : "null",
         JsonString(AssumedTextures(options)).c_str(), UnsetZones(report).size());
  FormatJsonTextures(out, report);
  FormatJsonDiagnostics(out, report);
  FormatJsonGame(out, games);
  FormatJsonZones(out, report);
  Append(out, "}\n");
}

}  // namespace vexilo::check
