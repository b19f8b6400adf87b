#include "core/live_edits.hpp"

#include <cstdio>
#include <string>

#include "core/mappings.hpp"
#include "core/overlay.hpp"
#include "mapping/mapping_file.hpp"

namespace vexilo {
namespace {

// Counts the lines that set at least one zone, as the format applies them.
class MappingCount final : public LineObserver {
 public:
  void OnLine(std::size_t, std::string_view, const MappingLine& line) override {
    if (SetsAnyZone(line)) ++count;
  }
  void OnEndOfText(std::size_t) override {}

  std::size_t count = 0;
};

LiveEdits liveEdits;

}  // namespace

ReloadResult ReloadMappingFile(std::optional<platform::FileStamp> expected) {
  try {
    MappingTable table;
    MappingCount count;
    if (ReadMappingFile(platform::NativePath(configPath), table, &count) != FileReading::Read)
      return {ReloadOutcome::Unreadable, 0};
    // A save that went on while the file was read left a mix of two files.
    if (MappingFileStamp() != expected) return {ReloadOutcome::Changed, 0};
    StoreMappings(table.plates);
    debugEnabled = table.debug;
    return {ReloadOutcome::Reloaded, count.count};
  } catch (...) {
    // Out of memory for the path or a line: the table in use stays.
    return {ReloadOutcome::Unreadable, 0};
  }
}

std::optional<platform::FileStamp> MappingFileStamp() {
  try {
    return platform::QueryFileStamp(platform::NativePath(configPath));
  } catch (...) {
    return std::nullopt;
  }
}

void LiveEdits::Start(std::int64_t now, std::optional<platform::FileStamp> readAtStartUp) {
  watch_.Start(now, readAtStartUp);
  noticeUp_ = false;
}

void LiveEdits::Frame(std::int64_t now) noexcept {
  if (watch_.QueryDue(now)) {
    const std::optional<platform::FileStamp> stamp = MappingFileStamp();
    if (watch_.Queried(now, stamp)) Reload(now, stamp);
  }
  if (noticeUp_ && now - noticeUntil_ >= 0) noticeUp_ = false;
}

// A file that changed while it was read has a new stamp, which the watch
// takes as the next save to read.
void LiveEdits::Reload(std::int64_t now, std::optional<platform::FileStamp> stamp) {
  const ReloadResult result = ReloadMappingFile(stamp);
  if (result.outcome == ReloadOutcome::Changed) return;
  if (result.outcome == ReloadOutcome::Reloaded) {
    std::snprintf(notice_, sizeof notice_, kReloadedNotice,
                  static_cast<unsigned long>(result.mappings),
                  result.mappings == 1 ? "mapping" : "mappings");
  } else {
    std::snprintf(notice_, sizeof notice_, "%s", kUnreadableNotice);
  }
  noticeUntil_ = now + kNoticeTime;
  noticeUp_ = true;
}

void StartLiveEdits(std::optional<platform::FileStamp> readAtStartUp) {
  liveEdits.Start(platform::MonotonicMilliseconds(), readAtStartUp);
}

void OnFrame() {
  // Without DEBUG at start-up live edits never start: the clock is not read.
  if (liveEdits.started()) liveEdits.Frame(platform::MonotonicMilliseconds());
  DrawDebugOverlay();
}

const char* LiveEditsNotice() noexcept { return liveEdits.notice(); }

}  // namespace vexilo
