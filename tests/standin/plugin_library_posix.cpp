#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/addresses.hpp"
#include "host_image.hpp"
#include "plugin_library.hpp"

namespace vexilo::standin {
namespace {

// What the patch sites held each time the plug-in wrote to standard error,
// taken by a signal handler on the writing thread itself.
constexpr int kMaxLooks = 16;
HostBytesAtBox looks[kMaxLooks];
volatile sig_atomic_t lookCount = 0;

void LookAtHost(int) {
  if (lookCount >= kMaxLooks) return;
  looks[lookCount] = {HostBytes(host::kPlateDesignRoutine), HostBytes(FrameCallSite())};
  lookCount = lookCount + 1;
}

// The POSIX plug-in tells of a failure with a line "Error: <text>" on
// standard error. The stand-in catches those lines in a pipe while the
// library starts. The pipe signals the loading thread the moment a line is
// written to it, so the handler sees the host as it is while the "box" is up,
// before the plug-in's next step.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    if (pipe(fds_) != 0) return;
    saved_ = dup(2);
    struct sigaction action {};
    action.sa_handler = LookAtHost;
    sigaction(kSignal, &action, &previousAction_);
    lookCount = 0;
    const f_owner_ex owner{F_OWNER_TID, gettid()};
    fcntl(fds_[0], F_SETOWN_EX, &owner);
    fcntl(fds_[0], F_SETSIG, kSignal);
    fcntl(fds_[0], F_SETFL, O_NONBLOCK | O_ASYNC);
    dup2(fds_[1], 2);
  }
  ~StderrCapture() {
    for (int fd : fds_) {
      if (fd >= 0) close(fd);
    }
    if (saved_ >= 0) close(saved_);
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::vector<ErrorBox> Finish(std::vector<HostBytesAtBox>& hostBytes) {
    std::fflush(stderr);
    if (saved_ < 0) return {};
    dup2(saved_, 2);
    fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    sigaction(kSignal, &previousAction_, nullptr);
    hostBytes.assign(looks, looks + lookCount);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds_[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    std::vector<ErrorBox> boxes;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(start, end - start);
      start = end + 1;
      if (line.rfind("Error: ", 0) == 0) {
        boxes.push_back({line.substr(7), "Error", kIconError});
      } else {
        std::fprintf(stderr, "%s\n", line.c_str());
      }
    }
    return boxes;
  }

 private:
  static constexpr int kSignal = SIGURG;
  int fds_[2] = {-1, -1};
  int saved_ = -1;
  struct sigaction previousAction_ {};
};

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) {
  StderrCapture capture;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
  boxes_ = capture.Finish(hostBytesAtBoxes_);
}

PluginLibrary::~PluginLibrary() { Unload(); }

void PluginLibrary::Unload() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

bool PluginLibrary::Contains(std::uint32_t address) const {
  Dl_info info{};
  if (handle_ == nullptr ||
      dladdr(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &info) == 0) {
    return false;
  }
  // dlopen of a loaded object hands back its handle, which names the library.
  void* owner = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (owner != nullptr) dlclose(owner);
  return owner == handle_;
}

std::vector<ErrorBox> BoxesShownDuring(const std::function<void()>& action) {
  StderrCapture capture;
  action();
  std::vector<HostBytesAtBox> ignored;
  return capture.Finish(ignored);
}

void SetEnvironment(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace vexilo::standin
