#include "folder_search.hpp"

#include <algorithm>
#include <deque>
#include <utility>

#include "os.hpp"

namespace vexilo::check {
namespace {

// Bounds a search in a folder tree of links or a whole drive.
constexpr std::size_t kMostFoldersSearched = 2000;

}  // namespace

std::vector<std::string> FindFiles(const std::vector<std::string>& folders,
                                   const std::function<bool(std::string_view)>& wanted) {
  std::vector<std::string> found;
  std::deque<std::pair<std::string, int>> queue;
  for (const std::string& folder : folders) queue.emplace_back(folder, 0);
  for (std::size_t searched = 0; !queue.empty() && searched < kMostFoldersSearched; ++searched) {
    const auto [folder, depth] = queue.front();
    queue.pop_front();
    std::vector<std::string> names;
    std::string unreadable;
    FileNamesIn(folder, names, unreadable);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      if (wanted(name)) found.push_back(folder + name);
    }
    if (depth == kSearchDepth) continue;
    std::vector<std::string> subfolders = FolderNamesIn(folder);
    std::sort(subfolders.begin(), subfolders.end());
    for (const std::string& name : subfolders) queue.emplace_back(folder + name + "/", depth + 1);
  }
  return found;
}

}  // namespace vexilo::check
