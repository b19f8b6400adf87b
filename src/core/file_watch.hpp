#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.hpp"

namespace vexilo {

/// Tells, from stamps of a file asked for at most once every half second,
/// when a save has finished: a file is read only once its stamp has held
/// still from one query to the next, so that a file still being written is
/// not read halfway. Times are milliseconds of a monotonic clock. Pure
/// bookkeeping: the caller asks the OS and reads the file.
class FileWatch {
 public:
  static constexpr std::int64_t kQueryInterval = 500;

  /// Starts watching at now, from the stamp of the file as it was read
  /// (nothing when none could be told).
  void Start(std::int64_t now, std::optional<platform::FileStamp> read);

  bool started() const { return started_; }

  /// True when a query of the file's stamp is due at now: never before
  /// Start, and at most once every kQueryInterval.
  bool QueryDue(std::int64_t now) const;

  /// Takes the stamp a query at now found. True when the file should be read
  /// now: it differs from what was last read and held still since the
  /// previous query. It is then taken as dealt with, read or found
  /// unreadable, and not read again until it changes.
  bool Queried(std::int64_t now, std::optional<platform::FileStamp> stamp);

 private:
  bool started_ = false;
  std::int64_t lastQuery_ = 0;
  std::optional<platform::FileStamp> read_;
  /// The stamp the last query found, while it differs from read_.
  std::optional<std::optional<platform::FileStamp>> seen_;
};

}  // namespace vexilo
