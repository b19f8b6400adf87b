#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "plugin_library.hpp"

namespace vexilo::standin {
namespace {

// The POSIX plug-in tells of a failure with a line "Error: <text>" on
// standard error; the stand-in catches those lines while the library starts.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()) {
    std::fflush(stderr);
    saved_ = dup(2);
    if (file_ != nullptr) dup2(fileno(file_), 2);
  }
  ~StderrCapture() {
    if (file_ != nullptr) std::fclose(file_);
    if (saved_ >= 0) close(saved_);
  }

  std::vector<ErrorBox> Finish() {
    std::fflush(stderr);
    dup2(saved_, 2);
    std::vector<ErrorBox> boxes;
    if (file_ == nullptr) return boxes;
    std::rewind(file_);
    char line[4096];
    while (std::fgets(line, sizeof line, file_) != nullptr) {
      std::string text(line);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      if (text.rfind("Error: ", 0) == 0) {
        boxes.push_back({text.substr(7), "Error", kIconError});
      } else {
        std::fprintf(stderr, "%s\n", text.c_str());
      }
    }
    return boxes;
  }

 private:
  std::FILE* file_;
  int saved_ = -1;
};

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) {
  StderrCapture capture;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) error_ = dlerror();
  boxes_ = capture.Finish();
}

PluginLibrary::~PluginLibrary() { Unload(); }

void PluginLibrary::Unload() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

bool PluginLibrary::Contains(std::uint32_t address) const {
  Dl_info info{};
  if (handle_ == nullptr || dladdr(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &info) == 0) {
    return false;
  }
  // dlopen of a loaded object hands back its handle, which names the library.
  void* owner = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (owner != nullptr) dlclose(owner);
  return owner == handle_;
}

}  // namespace vexilo::standin
