// Wall-time benchmarks of the plug-in's hot paths, start-up and loader, each
// beside a baseline measured in the same run.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/load_mappings.hpp"
#include "hot_paths.hpp"
#include "mapping/default_mapping_file.hpp"
#include "mapping/zones.hpp"

namespace {

namespace fs = std::filesystem;
using namespace vexilo;

template <std::int32_t (*Lookup)(const char*)>
void LookUp(benchmark::State& state, const std::vector<std::string>& labels) {
  for (auto _ : state) {
    for (const std::string& label : labels) benchmark::DoNotOptimize(Lookup(label.c_str()));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * labels.size()));
}

void BM_FindZoneIndex_Labels(benchmark::State& state) {
  LookUp<FindZoneIndex>(state, bench::TableLabels());
}
void BM_ScanBaseline_Labels(benchmark::State& state) {
  LookUp<bench::ScanZoneIndex>(state, bench::TableLabels());
}
void BM_FindZoneIndex_Misses(benchmark::State& state) {
  LookUp<FindZoneIndex>(state, bench::MissingLabels());
}
void BM_ScanBaseline_Misses(benchmark::State& state) {
  LookUp<bench::ScanZoneIndex>(state, bench::MissingLabels());
}

void BM_PlateRequest(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bench::PlateRequest());
}
void BM_FrameDebugOn(benchmark::State& state) {
  bench::SetUpFrames(true);
  for (auto _ : state) benchmark::DoNotOptimize(bench::Frame());
}
void BM_FrameDebugOff(benchmark::State& state) {
  bench::SetUpFrames(false);
  for (auto _ : state) benchmark::DoNotOptimize(bench::Frame());
}
void BM_FrameBaseline_HostCalleeAlone(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(bench::FrameWithoutPlugin());
}

// Mapping files, made once in a scratch folder.
fs::path Scratch() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / "vexilo-bench";
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

fs::path MixedFile() {
  const fs::path path = Scratch() / "mixed.txt";
  if (!fs::exists(path))
    std::ofstream(path, std::ios::binary) << bench::MixedMappingText(50u * 1000 * 1000);
  return path;
}

fs::path LongLineFile() {
  const fs::path path = Scratch() / "long-line.txt";
  if (!fs::exists(path))
    std::ofstream(path, std::ios::binary) << std::string(10u * 1000 * 1000, ' ') << "5=3\r\n";
  return path;
}

fs::path DefaultFile() {
  const fs::path path = Scratch() / "default.txt";
  if (!fs::exists(path)) std::ofstream(path, std::ios::binary) << DefaultMappingFileText();
  return path;
}

void LoadMappingsFrom(benchmark::State& state, const fs::path& file) {
  const fs::path folder = Scratch() / "load";
  fs::create_directories(folder);
  fs::copy_file(file, folder / "Vexilo.txt", fs::copy_options::overwrite_existing);
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  for (auto _ : state) LoadMappings();
  fs::current_path(previous);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

// The floor: the same bytes read in the same pieces, doing nothing with them.
void ReadOnly(benchmark::State& state, const fs::path& file) {
  std::vector<char> chunk(64 * 1024);
  for (auto _ : state) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    while (std::fread(chunk.data(), 1, chunk.size(), in) > 0) benchmark::ClobberMemory();
    std::fclose(in);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(file)));
}

void BM_LoadMappings_Default(benchmark::State& state) { LoadMappingsFrom(state, DefaultFile()); }
void BM_LoadMappings_Mixed50MB(benchmark::State& state) { LoadMappingsFrom(state, MixedFile()); }
void BM_LoadMappings_OneLine10MB(benchmark::State& state) {
  LoadMappingsFrom(state, LongLineFile());
}
void BM_ReadBaseline_Mixed50MB(benchmark::State& state) { ReadOnly(state, MixedFile()); }

// Start-up as a whole: load and unload the plug-in with its default file.
void LoadAndUnload(benchmark::State& state, const char* library) {
  const fs::path folder = Scratch() / "start";
  fs::create_directories(folder);
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  for (auto _ : state) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      state.SkipWithError(dlerror());
      break;
    }
    dlclose(handle);
  }
  fs::current_path(previous);
}

void BM_StartUp_Plugin(benchmark::State& state) { LoadAndUnload(state, VEXILO_PLUGIN_PATH); }
void BM_StartUpBaseline_EmptyLibrary(benchmark::State& state) {
  LoadAndUnload(state, VEXILO_EMPTY_LIBRARY_PATH);
}

BENCHMARK(BM_FindZoneIndex_Labels);
BENCHMARK(BM_ScanBaseline_Labels);
BENCHMARK(BM_FindZoneIndex_Misses);
BENCHMARK(BM_ScanBaseline_Misses);
BENCHMARK(BM_PlateRequest);
BENCHMARK(BM_FrameDebugOn);
BENCHMARK(BM_FrameDebugOff);
BENCHMARK(BM_FrameBaseline_HostCalleeAlone);
BENCHMARK(BM_LoadMappings_Default)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadMappings_Mixed50MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMappings_OneLine10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBaseline_Mixed50MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUp_Plugin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartUpBaseline_EmptyLibrary)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::SetUpHotPaths()) return 3;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
