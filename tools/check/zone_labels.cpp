#include "zone_labels.hpp"

#include <cctype>
#include <string>

#include "mapping/zones.hpp"

namespace vexilo::check {
namespace {

// The longest label of the table, with room to spare; a longer run names none.
constexpr std::size_t kLongestLabel = 8;

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsLetterOrDigit(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// A zone field as a number or, failing that for want of digits, a label.
bool ReadZoneField(std::string_view field, std::int32_t& zone, bool& labelled) {
  const NumberStatus status = ReadNumberField(field, zone);
  if (status != NumberStatus::NoDigit) return status == NumberStatus::Ok;
  zone = ZoneOfLabelField(field);
  labelled = true;
  return zone != kNoZone;
}

}  // namespace

std::int32_t ZoneOfLabel(std::string_view label) {
  if (label.empty() || label.size() > kLongestLabel) return kNoZone;
  std::string upper(label);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return FindZoneIndex(upper.c_str());
}

std::int32_t ZoneOfLabelField(std::string_view field) {
  std::size_t begin = 0;
  while (begin < field.size() && !IsLetter(field[begin])) ++begin;
  std::size_t end = begin;
  while (end < field.size() && IsLetterOrDigit(field[end])) ++end;
  return ZoneOfLabel(field.substr(begin, end - begin));
}

std::optional<MappingLine> ReadLabelledLine(std::string_view text, const MappingLine& read) {
  const bool zoneField = read.malformed == LineField::Start || read.malformed == LineField::End ||
                         read.malformed == LineField::Index;
  // A line cut short in the excerpt may hold its value beyond it.
  if (!zoneField || read.problem != NumberStatus::NoDigit || text.size() >= kLineExcerptBytes)
    return std::nullopt;
  MappingLine line = read;
  line.malformed = LineField::None;
  line.problem = NumberStatus::Ok;
  bool labelled = false;
  const std::string_view value = text.substr(read.equalsAt + 1);
  if (read.kind == LineKind::Exact) {
    if (!ReadZoneField(text.substr(0, read.equalsAt), line.first, labelled)) return std::nullopt;
    line.last = line.first;
  } else {
    const std::string_view afterDash = text.substr(read.dashAt + 1);
    if (!ReadZoneField(text.substr(0, read.dashAt), line.first, labelled) ||
        !ReadZoneField(afterDash.substr(0, afterDash.find('=')), line.last, labelled)) {
      return std::nullopt;
    }
  }
  if (!labelled || ReadNumberField(value, line.value) != NumberStatus::Ok) return std::nullopt;
  return line;
}

}  // namespace vexilo::check
