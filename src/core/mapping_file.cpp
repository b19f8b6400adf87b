#include "core/mapping_file.hpp"

#include <vector>

#include "core/default_mapping_file.hpp"
#include "core/mappings.hpp"
#include "platform/platform.hpp"

namespace vexilo {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

void ReportFailure(const char* message) {
  platform::ShowErrorBox(std::string(message) + configPath);
}

}  // namespace

bool ReadMappingFile(const std::string& nativePath, MappingTable& table,
                     MappingReader::Observer* observer) {
  platform::InputFile file(nativePath);
  if (!file.is_open()) return false;
  // The reader keeps no line whole, so the piece it reads is all the memory
  // a file of any length needs.
  std::vector<char> chunk(kReadChunk);
  MappingReader reader(table, observer);
  for (std::ptrdiff_t n; (n = file.Read(chunk.data(), chunk.size())) > 0;) {
    if (!reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) return true;
  }
  reader.Finish();
  return true;
}

void WriteDefaultMappingFile() {
  const std::string path = platform::NativePath(configPath);
  if (platform::CreateNewFile(path, DefaultMappingFileText()) == platform::CreateResult::Failed) {
    ReportFailure(kCreateFailedMessage);
  }
}

void LoadMappings() {
  plateMappings.fill(0);
  try {
    const std::string path = platform::NativePath(configPath);
    MappingTable table;
    bool opened = ReadMappingFile(path, table);
    if (!opened) {
      WriteDefaultMappingFile();
      table = MappingTable{};
      opened = ReadMappingFile(path, table);
    }
    if (!opened) {
      ReportFailure(kOpenFailedMessage);
      return;
    }
    plateMappings = table.plates;
    if (table.debug) debugEnabled = true;
  } catch (...) {
    // Start-up runs inside the host's loader lock: nothing may escape it.
    // plateMappings stays all zero, so every zone keeps plateback 0.
  }
}

}  // namespace vexilo
