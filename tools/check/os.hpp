#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

/// The checker's only window onto the OS. Paths and text are UTF-8
/// throughout; on Windows they become UTF-16 at this edge, so that any path
/// and any console show every letter. What std::filesystem says for both OSes
/// is in os.cpp; the rest has one file per OS. A reason is the OS's sentence.
namespace vexilo::check {

/// True when out is a terminal that shows ANSI colours (switched on in a Windows console).
bool ShowsColours(std::FILE* out);

/// The command line, the program's name first; on Windows read as UTF-16.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Writes text: as UTF-16 to a Windows console, as bytes to anything else.
void WriteText(std::FILE* out, std::string_view text);

/// One line typed on the console, without its line end ("" when input ends).
std::string ReadConsoleLine();
/// Asks for Enter on the console and returns once it is pressed (or input ends).
void WaitForEnter();

/// What the decision to wait before closing needs to know of the console.
struct ConsoleFacts {
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  /// How many processes share the console, this one included; 0 without one.
  std::uint32_t processesOnConsole = 0;
  /// Running under Wine, which gives a program started from a Unix terminal
  /// a console of its own with no window.
  bool underWine = false;
  bool consoleWindowVisible = false;
};

/// The facts of this process's console (all false and 0 outside Windows).
ConsoleFacts QueryConsole();

/// The running program's file, its folder (with a trailing separator) and its
/// name ("vexilo-check.exe"); empty when they cannot be told.
std::string ProgramPath();
std::string ProgramFolder();
std::string ProgramName();

/// What stands at a path, for telling a player why a file cannot be read.
enum class PathKind { Missing, Folder, Other };
PathKind KindOfPath(const std::string& path);

/// A path made absolute, "." and ".." taken out, to show where the checker
/// looked; the path itself when that fails.
std::string FullPath(const std::string& path);

/// The names of what a folder (with its separator; "" for the current one)
/// holds but its folders, in no order. False, with why, when it cannot be
/// read to its end; names then holds what was read before.
bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason);
/// The names of its folders, in no order; none when it cannot be read.
std::vector<std::string> FolderNamesIn(const std::string& folder);

/// Every file whose name pleases wanted in the folders (each with its
/// separator; "" for the current one) and their subfolders, three levels
/// deep: shallowest first, in name order. Folders that cannot be read are
/// passed over.
std::vector<std::string> FindFiles(const std::vector<std::string>& folders,
                                   const std::function<bool(std::string_view)>& wanted);

/// The file a path names once its symbolic links are followed; the path
/// itself when it is no link or cannot be followed.
std::string FollowLinks(const std::string& path);
/// How many names (hard links) the file has; 1 when that cannot be told.
std::uint32_t NamesOf(const std::string& path);
/// True when the file may not be written: read-only, or not this user's to write.
bool IsReadOnlyFile(const std::string& path);
/// Gives the file at to the permissions of the file at from, if it can.
void CopyPermissions(const std::string& from, const std::string& to);

/// Creates or replaces the file with bytes, flushed to disk before it returns.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason);
/// What that needs of each OS: the C runtime's file emptied for writing, and
/// the flush of what was written down to the disk.
std::FILE* OpenToWrite(const std::string& path);
bool FlushToDisk(std::FILE* file);

/// UTF-16 text as UTF-8, as far as it is whole.
std::string Utf8Of(std::u16string_view text);

/// The OS's sentence for an error code of platform:: (errno, or Windows' last error).
std::string ErrorText(int error);

using NewFile = platform::CreateResult;

/// Creates a file that must not exist yet with bytes; never touches what is
/// there. On failure says why and leaves nothing behind.
inline NewFile CreateNewFileWith(const std::string& path, std::string_view bytes,
                                 std::string& reason) {
  int error = 0;
  const NewFile result = platform::CreateNewFile(path, bytes, &error);
  if (result != NewFile::Created) reason = ErrorText(error);
  return result;
}

/// Puts the file at from in the place of the one at to, with the old one's
/// permissions, in one step: a reader finds the old file or the new one.
bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason);
/// Removes the file, if it can.
void RemoveFile(const std::string& path);

}  // namespace vexilo::check
