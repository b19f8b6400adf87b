#pragma once

#include <cstdint>
#include <string>

/// What --fix needs to know of a file's links and permissions, so that
/// mending a file changes its text and nothing else. Paths are UTF-8.
namespace vexilo::check {

/// The file a path names once its symbolic links are followed; the path
/// itself when it is no link or cannot be followed.
std::string FollowLinks(const std::string& path);

/// Gives the file at to the permissions of the file at from, if it can.
void CopyPermissions(const std::string& from, const std::string& to);

}  // namespace vexilo::check
