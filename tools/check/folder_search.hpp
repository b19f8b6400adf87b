#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// Files found by name in a game folder and its subfolders, as the checker
/// looks for the files the game and its tools read.
namespace vexilo::check {

/// How deep under each folder a search goes: the game keeps its files a few
/// folders down (models/generic/vehicle.txd).
inline constexpr int kSearchDepth = 3;

/// Every file whose name pleases wanted in the folders (each UTF-8, with its
/// separator; "" for the current one) and their subfolders, kSearchDepth
/// levels deep: shallowest first, in name order. Folders that cannot be read
/// are passed over.
std::vector<std::string> FindFiles(const std::vector<std::string>& folders,
                                   const std::function<bool(std::string_view)>& wanted);

}  // namespace vexilo::check
