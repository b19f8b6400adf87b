#include "mapping/mapping_file.hpp"

#include <vector>

#include "platform/platform.hpp"

namespace vexilo {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

}  // namespace

FileReading ReadMappingFile(const std::string& nativePath, MappingTable& table,
                            MappingReader::Observer* observer) {
  platform::InputFile file(nativePath);
  if (!file.is_open()) return FileReading::NotOpened;
  // The reader keeps no line whole, so the piece it reads is all the memory
  // a file of any length needs.
  std::vector<char> chunk(kReadChunk);
  MappingReader reader(table, observer);
  for (;;) {
    const std::ptrdiff_t n = file.Read(chunk.data(), chunk.size());
    // A failed read is no end of the file: what came before it is not what
    // the file says.
    if (n < 0) return FileReading::Failed;
    if (n == 0) break;
    if (!reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(n))))
      return FileReading::Read;
  }
  reader.Finish();
  return FileReading::Read;
}

}  // namespace vexilo
