// Runs one hot path many times inside a function of its own, so that
// valgrind --tool=callgrind --toggle-collect=CountedLoop counts exactly its
// instructions: vexilo_bench_count PATH ITERATIONS.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/load_mappings.hpp"
#include "hot_paths.hpp"
#include "mapping/default_mapping_file.hpp"
#include "mapping/zones.hpp"

namespace {

using namespace vexilo;

volatile std::int64_t sink;

template <std::int32_t (*Lookup)(const char*)>
__attribute__((noinline)) void CountedLoopLookups(const std::vector<std::string>& labels,
                                                  int rounds) {
  std::int64_t sum = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& label : labels) sum += Lookup(label.c_str());
  }
  sink = sum;
}

__attribute__((noinline)) void CountedLoopPlateRequests(int rounds) {
  std::int64_t sum = 0;
  for (int round = 0; round < rounds; ++round) sum += bench::PlateRequest();
  sink = sum;
}

__attribute__((noinline)) void CountedLoopFrames(int rounds) {
  std::int64_t sum = 0;
  for (int round = 0; round < rounds; ++round) sum += bench::Frame();
  sink = sum;
}

__attribute__((noinline)) void CountedLoopLoadMappings() { LoadMappings(); }

// LoadMappings reads .\\Vexilo.txt from the working folder: a scratch folder
// named for the file, made by an earlier run so that an instruction trace of
// this one need not wade through its making.
template <class MakeText>
bool CountLoadMappings(const std::string& name, MakeText makeText) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("vexilo-count-" + name);
  const fs::path file = folder / "Vexilo.txt";
  if (!fs::exists(file)) {
    fs::create_directories(folder);
    std::ofstream(file, std::ios::binary) << makeText();
  }
  fs::current_path(folder);
  CountedLoopLoadMappings();
  return fs::file_size(file) > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || !bench::SetUpHotPaths()) {
    std::fprintf(stderr,
                 "usage: vexilo_bench_count find|scan|plate|frame-on|frame-off "
                 "ITERATIONS | load BYTES | load-default 1\n");
    return 2;
  }
  const std::string path = argv[1];
  const int rounds = std::atoi(argv[2]);
  if (path == "find" || path == "scan") {
    // Every label of the table and as many misses, each looked up once a round.
    std::vector<std::string> labels = bench::TableLabels();
    labels.insert(labels.end(), bench::MissingLabels().begin(), bench::MissingLabels().end());
    if (path == "find")
      CountedLoopLookups<FindZoneIndex>(labels, rounds);
    else
      CountedLoopLookups<bench::ScanZoneIndex>(labels, rounds);
  } else if (path == "plate") {
    CountedLoopPlateRequests(rounds);
  } else if (path == "load") {
    const auto bytes = static_cast<std::size_t>(rounds);
    if (!CountLoadMappings(std::to_string(bytes), [bytes] { return bench::MixedMappingText(bytes); }))
      return 1;
  } else if (path == "load-default") {
    if (!CountLoadMappings("default", DefaultMappingFileText)) return 1;
  } else if (path == "frame-on" || path == "frame-off") {
    bench::SetUpFrames(path == "frame-on");
    CountedLoopFrames(rounds);
  } else {
    return 2;
  }
  return 0;
}
