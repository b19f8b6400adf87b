#pragma once

#include <cstdint>
#include <string>

/// Things a user's or a host's machine can throw at the plug-in that only
/// the OS can make: files that exist but cannot be read, dangling links,
/// host pages that cannot be unlocked.
namespace vexilo::standin {

/// Puts something at path that exists but cannot be opened for reading, for
/// the object's life: on Windows a file with these bytes that another handle
/// holds exclusively, on POSIX a FIFO (which would also hang a blocking open).
class UnreadableFile {
 public:
  UnreadableFile(const std::string& path, const std::string& bytes);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  std::intptr_t handle_ = -1;
};

/// Puts something at path that opens as a regular file but whose first read
/// fails, for the object's life: on Windows a file with these bytes over
/// which another handle holds a byte-range lock, on POSIX a link to the
/// process's own memory file, read from address 0, which is never mapped.
class FileThatFailsToRead {
 public:
  FileThatFailsToRead(const std::string& path, const std::string& bytes);
  ~FileThatFailsToRead();
  FileThatFailsToRead(const FileThatFailsToRead&) = delete;
  FileThatFailsToRead& operator=(const FileThatFailsToRead&) = delete;

  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  std::intptr_t handle_ = -1;
};

/// Makes path a symbolic link to a target that does not exist; false where
/// the platform cannot.
bool MakeDanglingLink(const std::string& path, const std::string& target);

/// Takes the host page at address away, so that no protection change there
/// can succeed; false where the platform cannot (the Windows stand-in's host
/// range is part of its own image). RestoreHostPage maps it again.
bool UnmapHostPage(std::uint32_t address);
void RestoreHostPage(std::uint32_t address);

}  // namespace vexilo::standin
