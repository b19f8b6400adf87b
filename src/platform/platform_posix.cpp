#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

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

struct MapsLine {
  std::uintptr_t start = 0;
  std::uintptr_t end = 0;
  Protection protection = PROT_NONE;
};

// One line of /proc/self/maps: "start-end rwxp offset dev inode path".
MapsLine ParseMapsLine(const char* line) {
  MapsLine parsed;
  char* rest = nullptr;
  parsed.start = static_cast<std::uintptr_t>(std::strtoull(line, &rest, 16));
  if (*rest != '-') return {};
  parsed.end = static_cast<std::uintptr_t>(std::strtoull(rest + 1, &rest, 16));
  if (rest[0] != ' ' || rest[1] == '\0' || rest[2] == '\0' || rest[3] == '\0') return {};
  if (rest[1] == 'r') parsed.protection |= PROT_READ;
  if (rest[2] == 'w') parsed.protection |= PROT_WRITE;
  if (rest[3] == 'x') parsed.protection |= PROT_EXEC;
  return parsed;
}

}  // namespace

// POSIX has no call that reports a page's protection, so the kernel's own
// table of mappings is read; it is also what tells an unmapped address apart.
// The table is sorted by address: reading stops at the first mapping that
// ends above the address, which makes the host's low addresses cheap.
std::optional<Protection> QueryProtection(std::uintptr_t address) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const MapsLine parsed = ParseMapsLine(line.c_str());
    if (parsed.end > address)
      return parsed.start <= address ? std::optional<Protection>(parsed.protection) : std::nullopt;
  }
  return std::nullopt;
}

bool IsWritable(Protection protection) { return (protection & PROT_WRITE) != 0; }

bool IsReadable(Protection protection) { return (protection & PROT_READ) != 0; }

std::uint64_t CompareExchange64(std::uintptr_t address, std::uint64_t expected,
                                std::uint64_t desired) {
  auto* block = reinterpret_cast<std::uint64_t*>(address);
  __atomic_compare_exchange_n(block, &expected, desired, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return expected;
}

bool Unprotect(std::uintptr_t address, std::size_t size, Protection* previous) {
  const std::optional<Protection> before = QueryProtection(address);
  if (!before) return false;
  const PageRange pages = PagesCovering(address, size);
  if (mprotect(reinterpret_cast<void*>(pages.start), pages.length,
               static_cast<int>(kReadWriteExecute)) != 0) {
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
  // Non-blocking, so that a FIFO of that name cannot hold the host's start-up
  // waiting for a writer; only a regular file is read (Windows refuses to open
  // a directory as a file, and both builds report the same failure).
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
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

std::int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::optional<FileStamp> QueryFileStamp(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  const std::int64_t nanoseconds =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return FileStamp{static_cast<std::int64_t>(info.st_size), nanoseconds};
}

CreateResult CreateNewFile(const std::string& path, std::string_view contents, int* error) {
  int ignored = 0;
  int& why = error != nullptr ? *error : ignored;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return (why = errno) == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
  bool complete = true;
  for (std::size_t done = 0; done < contents.size();) {
    const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = n < 0 ? errno : ENOSPC;
      complete = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0 && complete) {
    why = errno;
    complete = false;
  }
  if (complete) return CreateResult::Created;
  // A half-written file would be read as the user's own next time; removing it
  // lets the next start write the defaults again.
  unlink(path.c_str());
  return CreateResult::Failed;
}

}  // namespace vexilo::platform
