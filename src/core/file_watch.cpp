#include "core/file_watch.hpp"

namespace vexilo {

void FileWatch::Start(std::int64_t now, std::optional<platform::FileStamp> read) {
  started_ = true;
  lastQuery_ = now;
  read_ = read;
  seen_.reset();
}

bool FileWatch::QueryDue(std::int64_t now) const {
  return started_ && now - lastQuery_ >= kQueryInterval;
}

bool FileWatch::Queried(std::int64_t now, std::optional<platform::FileStamp> stamp) {
  lastQuery_ = now;
  if (stamp == read_) {
    // Saved and put back as it was before it was read: nothing to do.
    seen_.reset();
    return false;
  }
  const bool heldStill = seen_ && *seen_ == stamp;
  seen_ = stamp;
  return heldStill;
}

void FileWatch::Settled() {
  if (!seen_) return;
  read_ = *seen_;
  seen_.reset();
}

}  // namespace vexilo
