#include "mapping/mapping_file.hpp"

#include "platform/platform.hpp"

namespace vexilo {

FileReading ReadMappingFile(const std::string& nativePath, MappingTable& table,
                            LineObserver* observer) {
  platform::InputFile file(nativePath);
  if (!file.is_open()) return FileReading::NotOpened;
  const bool read = ReadMappingText(
      [&file](char* buffer, std::size_t size) { return file.Read(buffer, size); }, table, observer);
  return read ? FileReading::Read : FileReading::Failed;
}

}  // namespace vexilo
