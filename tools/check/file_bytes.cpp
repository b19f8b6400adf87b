#include "file_bytes.hpp"

#include <filesystem>
#include <system_error>

#include "os.hpp"

namespace vexilo::check {

FileBytes::FileBytes(const std::string& path) {
  const auto native = std::filesystem::u8path(platform::NativePath(path));
  std::error_code error;
  // Only a regular file opens, so that a FIFO cannot hold the check waiting for a writer.
  if (!std::filesystem::is_regular_file(native, error)) return;
  size_ = std::filesystem::file_size(native, error);
  if (!error) file_.open(native, std::ios::binary);
}

bool FileBytes::ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) {
  file_.clear();
  return file_.seekg(static_cast<std::streamoff>(offset)) &&
         file_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
}

std::string WhyNotOpened(const std::string& path) {
  const PathKind kind = KindOfPath(platform::NativePath(path));
  if (kind == PathKind::Missing) return "there is no such file";
  if (kind == PathKind::Folder) return "it is a folder";
  return "it does not open (is it open in another program, or yours to read?)";
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason) {
  FileBytes file(path);
  if (!file.IsOpen() || file.Size() > limit) {
    reason = file.IsOpen() ? "it is larger than " + std::to_string(limit) + " bytes"
                           : WhyNotOpened(path);
    return false;
  }
  bytes.assign(static_cast<std::size_t>(file.Size()), '\0');
  if (file.ReadAt(0, bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()))) return true;
  reason = "a read error";
  return false;
}

}  // namespace vexilo::check
