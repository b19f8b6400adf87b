// Without the large-file interface a 32-bit build can list no folder on a
// file system with 64-bit inode numbers: readdir fails with EOVERFLOW.
#define _FILE_OFFSET_BITS 64

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "os.hpp"

// The build's 64-bit file offsets reach this file too: with 32-bit ones
// readdir fails (EOVERFLOW) on a folder whose entries do not fit them.
static_assert(sizeof(off_t) == 8, "built without _FILE_OFFSET_BITS=64");

namespace vexilo::check {

bool ShowsColours(std::FILE* out) { return isatty(fileno(out)) != 0; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void WriteText(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  // On disk before anyone renames it over a file, or the rename could outlive it.
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  const int error = errno;
  if (std::fclose(file) != 0 || !written) {
    reason = std::strerror(written ? errno : error);
    return false;
  }
  return true;
}

PathKind KindOfPath(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
  return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::Other;
}

std::string FullPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  std::string folder(4096, '\0');
  if (getcwd(folder.data(), folder.size()) == nullptr) return path;
  folder.resize(std::strlen(folder.c_str()));
  std::string_view rest = path;
  while (rest.substr(0, 2) == "./") rest.remove_prefix(2);
  if (rest == ".") return folder;
  return folder + (folder.back() == '/' ? "" : "/") + std::string(rest);
}

namespace {

// The running program's file; empty when it cannot be told.
std::string ProgramPath() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return "";
  path.resize(static_cast<std::size_t>(length));
  return path;
}

}  // namespace

std::string ProgramFolder() {
  const std::string path = ProgramPath();
  return path.substr(0, path.rfind('/') + 1);
}

std::string ProgramName() {
  const std::string path = ProgramPath();
  return path.substr(path.rfind('/') + 1);
}

bool FileNamesIn(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  names.clear();
  DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) {
    reason = std::strerror(errno);
    return false;
  }
  // readdir tells its end from its failure only by errno.
  errno = 0;
  while (const dirent* entry = readdir(listing)) {
    if (entry->d_type != DT_DIR) names.emplace_back(entry->d_name);
    errno = 0;
  }
  const int error = errno;
  closedir(listing);
  if (error != 0) {
    reason = std::strerror(error);
    return false;
  }
  return true;
}

std::vector<std::string> FolderNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (entry->d_type == DT_DIR && name != "." && name != "..") names.push_back(name);
  }
  closedir(listing);
  return names;
}

std::uint32_t NamesOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && status.st_nlink > 0
             ? static_cast<std::uint32_t>(status.st_nlink)
             : 1;
}

bool IsReadOnlyFile(const std::string& path) {
  // A file no one may write is read-only to root too, who could write it anyway.
  struct stat status {};
  return access(path.c_str(), W_OK) != 0 ||
         (stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0);
}

std::string ErrorText(int error) { return std::strerror(error); }

bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason) {
  // The new file takes the old one's permissions, so that mending it changes
  // no more than its text.
  struct stat status {};
  if (stat(to.c_str(), &status) == 0) chmod(from.c_str(), status.st_mode & 07777);
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

std::string ReadConsoleLine() {
  std::string line;
  for (int c; (c = std::getchar()) != EOF && c != '\n';) line += static_cast<char>(c);
  return line;
}

// No POSIX program gets a console window of its own to close.
ConsoleFacts QueryConsole() { return ConsoleFacts{}; }

void WaitForEnter() {
  WriteText(stdout, "\nPress Enter to close this window.\n");
  for (int c; (c = std::getchar()) != EOF && c != '\n';) {
  }
}

FileAtOffsets::FileAtOffsets(const std::string& path) {
  // Non-blocking, so that a FIFO of that name cannot hold the check waiting
  // for a writer; only a regular file is read, as on Windows.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
    close(fd);
    return;
  }
  handle_ = fd;
}

FileAtOffsets::~FileAtOffsets() {
  if (IsOpen()) close(static_cast<int>(handle_));
}

std::int64_t FileAtOffsets::Size() const {
  struct stat info {};
  if (!IsOpen() || fstat(static_cast<int>(handle_), &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

std::ptrdiff_t FileAtOffsets::ReadAt(std::int64_t offset, char* buffer, std::size_t size) {
  if (!IsOpen() || offset < 0) return -1;
  for (;;) {
    const ssize_t n = pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

}  // namespace vexilo::check
