#include "core/load_mappings.hpp"

#include <string>

#include "core/mappings.hpp"
#include "mapping/default_mapping_file.hpp"
#include "mapping/mapping_file.hpp"
#include "platform/platform.hpp"

namespace vexilo {
namespace {

void ReportFailure(const char* message) {
  platform::ShowErrorBox(std::string(message) + configPath);
}

}  // namespace

void WriteDefaultMappingFile() {
  const std::string path = platform::NativePath(configPath);
  if (platform::CreateNewFile(path, DefaultMappingFileText()) == platform::CreateResult::Failed) {
    ReportFailure(kCreateFailedMessage);
  }
}

void LoadMappings() {
  StoreMappings({});
  try {
    const std::string path = platform::NativePath(configPath);
    MappingTable table;
    FileReading reading = ReadMappingFile(path, table);
    if (reading == FileReading::NotOpened) {
      WriteDefaultMappingFile();
      table = MappingTable{};
      reading = ReadMappingFile(path, table);
    }
    if (reading != FileReading::Read) {
      ReportFailure(kOpenFailedMessage);
      return;
    }
    StoreMappings(table.plates);
    if (table.debug) debugEnabled = true;
  } catch (...) {
    // Start-up runs inside the host's loader lock: nothing may escape it.
    // plateMappings stays all zero, so every zone keeps plateback 0.
  }
}

}  // namespace vexilo
