#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The plug-in's only window onto the operating system. Everything that would
/// include <windows.h> or a POSIX header lives behind these declarations, with
/// one implementation file per OS.
namespace vexilo::platform {

/// An OS page-protection value, opaque outside the implementation.
using Protection = std::uint32_t;

/// Makes [address, address + size) readable, writable and executable.
/// On success stores the protection the first page had before and returns
/// true; on failure (an unmapped page, say) changes nothing and returns false.
bool Unprotect(std::uintptr_t address, std::size_t size, Protection* previous);

/// Puts back a protection that Unprotect reported for the same range.
void Reprotect(std::uintptr_t address, std::size_t size, Protection previous);

/// The protection of the page holding address, or nothing when it is unmapped.
std::optional<Protection> QueryProtection(std::uintptr_t address);

/// True when a protection value allows writing.
bool IsWritable(Protection protection);

/// True when a protection value allows reading.
bool IsReadable(Protection protection);

/// Puts desired into the 8 bytes at an 8-byte aligned address in one
/// indivisible step, if they still hold expected. Returns what they held, so
/// the store happened exactly when the result equals expected. The bytes must
/// be writable.
std::uint64_t CompareExchange64(std::uintptr_t address, std::uint64_t expected,
                                std::uint64_t desired);

/// Makes freshly written code visible to instruction fetch.
void FlushCode(std::uintptr_t address, std::size_t size);

/// Load address of the host's main executable.
std::uintptr_t HostModuleBase();

/// Tells the user of a failure: a modal "Error" box with the error icon on
/// Windows, a line on standard error elsewhere. Returns once it is dismissed.
void ShowErrorBox(const std::string& text);

/// The path the OS should open for a path written the Windows way
/// (".\Vexilo.txt" names "./Vexilo.txt" on POSIX). Paths are UTF-8; Windows
/// opens them through its UTF-16 API.
std::string NativePath(std::string_view path);

/// A regular file opened for reading, shared with other readers and writers,
/// closed when the object goes.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  /// False when the path does not name a readable regular file.
  bool is_open() const { return handle_ != kClosed; }

  /// Reads up to size bytes: the count read, 0 at the end, -1 on a read error.
  std::ptrdiff_t Read(char* buffer, std::size_t size);

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t handle_ = kClosed;
};

/// Milliseconds since some fixed moment, from a clock that only ever moves
/// forward, whatever is done to the wall clock: for telling intervals.
std::int64_t MonotonicMilliseconds();

/// What a file's size and last-write time tell of its contents: a save gives
/// the file a new stamp unless it keeps both.
struct FileStamp {
  std::int64_t size;
  std::int64_t writeTime;  ///< in the OS's own units

  friend bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.writeTime == b.writeTime;
  }
  friend bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }
};

/// The stamp of whatever is at path, without opening it; nothing when
/// nothing is there or it cannot be told.
std::optional<FileStamp> QueryFileStamp(const std::string& path);

enum class CreateResult {
  Created,        ///< the file did not exist and now holds the contents
  AlreadyExists,  ///< something is at the path already; it was not touched
  Failed,         ///< the file could not be created or fully written; nothing is left behind
};

/// Creates a file that must not exist yet and writes contents into it whole.
/// Never opens, empties or replaces anything already at the path. Unless
/// Created, puts the OS's error code (errno, or Windows' last error) in error.
CreateResult CreateNewFile(const std::string& path, std::string_view contents,
                           int* error = nullptr);

#ifdef _WIN32
/// UTF-8 text as the UTF-16 that Windows' wide API takes.
std::wstring Widen(std::string_view text);
#endif

}  // namespace vexilo::platform
