#include "core/backward_mapping_reader.hpp"

namespace vexilo {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kEndOfText = '\x1A';

bool HoldsD(std::string_view bytes) { return bytes.find('D') != std::string_view::npos; }

}  // namespace

void BackwardMappingReader::FeedPreceding(std::string_view bytes) {
  const std::size_t endOfText = bytes.find(kEndOfText);
  if (endOfText != std::string_view::npos) {
    EndTextHere();
    bytes = bytes.substr(0, endOfText);
  }
  const std::size_t lastLineFeed = bytes.rfind(kLineFeed);
  if (lastLineFeed == std::string_view::npos) {
    carried_.emplace_back(bytes);
    carriedHasD_ = carriedHasD_ || HoldsD(bytes);
    return;
  }
  const std::size_t firstLineFeed = bytes.find(kLineFeed);
  const std::string_view head = bytes.substr(0, firstLineFeed);
  const std::string_view lines = bytes.substr(firstLineFeed + 1, lastLineFeed - firstLineFeed);
  const std::string_view tail = bytes.substr(lastLineFeed + 1);
  if (CouldChangeTheTable(tail, carriedHasD_)) ApplyEarlierLine(JoinCarried(tail), carriedEndsLine_);
  if (CouldChangeTheTable(lines)) ApplyEarlierLines(lines);
  carried_.clear();
  carried_.emplace_back(head);
  carriedHasD_ = HoldsD(head);
  carriedEndsLine_ = true;
}

bool BackwardMappingReader::CouldChangeTheTable(std::string_view lines, bool carriedHoldsD) const {
  return undecided_ > 0 || (!debug_ && (carriedHoldsD || HoldsD(lines)));
}

void BackwardMappingReader::Finish() {
  ApplyEarlierLine(JoinCarried({}), carriedEndsLine_);
  carried_.clear();
  for (std::size_t zone = 0; zone < table_.plates.size(); ++zone) {
    if (isDecided_[zone] != 0) table_.plates[zone] = decided_[zone];
  }
  if (debug_) table_.debug = true;
}

void BackwardMappingReader::ApplyEarlierLines(std::string_view lines) {
  if (lines.empty()) return;
  MappingTable group;
  WrittenEntries written{};
  MappingReader reader(group, written);
  reader.Feed(lines);
  reader.Finish();
  KeepUndecided(group, written);
}

void BackwardMappingReader::ApplyEarlierLine(std::string_view line, bool endsLine) {
  // Text mode turns CR LF into LF; a last line without one keeps its CR.
  if (endsLine && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) return;
  MappingTable group;
  WrittenEntries written{};
  ApplyMappingLine(ParseMappingLine(line), group, written);
  KeepUndecided(group, written);
}

void BackwardMappingReader::KeepUndecided(const MappingTable& group, const WrittenEntries& written) {
  debug_ = debug_ || group.debug;
  for (std::size_t zone = 0; zone < written.size(); ++zone) {
    if (written[zone] != 0 && isDecided_[zone] == 0) {
      decided_[zone] = group.plates[zone];
      isDecided_[zone] = -1;
      --undecided_;
    }
  }
}

void BackwardMappingReader::EndTextHere() {
  isDecided_.fill(0);
  undecided_ = kZoneCount;
  debug_ = false;
  carried_.clear();
  carriedHasD_ = false;
  // The byte ends the line it stands in: that line has no line feed.
  carriedEndsLine_ = false;
}

std::string BackwardMappingReader::JoinCarried(std::string_view head) const {
  std::size_t size = head.size();
  for (const std::string& piece : carried_) size += piece.size();
  std::string line;
  line.reserve(size);
  line.append(head);
  for (auto piece = carried_.rbegin(); piece != carried_.rend(); ++piece) line.append(*piece);
  return line;
}

}  // namespace vexilo
