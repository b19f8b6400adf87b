#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.hpp"

namespace vexilo::platform {
namespace {

constexpr Protection kReadWriteExecute = PROT_READ | PROT_WRITE | PROT_EXEC;

std::uintptr_t PageSize() {
  static const auto size = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  return size;
}

struct PageRange {
  std::uintptr_t start;
  std::size_t length;
};

PageRange PagesCovering(std::uintptr_t address, std::size_t size) {
  const std::uintptr_t mask = ~(PageSize() - 1);
  const std::uintptr_t start = address & mask;
  const std::uintptr_t end = (address + (size == 0 ? 1 : size) + PageSize() - 1) & mask;
  return {start, end - start};
}

std::string ReadWholeFile(const char* path) {
  std::string text;
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[4096];
  for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
  close(fd);
  return text;
}

// One line of /proc/self/maps: "start-end rwxp offset dev inode path".
std::optional<Protection> ProtectionFromMapsLine(const char* line, std::uintptr_t address) {
  char* rest = nullptr;
  const auto start = static_cast<std::uintptr_t>(std::strtoull(line, &rest, 16));
  if (*rest != '-') return std::nullopt;
  const auto end = static_cast<std::uintptr_t>(std::strtoull(rest + 1, &rest, 16));
  if (address < start || address >= end || *rest != ' ') return std::nullopt;
  const char* perms = rest + 1;
  Protection protection = PROT_NONE;
  if (perms[0] == 'r') protection |= PROT_READ;
  if (perms[1] == 'w') protection |= PROT_WRITE;
  if (perms[2] == 'x') protection |= PROT_EXEC;
  return protection;
}

}  // namespace

// POSIX has no call that reports a page's protection, so the kernel's own
// table of mappings is read; it is also what tells an unmapped address apart.
std::optional<Protection> QueryProtection(std::uintptr_t address) {
  const std::string maps = ReadWholeFile("/proc/self/maps");
  for (std::size_t at = 0; at < maps.size();) {
    const std::size_t end = maps.find('\n', at);
    const std::string line = maps.substr(at, end - at);
    if (auto protection = ProtectionFromMapsLine(line.c_str(), address)) return protection;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return std::nullopt;
}

bool IsWritable(Protection protection) { return (protection & PROT_WRITE) != 0; }

bool Unprotect(std::uintptr_t address, std::size_t size, Protection* previous) {
  const std::optional<Protection> before = QueryProtection(address);
  if (!before) return false;
  const PageRange pages = PagesCovering(address, size);
  if (mprotect(reinterpret_cast<void*>(pages.start), pages.length, static_cast<int>(kReadWriteExecute)) != 0) {
    return false;
  }
  *previous = *before;
  return true;
}

void Reprotect(std::uintptr_t address, std::size_t size, Protection previous) {
  const PageRange pages = PagesCovering(address, size);
  mprotect(reinterpret_cast<void*>(pages.start), pages.length, static_cast<int>(previous));
}

void FlushCode(std::uintptr_t address, std::size_t size) {
  char* begin = reinterpret_cast<char*>(address);
  __builtin___clear_cache(begin, begin + size);
}

// There is no PE loader here: the stand-in host maps the host's image at the
// base it is laid out for.
std::uintptr_t HostModuleBase() { return 0x400000; }

void ShowErrorBox(const std::string& text) {
  std::fprintf(stderr, "Error: %s\n", text.c_str());
  std::fflush(stderr);
}

std::string NativePath(std::string_view path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

InputFile::InputFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info {};
  // Windows refuses to open a directory as a file; match it so both builds
  // report the same failure.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return;
  }
  handle_ = fd;
}

InputFile::~InputFile() {
  if (is_open()) close(static_cast<int>(handle_));
}

std::ptrdiff_t InputFile::Read(char* buffer, std::size_t size) {
  if (!is_open()) return -1;
  for (;;) {
    const ssize_t n = read(static_cast<int>(handle_), buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

CreateResult CreateNewFile(const std::string& path, std::string_view contents) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
  bool complete = true;
  for (std::size_t done = 0; done < contents.size();) {
    const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      complete = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) complete = false;
  if (complete) return CreateResult::Created;
  // A half-written file would be read as the user's own next time; removing it
  // lets the next start write the defaults again.
  unlink(path.c_str());
  return CreateResult::Failed;
}

}  // namespace vexilo::platform
