#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

/// The checker's only window onto the OS. Paths and text are UTF-8; on Windows they become UTF-16
/// at this edge, so that any path and any console show every letter. os.cpp holds what
/// std::filesystem says for both OSes, one file per OS the rest. A reason is the OS's sentence.
namespace vexilo::check {

/// True when out shows ANSI colours (switched on in a Windows console).
bool ShowsColours(std::FILE* out);
std::vector<std::string> CommandLineArguments(int argc, char** argv);
/// As UTF-16 to a Windows console, as bytes to anything else.
void WriteText(std::FILE* out, std::string_view text);
/// Without its line end; "" when input ends.
std::string ReadConsoleLine();
void WaitForEnter();

/// What the decision to wait before closing needs to know of the console.
struct ConsoleFacts {
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  /// This one included; 0 without a console.
  std::uint32_t processesOnConsole = 0;
  /// Wine gives a program started from a Unix terminal a console of its own with no window.
  bool underWine = false;
  bool consoleWindowVisible = false;
};
ConsoleFacts QueryConsole();

/// Empty when they cannot be told; the folder ends with its separator.
std::string ProgramPath();
std::string ProgramFolder();
std::string ProgramName();

enum class PathKind { Missing, Folder, Other };
PathKind KindOfPath(const std::string& path);
/// Absolute, without "." and "..", to show where the checker looked; the path itself on failure.
std::string FullPath(const std::string& path);

/// What a folder (with its separator; "" for the current one) holds but its folders, in no order.
/// False, with why, when it cannot be read to its end; names then holds what was read before.
bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason);
/// None when it cannot be read.
std::vector<std::string> FolderNamesIn(const std::string& folder);
/// The files in the folders and depthSearched levels of their subfolders whose names please
/// wanted, shallowest first, in name order: the game keeps its files a few folders down.
std::vector<std::string> FindFiles(const std::vector<std::string>& folders,
                                   const std::function<bool(std::string_view)>& wanted,
                                   int depthSearched = 3);

/// The path itself when it is no symbolic link or cannot be followed.
std::string FollowLinks(const std::string& path);
/// How many hard links the file has; 1 when that cannot be told.
std::uint32_t NamesOf(const std::string& path);
/// Read-only, or not this user's to write.
bool IsReadOnlyFile(const std::string& path);
void CopyPermissions(const std::string& from, const std::string& to);

/// Flushed to disk before it returns.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason);
std::FILE* OpenToWrite(const std::string& path);
bool FlushToDisk(std::FILE* file);

/// As far as the UTF-16 is whole.
std::string Utf8Of(std::u16string_view text);
/// For an error code of platform:: (errno, or Windows' last error).
std::string ErrorText(int error);

using NewFile = platform::CreateResult;

/// Never touches what is there; on failure leaves nothing behind.
inline NewFile CreateNewFileWith(const std::string& path, std::string_view bytes,
                                 std::string& reason) {
  int error = 0;
  const NewFile result = platform::CreateNewFile(path, bytes, &error);
  if (result != NewFile::Created) reason = ErrorText(error);
  return result;
}

/// With the old file's permissions, in one step: a reader finds the old file or the new one.
bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason);
void RemoveFile(const std::string& path);

}  // namespace vexilo::check
