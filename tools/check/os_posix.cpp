#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "os.hpp"

namespace vexilo::check {

bool ShowsColours(std::FILE* out) { return isatty(fileno(out)) != 0; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void WriteText(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

std::string ReadConsoleLine() {
  std::string line;
  for (int c; (c = std::getchar()) != EOF && c != '\n';) line += static_cast<char>(c);
  return line;
}

// No POSIX program gets a console window of its own to close.
ConsoleFacts QueryConsole() { return ConsoleFacts{}; }

std::string ProgramPath() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).u8string();
}

std::uint32_t NamesOf(const std::string& path) {
  std::error_code error;
  const std::uintmax_t links = std::filesystem::hard_link_count(path, error);
  return error || links == 0 ? 1 : static_cast<std::uint32_t>(links);
}

bool IsReadOnlyFile(const std::string& path) {
  // A file no one may write is read-only to root too, who could write it anyway.
  struct stat status {};
  return access(path.c_str(), W_OK) != 0 ||
         (stat(path.c_str(), &status) == 0 && (status.st_mode & 0222) == 0);
}

std::FILE* OpenToWrite(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

bool FlushToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool ReplaceFileWith(const std::string& from, const std::string& to, std::string& reason) {
  CopyPermissions(to, from);
  std::error_code error;
  std::filesystem::rename(from, to, error);
  if (error) reason = error.message();
  return !error;
}

}  // namespace vexilo::check
