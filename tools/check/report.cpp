#include "report.hpp"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "core/zones.hpp"
#include "text.hpp"

namespace vexilo::check {
namespace {

constexpr const char* kBold = "1";
constexpr const char* kYellow = "1;33";
constexpr const char* kRed = "1;31";
constexpr const char* kGreen = "1;32";
constexpr std::int32_t kCitysAgain = 187;

#if defined(__MINGW32__)
__attribute__((format(gnu_printf, 2, 3)))
#elif defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Append(std::string& out, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  char small[512];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length > 0 && static_cast<std::size_t>(length) < sizeof small) {
    out.append(small, static_cast<std::size_t>(length));
  } else if (length > 0) {
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(&out[start], static_cast<std::size_t>(length) + 1, format, arguments);
    out.resize(start + static_cast<std::size_t>(length));
  }
  va_end(arguments);
}

std::string Texture(std::int32_t plate) { return "plateback" + std::to_string(static_cast<std::int64_t>(plate) + 1); }

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Runs of consecutive zones, as "64-70, 100".
std::string Runs(const std::vector<std::int32_t>& zones) {
  std::string text;
  for (std::size_t i = 0; i < zones.size();) {
    std::size_t j = i;
    while (j + 1 < zones.size() && zones[j + 1] == zones[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(zones[i]);
    if (j > i) text += "-" + std::to_string(zones[j]);
    i = j + 1;
  }
  return text;
}

std::vector<std::int32_t> UnsetZones(const CheckReport& report) {
  std::vector<std::int32_t> zones;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    if (report.setBy[static_cast<std::size_t>(zone)] == 0) zones.push_back(zone);
  }
  return zones;
}

// JSON wants valid UTF-8: valid sequences pass, other bytes become U+FFFD.
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

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

void FormatZoneByIndex(std::string& out, std::int32_t index) {
  Append(out, "Zone index %d: %s", index, zoneNames[index]);
  if (index == kCitysAgain) Append(out, " (never reached: the game always finds CITYS at zone index 110)");
  Append(out, "\n");
}

}  // namespace

std::string Style::Paint(std::string_view text, const char* code) const {
  if (!colour) return std::string(text);
  return std::string("\x1b[") + code + "m" + std::string(text) + "\x1b[0m";
}

void FormatDiagnostics(std::string& out, const std::string& file, const CheckReport& report, const Style& style) {
  for (const Diagnostic& d : report.diagnostics) {
    const bool error = d.severity == Severity::Error;
    Append(out, "%s %s %s\n", style.Paint(file + ":" + std::to_string(d.line) + ":", kBold).c_str(),
                 style.Paint(error ? "error:" : "warning:", error ? kRed : kYellow).c_str(), d.message.c_str());
    if (!d.quote.empty()) Append(out, "    %s\n", d.quote.c_str());
  }
}

void FormatSummary(std::string& out, const std::string& file, const CheckReport& report, const Style& style) {
  Append(out, "%s: %s, %s; DEBUG is %s.\n", file.c_str(), Plural(report.lines, "line", "lines").c_str(),
               Plural(report.mappings, "mapping", "mappings").c_str(), report.table.debug ? "on" : "off");
  std::map<std::int32_t, std::size_t> zonesPerPlate;
  for (std::int32_t plate : report.table.plates) ++zonesPerPlate[plate];
  Append(out, "Zones per plateback:\n");
  for (const auto& [plate, zones] : zonesPerPlate) {
    Append(out, "  plateback index %3d (%-12s %s\n", plate, (Texture(plate) + "):").c_str(),
                 Plural(zones, "zone", "zones").c_str());
  }
  const std::vector<std::int32_t> unset = UnsetZones(report);
  Append(out, "Zones no line sets (plateback index 0): %s\n",
               unset.empty() ? "none" : (Runs(unset) + " (" + Plural(unset.size(), "zone", "zones") + ")").c_str());
  const std::size_t errors = report.Count(Severity::Error);
  const std::size_t warnings = report.Count(Severity::Warning);
  if (report.diagnostics.size() < errors + warnings) {
    Append(out, "Only the first %zu problems found are shown.\n", report.diagnostics.size());
  }
  if (errors + warnings == 0) {
    Append(out, "%s\n", style.Paint("No problems found.", kGreen).c_str());
  } else {
    Append(out, "%s, %s.\n", style.Paint(Plural(errors, "error", "errors"), errors ? kRed : kBold).c_str(),
                 style.Paint(Plural(warnings, "warning", "warnings"), warnings ? kYellow : kBold).c_str());
  }
}

