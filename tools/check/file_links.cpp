#include "file_links.hpp"

#include <filesystem>
#include <system_error>

namespace vexilo::check {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) { return fs::u8path(utf8); }

}  // namespace

std::string FollowLinks(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(PathOf(path), error)) return path;
  const fs::path target = fs::canonical(PathOf(path), error);
  return error ? path : target.u8string();
}

void CopyPermissions(const std::string& from, const std::string& to) {
  std::error_code error;
  const fs::perms perms = fs::status(PathOf(from), error).permissions();
  if (!error) fs::permissions(PathOf(to), perms, fs::perm_options::replace, error);
}

}  // namespace vexilo::check
