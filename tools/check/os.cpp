#include "os.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vexilo::check {
namespace {

namespace fs = std::filesystem;

// The names of the folders a folder holds, or of the rest.
bool NamesIn(const std::string& folder, bool folders, std::vector<std::string>& names,
             std::string& reason) {
  names.clear();
  std::error_code error;
  fs::directory_iterator entry(fs::u8path(folder.empty() ? "." : folder), error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    std::error_code unknown;
    if (entry->is_directory(unknown) == folders)
      names.push_back(entry->path().filename().u8string());
  }
  if (error) reason = error.message();
  return !error;
}

}  // namespace

void WaitForEnter() {
  WriteText(stdout, "\nPress Enter to close this window.\n");
  ReadConsoleLine();
}

std::string ProgramFolder() {
  const fs::path path = fs::u8path(ProgramPath());
  return path.empty() ? "" : (path.parent_path() / "").u8string();
}

std::string ProgramName() { return fs::u8path(ProgramPath()).filename().u8string(); }

PathKind KindOfPath(const std::string& path) {
  std::error_code error;
  const fs::file_type type = fs::status(fs::u8path(path), error).type();
  if (type == fs::file_type::not_found) return PathKind::Missing;
  return type == fs::file_type::directory ? PathKind::Folder : PathKind::Other;
}

std::string FullPath(const std::string& path) {
  std::error_code error;
  fs::path full = fs::absolute(fs::u8path(path), error).lexically_normal();
  if (error) return path;
  // "folder/." names the folder itself.
  if (!full.has_filename() && full.has_relative_path()) full = full.parent_path();
  return full.u8string();
}

bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  return NamesIn(folder, false, names, reason);
}

std::vector<std::string> FolderNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::string unread;
  NamesIn(folder, true, names, unread);
  return names;
}

std::string FollowLinks(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::u8path(path), error)) return path;
  const fs::path target = fs::canonical(fs::u8path(path), error);
  return error ? path : target.u8string();
}

void CopyPermissions(const std::string& from, const std::string& to) {
  std::error_code error;
  const fs::perms perms = fs::status(fs::u8path(from), error).permissions();
  if (!error) fs::permissions(fs::u8path(to), perms, fs::perm_options::replace, error);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  std::FILE* file = OpenToWrite(path);
  // On disk before anyone renames it over a file, or the rename could outlive it.
  bool written = file != nullptr &&
                 std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                 std::fflush(file) == 0 && FlushToDisk(file);
  int error = errno;
  if (file != nullptr && std::fclose(file) != 0 && written) {
    error = errno;
    written = false;
  }
  if (!written) reason = std::strerror(error);
  return written;
}

std::string ErrorText(int error) { return std::system_category().message(error); }

void RemoveFile(const std::string& path) {
  std::error_code error;
  fs::remove(fs::u8path(path), error);
}

}  // namespace vexilo::check