void FormatTable(std::string& out, const CheckReport& report) {
  Append(out, "%5s  %-6s  %11s  %s\n", "Index", "Zone", "Plateback", "Texture");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const std::int32_t plate = report.table.plates[static_cast<std::size_t>(zone)];
    Append(out, "%5d  %-6s  %11d  %s\n", zone, zoneNames[zone], plate, Texture(plate).c_str());
  }
}

void FormatJson(std::string& out, const std::string& file, const CheckReport& report) {
  Append(out, "{\n  \"file\": %s,\n  \"debug\": %s,\n  \"lines\": %zu,\n  \"errors\": %zu,\n  \"warnings\": %zu,\n",
               JsonString(file).c_str(), report.table.debug ? "true" : "false", report.lines,
               report.Count(Severity::Error), report.Count(Severity::Warning));
  Append(out, "  \"diagnostics\": [");
  for (std::size_t i = 0; i < report.diagnostics.size(); ++i) {
    const Diagnostic& d = report.diagnostics[i];
    Append(out, "%s\n    {\"line\": %zu, \"severity\": \"%s\", \"message\": %s, \"text\": %s}", i ? "," : "",
                 d.line, d.severity == Severity::Error ? "error" : "warning", JsonString(d.message).c_str(),
                 JsonString(d.quote).c_str());
  }
  Append(out, "%s],\n  \"zones\": [", report.diagnostics.empty() ? "" : "\n  ");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const std::int32_t plate = report.table.plates[static_cast<std::size_t>(zone)];
    const std::size_t by = report.setBy[static_cast<std::size_t>(zone)];
    Append(out, "%s\n    {\"index\": %d, \"label\": \"%s\", \"plateback\": %d, \"texture\": \"%s\", \"line\": ",
                 zone ? "," : "", zone, zoneNames[zone], plate, Texture(plate).c_str());
    if (by == 0) {
      Append(out, "null}");
    } else {
      Append(out, "%zu}", by);
    }
  }
  Append(out, "\n  ]\n}\n");
}

void FormatZones(std::string& out) {
  Append(out, "%5s  %s\n", "Index", "Zone");
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    Append(out, "%5d  %s%s\n", zone, zoneNames[zone],
                 zone == kCitysAgain ? "  (never reached: the game finds CITYS at 110)" : "");
  }
}

bool FormatZone(std::string& out, std::string_view query) {
  const bool numeric = !query.empty() && std::all_of(query.begin(), query.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (numeric) {
    const long index = query.size() > 4 ? kZoneCount : std::strtol(std::string(query).c_str(), nullptr, 10);
    if (index >= kZoneCount) {
      Append(out, "There is no zone index %s: zone indices run from 0 to 376.\n", std::string(query).c_str());
      return false;
    }
    FormatZoneByIndex(out, static_cast<std::int32_t>(index));
    return true;
  }
  const std::string label(query);
  const std::int32_t index = query.size() <= 8 ? FindZoneIndex(label.c_str()) : kNoZone;
  if (index != kNoZone) {
    Append(out, "Zone %s: zone index %d", label.c_str(), index);
    if (label == zoneNames[kCitysAgain]) Append(out, " (it also stands at 187, which the game never reaches)");
    Append(out, "\n");
    return true;
  }
  const std::string upper = Upper(query);
  const std::int32_t likely = upper.size() <= 8 ? FindZoneIndex(upper.c_str()) : kNoZone;
  Append(out, "No zone is labelled %s.", label.c_str());
  if (likely != kNoZone) Append(out, " Labels are upper case: %s is zone index %d.", upper.c_str(), likely);
  Append(out, "\n");
  return false;
}

}  // namespace vexilo::check
