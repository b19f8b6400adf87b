#include <windows.h>

#include <cstring>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "injector/branch.hpp"
#include "plugin_library.hpp"

namespace vexilo::standin {
namespace {

std::vector<ErrorBox>* recording = nullptr;
std::vector<HostBytesAtBox>* recordingHostBytes = nullptr;

int WINAPI RecordMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  if (recording != nullptr) recording->push_back({text ? text : "", caption ? caption : "", type});
  if (recordingHostBytes != nullptr) {
    recordingHostBytes->push_back(
        {HostBytes(host::kPlateDesignRoutine), HostBytes(FrameCallSite())});
  }
  return IDOK;
}

// The real box would wait for a user; a jump over user32's MessageBoxA sends
// every box of this process to the recorder instead.
void RedirectMessageBoxes() {
  static bool redirected = false;
  if (redirected) return;
  redirected = true;
  auto* target =
      reinterpret_cast<unsigned char*>(GetProcAddress(LoadLibraryA("user32.dll"), "MessageBoxA"));
  const auto at = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target));
  const auto to = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&RecordMessageBox));
  const injector::rel32_instruction jump = injector::encode_rel32(injector::kJmpRel32, at, to);
  DWORD old;
  VirtualProtect(target, jump.size(), PAGE_EXECUTE_READWRITE, &old);
  std::memcpy(target, jump.data(), jump.size());
  VirtualProtect(target, jump.size(), old, &old);
  FlushInstructionCache(GetCurrentProcess(), target, jump.size());
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) {
  RedirectMessageBoxes();
  recording = &boxes_;
  recordingHostBytes = &hostBytesAtBoxes_;
  handle_ = LoadLibraryA(path.c_str());
  recording = nullptr;
  recordingHostBytes = nullptr;
  if (handle_ == nullptr)
    error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

PluginLibrary::~PluginLibrary() { Unload(); }

void PluginLibrary::Unload() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

bool PluginLibrary::Contains(std::uint32_t address) const {
  HMODULE owner = nullptr;
  const DWORD flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (handle_ == nullptr ||
      !GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(address)),
                          &owner)) {
    return false;
  }
  return owner == static_cast<HMODULE>(handle_);
}

std::vector<ErrorBox> BoxesShownDuring(const std::function<void()>& action) {
  RedirectMessageBoxes();
  std::vector<ErrorBox> boxes;
  recording = &boxes;
  action();
  recording = nullptr;
  return boxes;
}

void SetEnvironment(const std::string& name, const std::string& value) {
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

}  // namespace vexilo::standin
