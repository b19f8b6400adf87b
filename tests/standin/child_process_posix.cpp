#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

#include "child_process.hpp"

namespace vexilo::standin {
namespace {

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

ChildOutcome Outcome(int status) {
  if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
  return {true, 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0)};
}

}  // namespace

ChildOutcome RunStandinAgain(const std::vector<std::string>& args, int limitSeconds) {
  const std::string self = OwnPath();
  std::vector<char*> argv{const_cast<char*>(self.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return {false, -1};
  if (child == 0) {
    execv(self.c_str(), argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return {false, -1};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Outcome(status);
}

}  // namespace vexilo::standin
