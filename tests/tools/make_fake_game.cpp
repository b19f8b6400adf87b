// make-fake-game FILE KIND...: writes a small executable made by the tests,
// for the command-line tests and the fuzzer's seeds. KIND is a build id
// (1001 ... 3210), 0 for a build no probe names, or a broken file: text,
// dos (no PE header), x64, truncated (headers cut short), past-end (a section
// beyond the end of the file), or txd:NAME,NAME... for a texture dictionary of
// those textures. Pairs of FILE KIND may follow.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fake_game_executable.hpp"
#include "fake_texture_dictionary.hpp"

namespace {

using namespace vexilo::testing;

bool Make(const std::string& kind, std::string& bytes) {
  if (kind.rfind("txd:", 0) == 0) {
    std::vector<std::string> names;
    for (std::size_t at = 4; at <= kind.size();) {
      const std::size_t comma = std::min(kind.find(',', at), kind.size());
      names.push_back(kind.substr(at, comma - at));
      at = comma + 1;
    }
    bytes = FakeTextureDictionary(names);
  } else if (kind == "text") {
    bytes = "DEBUG\n0-376=1\n";
  } else if (kind == "dos") {
    bytes = FakeGameExecutable(0);
    bytes[kFakePeHeaderAt] = 'N';
  } else if (kind == "x64") {
    bytes = FakeGameExecutable(1001);
    PutLe16(bytes, kFakePeHeaderAt + 4, 0x8664);
  } else if (kind == "truncated") {
    bytes = FakeGameExecutable(1001).substr(0, kFakeSectionTableAt + 20);
  } else if (kind == "past-end") {
    bytes = FakeGameExecutable(1001).substr(0, 0x1C00);
  } else {
    char* end = nullptr;
    const long build = std::strtol(kind.c_str(), &end, 10);
    if (kind.empty() || *end != '\0') return false;
    bytes = FakeGameExecutable(static_cast<std::int32_t>(build));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: make-fake-game FILE KIND [FILE KIND]...\n");
    return 2;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string bytes;
    if (!Make(argv[i + 1], bytes)) {
      std::fprintf(stderr, "make-fake-game: no kind %s\n", argv[i + 1]);
      return 2;
    }
    std::ofstream out(argv[i], std::ios::binary);
    if (!(out << bytes) || !out.flush()) {
      std::fprintf(stderr, "make-fake-game: cannot write %s\n", argv[i]);
      return 2;
    }
  }
  return 0;
}
