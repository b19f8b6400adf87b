#include "labels.hpp"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "mapping/zones.hpp"
#include "text.hpp"

namespace vexilo::check {
namespace {

constexpr std::size_t kMostEdits = 2;

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Letters changed, added or dropped between two words, case aside.
std::size_t Edits(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min(
          {row[j] + 1, row[j - 1] + 1, diagonal + (Upper(a[i - 1]) == Upper(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::int32_t ZoneOfLabel(std::string_view text) {
  text = TrimBlanks(text);
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone)
    if (EqualsIgnoringCase(text, zoneNames[zone])) return zone;
  return kNoZone;
}

std::int32_t NearestLabel(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return kNoZone;
  std::int32_t best = kNoZone, started = kNoZone;
  std::size_t bestEdits = kMostEdits + 1, ties = 0, starts = 0;
  // A label that stands at several zones is one label: it neither ties nor starts twice.
  const auto other = [](std::string_view label, std::int32_t zone) {
    return zone == kNoZone || label != zoneNames[zone];
  };
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const std::string_view label = zoneNames[zone];
    if (label.size() > text.size() && EqualsIgnoringCase(label.substr(0, text.size()), text) &&
        other(label, started)) {
      started = zone;
      ++starts;
    }
    const std::size_t edits = Edits(text, label);
    if (edits < bestEdits) {
      best = zone;
      bestEdits = edits;
      ties = 0;
    } else if (edits == bestEdits && other(label, best)) {
      ++ties;
    }
  }
  if (best != kNoZone && ties == 0) return best;
  return starts == 1 ? started : kNoZone;
}

}  // namespace vexilo::check
