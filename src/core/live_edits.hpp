#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/file_watch.hpp"
#include "platform/platform.hpp"

/// Live edits: once the game started with DEBUG in the mapping file, every
/// save of the file takes effect within about a second, with no restart,
/// until the game ends. A save without DEBUG only hides the debug line.
/// Everything here runs on the frame thread, from the frame subscriber.
namespace vexilo {

inline constexpr char kReloadedNotice[] = "Vexilo.txt reloaded: %lu %s";
inline constexpr char kUnreadableNotice[] =
    "Vexilo.txt could not be read; the previous mappings stay";

/// How long a notice stays under the debug line, in milliseconds.
inline constexpr std::int64_t kNoticeTime = 3000;

enum class ReloadOutcome {
  Reloaded,    ///< the new table is in use
  Unreadable,  ///< the file could not be read to its end; the table in use stays
  Changed,     ///< the file changed while it was read; nothing of it was used
};

struct ReloadResult {
  ReloadOutcome outcome;
  std::size_t mappings;  ///< lines that set at least one zone
};

/// Reads the mapping file into a table of its own and, once read to its end
/// with the stamp expected still on it, stores it and its DEBUG switch. Never
/// writes the default file nor shows a box (that can hang a full-screen game).
ReloadResult ReloadMappingFile(std::optional<platform::FileStamp> expected);

/// The mapping file's stamp, or nothing when it cannot be told.
std::optional<platform::FileStamp> MappingFileStamp();

/// Follows the mapping file: when a query is due, asks for its stamp, reloads
/// it once a save has finished, and keeps the notice that tells the player.
class LiveEdits {
 public:
  constexpr LiveEdits() = default;

  /// Starts following at now, from the stamp the file had before start-up read it.
  void Start(std::int64_t now, std::optional<platform::FileStamp> readAtStartUp);

  /// Runs once a frame while DEBUG is on, at now (milliseconds of the
  /// monotonic clock). A reload may turn DEBUG off. Never throws.
  void Frame(std::int64_t now) noexcept;

  bool started() const { return watch_.started(); }

  /// The notice to draw under the debug line, as of the last Frame, or null.
  const char* notice() const { return noticeUp_ ? notice_ : nullptr; }

 private:
  void Reload(std::int64_t now, std::optional<platform::FileStamp> stamp);

  FileWatch watch_;
  char notice_[96] = {};
  std::int64_t noticeUntil_ = 0;
  bool noticeUp_ = false;
};

/// The plug-in's own live edits: started by start-up when the file holds
/// DEBUG, given the stamp taken before it was read.
void StartLiveEdits(std::optional<platform::FileStamp> readAtStartUp);

/// The plug-in's one frame subscriber: follows the file once live edits
/// started, then draws the debug line. A plain function, called in place.
void OnFrame();

/// The notice of the plug-in's own live edits to draw on this frame, or null.
const char* LiveEditsNotice() noexcept;

}  // namespace vexilo
