#include "file_bytes.hpp"

#include <cstddef>

#include "platform/platform.hpp"

namespace vexilo::check {

FileBytes::FileBytes(const std::string& path)
    : file_(platform::NativePath(path)), size_(file_.Size()) {}

bool FileBytes::ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) {
  for (std::size_t done = 0; done < size;) {
    const std::ptrdiff_t read = file_.ReadAt(static_cast<std::int64_t>(offset + done),
                                             reinterpret_cast<char*>(out + done), size - done);
    if (read <= 0) return false;
    done += static_cast<std::size_t>(read);
  }
  return true;
}

std::string WhyNotOpened(const std::string& path) {
  switch (KindOfPath(platform::NativePath(path))) {
    case PathKind::Missing:
      return "there is no such file";
    case PathKind::Folder:
      return "it is a folder";
    case PathKind::Other:
      break;
  }
  return "";
}

std::string WhyCannotOpen(const std::string& path) {
  const std::string why = WhyNotOpened(path);
  if (why.empty()) return "cannot be read (is it open in another program, or yours to read?)";
  return "cannot be read: " + why;
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                   std::string& reason) {
  FileBytes file(path);
  if (!file.IsOpen()) {
    reason = WhyNotOpened(path);
    if (reason.empty())
      reason = "it does not open (is it open in another program, or yours to read?)";
    return false;
  }
  if (file.Size() > limit) {
    reason = "it is larger than " + std::to_string(limit) + " bytes";
    return false;
  }
  bytes.assign(static_cast<std::size_t>(file.Size()), '\0');
  if (!file.ReadAt(0, bytes.size(), reinterpret_cast<std::uint8_t*>(bytes.data()))) {
    reason = "a read error";
    return false;
  }
  return true;
}

}  // namespace vexilo::check
