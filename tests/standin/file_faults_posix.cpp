#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_faults.hpp"

namespace vexilo::standin {
namespace {

void* PageOf(std::uint32_t address) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address & ~0xFFFu));
}

}  // namespace

UnreadableFile::UnreadableFile(const std::string& path, const std::string&) {
  ok_ = mkfifo(path.c_str(), 0644) == 0;
}

UnreadableFile::~UnreadableFile() = default;

FileThatFailsToRead::FileThatFailsToRead(const std::string& path, const std::string&) {
  ok_ = symlink("/proc/self/mem", path.c_str()) == 0;
}

FileThatFailsToRead::~FileThatFailsToRead() = default;

bool MakeDanglingLink(const std::string& path, const std::string& target) {
  return symlink(target.c_str(), path.c_str()) == 0;
}

bool UnmapHostPage(std::uint32_t address) { return munmap(PageOf(address), 0x1000) == 0; }

void RestoreHostPage(std::uint32_t address) {
  mmap(PageOf(address), 0x1000, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
       0);
}

}  // namespace vexilo::standin
