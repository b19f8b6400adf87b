#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace vexilo::testing {

/// A fresh, empty working folder for the life of the object; the old working
/// folder comes back and the scratch folder goes when it is destroyed.
class ScratchDir {
 public:
  ScratchDir() : previous_(std::filesystem::current_path()) {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("vexilo-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vexilo::testing
