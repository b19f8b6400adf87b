#include "file_bytes.hpp"

#include <cstddef>

#include "os.hpp"

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

std::string WhyCannotOpen(const std::string& path) {
  switch (KindOfPath(platform::NativePath(path))) {
    case PathKind::Missing:
      return "cannot be read: there is no such file";
    case PathKind::Folder:
      return "cannot be read: it is a folder";
    case PathKind::Other:
      break;
  }
  return "cannot be read (is it open in another program, or yours to read?)";
}

}  // namespace vexilo::check
