#include "mapping_check.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "core/mapping_file.hpp"

namespace vexilo::check {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kQuoteLength = 80;
// The reader shows a line's first kLineExcerptBytes only: a quote that ends
// before them marks every line that was cut.
static_assert(kQuoteLength < kLineExcerptBytes);
constexpr std::int32_t kLastZone = kZoneCount - 1;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

const char* FieldName(LineField field) {
  switch (field) {
    case LineField::Start: return "start";
    case LineField::End: return "end";
    case LineField::Index: return "zone index";
    case LineField::Value: return "plateback index";
    case LineField::None: break;
  }
  return "number";
}

std::string Texture(std::int64_t plate) { return "plateback" + std::to_string(plate + 1); }

constexpr const char* kKeepDashesOut =
    "; the first '-' on a line always starts a range: keep '-' out of notes, or put the note on a line of its own "
    "that starts with ';'";

std::string RangeText(const MappingLine& line) {
  return std::to_string(line.first) + "-" + std::to_string(line.last) + "=" + std::to_string(line.value);
}

// "5=3 ; zones 5-9": the note's '-' makes the line a range from the zone index
// to the number after that '-', which may set more zones or none.
std::string ReadsAsRangeForANote(const MappingLine& line) {
  std::string effect;
  if (line.first > std::min(line.last, kLastZone)) {
    effect = "which sets nothing";
    if (line.first <= kLastZone) effect += ", not even zone " + std::to_string(line.first);
  } else if (line.first == line.last) {
    effect = "which happens to set zone " + std::to_string(line.first) + " alone";
  } else {
    effect = "which sets zones " + std::to_string(line.first) + " to " +
             std::to_string(std::min(line.last, kLastZone)) + ", not zone " + std::to_string(line.first) + " alone";
  }
  return "the '-' after the plateback index makes this line the range " + RangeText(line) + ", " + effect +
         kKeepDashesOut;
}

// Why a line of no known kind is passed over.
std::string WhyIgnored(std::size_t number, std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (number == 1 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    return "the file starts with a byte-order mark, which the game reads as part of this line; save the file "
           "as plain text without one";
  }
  if (EqualsIgnoringCase(trimmed, "DEBUG")) return "the debug switch must be written DEBUG, in capitals";
  if (trimmed.size() > 5 && EqualsIgnoringCase(trimmed.substr(0, 5), "DEBUG")) {
    return "DEBUG must stand alone on its line";
  }
  if (trimmed.find('-') != std::string_view::npos) return "a range needs '=' and a plateback index, as in 0-62=1";
  return "not a mapping, a comment or DEBUG (comments start with ';')";
}

class LineChecker : public MappingReader::Observer {
 public:
  LineChecker(const CheckOptions& options, CheckReport& report) : options_(options), report_(report) {}

  void OnLine(std::size_t number, std::string_view text, const MappingLine& line) override {
    report_.lines = number;
    if (text.find('\r') != std::string_view::npos) {
      Warn(number, text, "holds a carriage return that does not end a line: the game ends lines at line feeds only");
    }
    switch (line.kind) {
      case LineKind::Blank:
      case LineKind::Comment:
      case LineKind::Debug:
        return;
      case LineKind::Other:
        Warn(number, text, WhyIgnored(number, text) + "; this line does nothing");
        return;
      case LineKind::Range:
      case LineKind::Exact:
        CheckMapping(number, text, line);
        return;
    }
  }

  void OnEndOfText(std::size_t number) override {
    Add(number, Severity::Warning, "a byte 0x1A (Ctrl-Z) ends the file for the game here; all that follows is ignored",
        "");
  }

