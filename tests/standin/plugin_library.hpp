#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexilo::standin {

/// A message box the plug-in showed (on POSIX: a line it wrote to standard error).
struct ErrorBox {
  std::string text;
  std::string caption;
  std::uint32_t type;
};

/// What the host's two patch sites held at a moment while the plug-in showed
/// a box.
struct HostBytesAtBox {
  std::array<std::uint8_t, 5> plateRoutine;
  std::array<std::uint8_t, 5> callSite;
};

/// The MB_ICONERROR style a plug-in's error box must have.
inline constexpr std::uint32_t kIconError = 0x10;

/// The plug-in loaded as the host loads it, unloaded when the object goes.
class PluginLibrary {
 public:
  /// Loads the library; the plug-in's start-up runs now.
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  /// Why the load failed, when it did.
  const std::string& error() const { return error_; }
  /// The boxes the plug-in showed while it started.
  const std::vector<ErrorBox>& boxes() const { return boxes_; }
  /// What the patch sites held while those boxes were up: one look for each
  /// box (Windows), or for each write of a box's line (POSIX).
  const std::vector<HostBytesAtBox>& hostBytesAtBoxes() const { return hostBytesAtBoxes_; }
  /// True when address lies in the library's own image.
  bool Contains(std::uint32_t address) const;
  /// Unloads now; the plug-in's static objects are destroyed.
  void Unload();

 private:
  void* handle_ = nullptr;
  std::string error_;
  std::vector<ErrorBox> boxes_;
  std::vector<HostBytesAtBox> hostBytesAtBoxes_;
};

/// The boxes shown while action ran, after start-up: on POSIX the plug-in's
/// lines on standard error.
std::vector<ErrorBox> BoxesShownDuring(const std::function<void()>& action);

/// Sets an environment variable of the stand-in's process.
void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace vexilo::standin
