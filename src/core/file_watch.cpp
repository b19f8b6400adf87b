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
  if (seen_ && *seen_ == stamp) {
    // Read now, or found unreadable: either way not again until it changes.
    read_ = stamp;
    seen_.reset();
    return true;
  }
  seen_ = stamp;
  return false;
}

}  // namespace vexilo
