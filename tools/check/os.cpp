#include "os.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <locale>
#include <system_error>

namespace vexilo::check {
namespace {

namespace fs = std::filesystem;

// The names of what a folder holds, its folders apart; either list may be left out.
bool NamesIn(const std::string& folder, std::vector<std::string>* files,
             std::vector<std::string>* folders, std::string& reason) {
  std::error_code error;
  fs::directory_iterator entry(fs::u8path(folder.empty() ? "." : folder), error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    std::error_code unknown;
    auto* names = entry->is_directory(unknown) ? folders : files;
    if (names != nullptr) names->push_back(entry->path().filename().u8string());
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
  names.clear();
  return NamesIn(folder, &names, nullptr, reason);
}

std::vector<std::string> FolderNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::string unread;
  NamesIn(folder, nullptr, &names, unread);
  return names;
}

std::vector<std::string> FindFiles(const std::vector<std::string>& folders,
                                   const std::function<bool(std::string_view)>& wanted,
                                   int depthSearched) {
  // The bound stops a search in a folder tree of links or a whole drive.
  constexpr std::size_t kMostFoldersSearched = 2000;
  std::vector<std::string> found;
  std::vector<std::pair<std::string, int>> queue;
  for (const std::string& folder : folders) queue.emplace_back(folder, 0);
  for (std::size_t next = 0; next < queue.size() && next < kMostFoldersSearched; ++next) {
    const auto [folder, depth] = queue[next];
    std::vector<std::string> files, subfolders;
    std::string unreadable;
    NamesIn(folder, &files, depth < depthSearched ? &subfolders : nullptr, unreadable);
    std::sort(files.begin(), files.end());
    std::sort(subfolders.begin(), subfolders.end());
    for (const std::string& name : files) {
      if (wanted(name)) found.push_back(folder + name);
    }
    for (const std::string& name : subfolders) queue.emplace_back(folder + name + "/", depth + 1);
  }
  return found;
}

std::string FollowLinks(const std::string& path) {
  std::error_code error;
  const fs::path target = fs::canonical(fs::u8path(path), error);
  return error || !fs::is_symlink(fs::u8path(path), error) ? path : target.u8string();
}

void CopyPermissions(const std::string& from, const std::string& to) {
  std::error_code error;
  const fs::perms perms = fs::status(fs::u8path(from), error).permissions();
  if (!error) fs::permissions(fs::u8path(to), perms, fs::perm_options::replace, error);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  std::FILE* file = OpenToWrite(path);
  // On disk before anyone renames it over a file, or the rename could outlive it.
  const bool written = file != nullptr &&
                       std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && FlushToDisk(file);
  const int error = errno;
  const bool closed = file == nullptr || std::fclose(file) == 0;
  if (written && closed) return true;
  reason = std::strerror(written ? errno : error);
  return false;
}

std::string Utf8Of(std::u16string_view text) {
  const auto& utf8 =
      std::use_facet<std::codecvt<char16_t, char, std::mbstate_t>>(std::locale::classic());
  std::string narrow(text.size() * 3, '\0');
  std::mbstate_t state{};
  const char16_t* unit = nullptr;
  char* end = nullptr;
  utf8.out(state, text.data(), text.data() + text.size(), unit, narrow.data(),
           narrow.data() + narrow.size(), end);
  narrow.resize(static_cast<std::size_t>(end - narrow.data()));
  return narrow;
}

std::string ErrorText(int error) { return std::system_category().message(error); }

void RemoveFile(const std::string& path) {
  std::error_code error;
  fs::remove(fs::u8path(path), error);
}

}  // namespace vexilo::check
