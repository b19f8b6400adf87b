#include "core/mapping_file.hpp"

#include <new>
#include <vector>

#include "core/backward_mapping_reader.hpp"
#include "core/default_mapping_file.hpp"
#include "core/mappings.hpp"
#include "platform/platform.hpp"

namespace vexilo {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

void ReportFailure(const char* message) { platform::ShowErrorBox(std::string(message) + configPath); }

// Reads [start, end) of the file whole; false when the file cannot give it.
bool ReadSpan(platform::InputFile& file, std::int64_t start, std::int64_t end, std::vector<char>& chunk) {
  const auto size = static_cast<std::size_t>(end - start);
  for (std::size_t done = 0; done < size;) {
    const std::ptrdiff_t n = file.ReadAt(start + static_cast<std::int64_t>(done), chunk.data() + done, size - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The whole file read from its end, into a copy of table that is kept only
// when every byte could be read: where a read fails part-way or a line is
// too long to hold, only the forward reading knows which lines came first.
bool ReadFromTheEnd(platform::InputFile& file, MappingTable& table) {
  // Some files tell a size of 0 whatever they hold (Linux's /proc ones);
  // only reading from the start finds their end. A file of one piece is read
  // whole either way, without the bookkeeping of what later lines set.
  const std::int64_t size = file.Size();
  if (size <= static_cast<std::int64_t>(kReadChunk)) return false;
  try {
    MappingTable read = table;
    BackwardMappingReader reader(read);
    std::vector<char> chunk(kReadChunk);
    for (std::int64_t end = size; end > 0;) {
      const std::int64_t start = end > static_cast<std::int64_t>(kReadChunk) ? end - static_cast<std::int64_t>(kReadChunk) : 0;
      if (!ReadSpan(file, start, end, chunk)) return false;
      reader.FeedPreceding(std::string_view(chunk.data(), static_cast<std::size_t>(end - start)));
      end = start;
    }
    reader.Finish();
    table = read;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

bool ReadMappingFile(const std::string& nativePath, MappingTable& table, MappingReader::Observer* observer) {
  platform::InputFile file(nativePath);
  if (!file.is_open()) return false;
  // A tool that explains every line needs them in order; the loader only
  // needs the table.
  if (observer == nullptr && ReadFromTheEnd(file, table)) return true;
  MappingReader reader(table, observer);
  try {
    std::vector<char> chunk(kReadChunk);
    for (std::ptrdiff_t n; (n = file.Read(chunk.data(), chunk.size())) > 0;) {
      if (!reader.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) return true;
    }
    reader.Finish();
  } catch (const std::bad_alloc&) {
    // A line too long to hold ends the reading like a read error: the lines
    // before it keep their effect.
  }
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
