#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.hpp"

/// The checker's only window onto the OS: its console, its command line and
/// the files it writes, with one implementation file per OS. Text is UTF-8
/// throughout; on Windows it becomes UTF-16 at this edge, so that any path
/// and any console show every letter.
namespace vexilo::check {

/// True when out is a terminal that shows ANSI colour codes; on a Windows
/// console this switches them on.
bool ShowsColours(std::FILE* out);

/// The command line as UTF-8 strings, the program's name first. On Windows
/// read as UTF-16 from the process itself; argv is used elsewhere.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Writes UTF-8 text: as UTF-16 to a Windows console, as bytes to anything else.
void WriteText(std::FILE* out, std::string_view text);

/// Creates or replaces the file at a UTF-8 path with bytes, flushed to disk
/// before it returns. On failure returns false and says why in reason.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason);

/// What stands at a path, for telling a player why a file cannot be read.
enum class PathKind { Missing, Folder, Other };

/// What stands at a UTF-8 path.
PathKind KindOfPath(const std::string& path);

/// A UTF-8 path made absolute against the current folder, so that a player
/// sees where the checker looked; the path itself when that cannot be told.
std::string FullPath(const std::string& path);

/// The folder the running program's file is in, with a trailing separator;
/// empty when it cannot be told.
std::string ProgramFolder();

/// The file name of the running program ("vexilo-check.exe"); empty when it
/// cannot be told.
std::string ProgramName();

/// Puts in names what a folder (UTF-8, with its separator; "" for the current
/// one) holds, folders left out, in no order. When the folder cannot be read
/// to its end returns false and says why in reason; names then holds what was
/// read before.
bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason);

/// The names of the folders a folder (UTF-8, with its separator) holds, "."
/// and ".." left out, in no order; none when it cannot be read.
std::vector<std::string> FolderNamesIn(const std::string& folder);

/// How many names (hard links) the file at a UTF-8 path has; 1 when that
/// cannot be told.
std::uint32_t NamesOf(const std::string& path);

/// True when the file at a UTF-8 path may not be written: read-only, or not
/// this user's to write.
bool IsReadOnlyFile(const std::string& path);

/// The OS's own sentence for an error code of platform:: (errno, or
/// Windows' last error).
std::string ErrorText(int error);

/// What CreateNewFileWith did.
using NewFile = platform::CreateResult;

/// Creates a file that must not exist yet at a UTF-8 path and writes bytes
/// into it; never touches what is there. On failure says why in reason and
/// leaves nothing behind.
inline NewFile CreateNewFileWith(const std::string& path, std::string_view bytes,
                                 std::string& reason) {
  int error = 0;
  const NewFile result = platform::CreateNewFile(path, bytes, &error);
  if (result != NewFile::Created) reason = ErrorText(error);
  return result;
}

/// A regular file at a UTF-8 path opened for reading at any offset, shared
/// with other readers and writers, closed when the object goes.
class FileAtOffsets {
 public:
  explicit FileAtOffsets(const std::string& path);
  ~FileAtOffsets();
  FileAtOffsets(const FileAtOffsets&) = delete;
  FileAtOffsets& operator=(const FileAtOffsets&) = delete;

  /// False when the path does not name a readable regular file.
  bool IsOpen() const { return handle_ != kClosed; }
  /// The file's size in bytes, -1 when it cannot be told.
  std::int64_t Size() const;
  /// Reads up to size bytes from offset on: the count read, 0 past the end,
  /// -1 on a read error.
  std::ptrdiff_t ReadAt(std::int64_t offset, char* buffer, std::size_t size);

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

/// Puts the file at from in the place of the one at to in one step, so that
/// a reader finds the old file or the new one, never neither or a mix.
bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason);

/// Removes the file at a UTF-8 path, if it can.
void RemoveFile(const std::string& path);

/// Reads one line typed on the console, its line end left out ("" when input
/// ends).
std::string ReadConsoleLine();

/// What the decision to wait before closing needs to know of the console.
struct ConsoleFacts {
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  /// How many processes share the console, this one included; 0 without one.
  std::uint32_t processesOnConsole = 0;
  /// Running under Wine, which gives a program started from a Unix terminal
  /// a console of its own with no window.
  bool underWine = false;
  /// The console has a window on the screen.
  bool consoleWindowVisible = false;
};

/// The facts of this process's console (all false and 0 outside Windows).
ConsoleFacts QueryConsole();

/// Asks for Enter on the console and returns once it is pressed (or input ends).
void WaitForEnter();

}  // namespace vexilo::check