  void Finish() {
    for (auto& [number, owner] : owners_) report_.setterText[number] = std::move(owner.quote);
    std::stable_sort(report_.diagnostics.begin(), report_.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  }

 private:
  // A mapping line that still decides at least one zone, and the later lines
  // that took its other zones. Only such lines are kept: at most 377 of them,
  // however long the file.
  struct Owner {
    std::int32_t zones;
    std::string quote;
    std::vector<std::size_t> takers;
  };

  void CheckMapping(std::size_t number, std::string_view text, const MappingLine& line) {
    const std::string_view trimmed = Trim(text);
    const bool looksExact = line.kind == LineKind::Range && trimmed.find('=') < trimmed.find('-');
    // The text is the line's start only: what follows its '=' may lie beyond it.
    const std::string_view afterEquals = looksExact ? Trim(trimmed.substr(trimmed.find('=') + 1)) : std::string_view();
    const bool dashInNote = !afterEquals.empty() && afterEquals.front() != '-';
    if (line.malformed != LineField::None) {
      const std::string what = line.problem == NumberStatus::NoDigit ? "has no digits"
                                                                     : "is outside -2147483648 to 2147483647";
      Add(number, Severity::Error, std::string("the ") + FieldName(line.malformed) + " " + what +
                                       (dashInNote ? " (the '-' after the plateback index starts a range)" : "") +
                                       "; the game skips this line" + (dashInNote ? kKeepDashesOut : ""),
          Quote(text));
      return;
    }
    if (dashInNote) {
      Warn(number, text, ReadsAsRangeForANote(line));
    } else if (looksExact) {
      Warn(number, text, "reads as the range " + RangeText(line) + " because of its '-'" +
                             (line.first > line.last ? ", which sets nothing; write " + std::to_string(line.first) +
                                                           "-" + std::to_string(line.first) + "=" +
                                                           std::to_string(line.value) + " for one zone"
                                                     : ""));
    } else if (line.first > line.last) {
      Warn(number, text, "empty range: " + std::to_string(line.first) + " is above " + std::to_string(line.last) +
                             "; this line sets nothing");
    }
    if (line.first > line.last) return;
    if (line.first > kLastZone) {
      Warn(number, text, std::string(line.kind == LineKind::Exact ? "zone index " + std::to_string(line.first)
                                                                   : "the whole range")
                             + " lies above 376, the last zone; this line sets nothing");
      return;
    }
    if (line.last > kLastZone) {
      Warn(number, text, "zones 377 to " + std::to_string(line.last) + " do not exist and are dropped; this line sets " +
                             std::to_string(line.first) + " to 376");
    }
    CheckValue(number, text, line.value);
    Record(number, text, line);
  }

  void CheckValue(std::size_t number, std::string_view text, std::int32_t value) {
    if (value < 0) {
      Warn(number, text, "plateback index " + std::to_string(value) + " is negative: there is no texture " +
                             Texture(value));
    } else if (value >= options_.plates) {
      Warn(number, text, "plateback index " + std::to_string(value) + " selects " + Texture(value) +
                             ", but the game has " + std::to_string(options_.plates) + " plate textures (plateback1 to " +
                             Texture(options_.plates - 1) + "); see --plates");
    }
  }

  void Record(std::size_t number, std::string_view text, const MappingLine& line) {
    const std::int32_t last = std::min(line.last, kLastZone);
    for (std::int32_t zone = line.first; zone <= last; ++zone) {
      std::size_t& setBy = report_.setBy[static_cast<std::size_t>(zone)];
      if (setBy != 0) TakeZone(setBy, number);
      setBy = number;
    }
    owners_[number] = Owner{last - line.first + 1, Quote(text), {}};
    ++report_.mappings;
  }

  // A line that loses its last zone to later lines did nothing in the end.
  void TakeZone(std::size_t owner, std::size_t taker) {
    const auto found = owners_.find(owner);
    Owner& lost = found->second;
    // Takers come in line order, so a repeated one is always the last seen.
    if (lost.takers.empty() || lost.takers.back() != taker) lost.takers.push_back(taker);
    if (--lost.zones > 0) return;
    Add(owner, Severity::Warning, "every zone this line sets is set again later, by " + LineList(lost.takers),
        std::move(lost.quote));
    owners_.erase(found);
  }

  static std::string LineList(const std::vector<std::size_t>& lines) {
    if (lines.size() == 1) return "line " + std::to_string(lines[0]);
    return "lines " + std::to_string(lines.front()) + (lines.size() > 2 ? ", ... " : " and ") +
           std::to_string(lines.back());
  }

  void Warn(std::size_t number, std::string_view text, std::string message) {
    Add(number, Severity::Warning, std::move(message), Quote(text));
  }

  // Every problem is counted; the first kMaxDiagnostics found are kept, so
  // that a file of millions of bad lines is still checked in bounded memory.
  void Add(std::size_t number, Severity severity, std::string message, std::string quote) {
    ++(severity == Severity::Error ? report_.errors : report_.warnings);
    if (report_.diagnostics.size() == kMaxDiagnostics) return;
    report_.diagnostics.push_back({number, severity, std::move(message), std::move(quote)});
  }

  const CheckOptions& options_;
  CheckReport& report_;
  std::map<std::size_t, Owner> owners_;
};

}  // namespace

std::size_t CheckReport::Count(Severity severity) const { return severity == Severity::Error ? errors : warnings; }

CheckReport CheckMappingFile(const std::string& path, const CheckOptions& options) {
  CheckReport report;
  LineChecker checker(options, report);
  report.readable = ReadMappingFile(path, report.table, &checker);
  checker.Finish();
  return report;
}

CheckReport CheckMappingText(std::string_view bytes, const CheckOptions& options) {
  CheckReport report;
  LineChecker checker(options, report);
  MappingReader reader(report.table, &checker);
  reader.Feed(bytes);
  reader.Finish();
  checker.Finish();
  report.readable = true;
  return report;
}

std::string Quote(std::string_view line) {
  std::string quote;
  if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    quote = "<byte-order mark>";
    line.remove_prefix(kByteOrderMark.size());
  }
  for (char c : line) {
    if (quote.size() >= kQuoteLength) {
      quote += "...";
      break;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      quote += "\\r";
    } else if (byte < 0x20 && c != '\t') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quote += escaped;
    } else {
      quote += c;
    }
  }
  return quote;
}

}  // namespace vexilo::check
