#include "game_build.hpp"

#include <algorithm>
#include <cctype>

#include "host/addresses.hpp"
#include "os.hpp"
#include "platform/platform.hpp"

namespace vexilo::check {
namespace {

// An executable on disk, read where the probes and headers need it.
class FileBytes : public ByteSource {
 public:
  explicit FileBytes(const std::string& path)
      : file_(platform::NativePath(path)), size_(file_.Size()) {}
  bool IsOpen() const { return file_.is_open(); }
  bool KnowsSize() const { return size_ >= 0; }
  std::uint64_t Size() const override { return size_ < 0 ? 0 : static_cast<std::uint64_t>(size_); }

  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t* out) override {
    for (std::size_t done = 0; done < size;) {
      const std::ptrdiff_t read = file_.ReadAt(static_cast<std::int64_t>(offset + done),
                                               reinterpret_cast<char*>(out + done), size - done);
      if (read <= 0) return false;
      done += static_cast<std::size_t>(read);
    }
    return true;
  }

 private:
  platform::InputFile file_;
  std::int64_t size_;
};

// The checker as the release package names it, also when this one runs
// under another name (from a build folder, say).
constexpr std::string_view kReleaseName = "vexilo-check.exe";

// Why an executable could not be opened, as the mapping file's reasons go.
std::string CannotOpen(const std::string& path) {
  switch (KindOfPath(platform::NativePath(path))) {
    case PathKind::Missing:
      return "cannot be read: there is no such file";
    case PathKind::Folder:
      return "cannot be read: it is a folder";
    case PathKind::Other:
      break;
  }
  return "cannot be read (is it open in another program, or yours to read?)";
}

bool EndsWithExe(std::string_view name) {
  if (name.size() <= 4) return false;
  std::string tail(name.substr(name.size() - 4));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".exe";
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::int32_t IdentifyBuild(const PeLayout& layout, ByteSource& source) {
  for (const events::VersionProbe& probe : events::kVersionProbes) {
    // The plug-in moves every host address with the base the host is loaded
    // at, so a probe lies at the same offset from the image's start whatever
    // base the executable asks for.
    if (probe.address < host::kPreferredBase) continue;
    const std::optional<std::uint32_t> value =
        ReadImageLe32(layout, source, probe.address - host::kPreferredBase);
    if (value == probe.expected) return probe.version;
  }
  return events::kUnknownHostVersion;
}

GameBuild ReadGameBuild(const std::string& file, ByteSource& source) {
  GameBuild build;
  build.file = file;
  const PeReading reading = ReadPeLayout(source);
  if (!reading.layout) {
    build.problem = reading.problem;
    return build;
  }
  build.version = IdentifyBuild(*reading.layout, source);
  return build;
}

GameBuild ReadGameBuild(const std::string& path) {
  FileBytes bytes(path);
  if (!bytes.IsOpen() || !bytes.KnowsSize()) {
    GameBuild build;
    build.file = path;
    build.problem = CannotOpen(path);
    return build;
  }
  return ReadGameBuild(path, bytes);
}

std::vector<std::string> PickGameExecutables(std::vector<std::string> names,
                                             std::string_view ownName) {
  names.erase(std::remove_if(names.begin(), names.end(),
                             [ownName](const std::string& name) {
                               return !EndsWithExe(name) || SameNameIgnoringCase(name, ownName) ||
                                      SameNameIgnoringCase(name, kReleaseName);
                             }),
              names.end());
  std::sort(names.begin(), names.end());
  return names;
}

std::string FolderOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? "" : std::string(path.substr(0, separator + 1));
}

std::string_view SupportName(events::HostSupport support) {
  switch (support) {
    case events::HostSupport::PlatesAndDebugLine:
      return "plates-and-debug-line";
    case events::HostSupport::PlatesOnly:
      return "plates-only";
    case events::HostSupport::Nothing:
      break;
  }
  return "nothing";
}

std::string NoGameExecutable(const GameSearch& games) {
  if (!games.folderProblem.empty())
    return "cannot read the folder " + games.folder + " (" + games.folderProblem +
           ") to look for the game's .exe; name it with --game FILE";
  return "no .exe beside " + games.beside + "; name the game's executable with --game FILE";
}

std::string DescribeGameBuild(const GameBuild& build) {
  if (!build.Read()) return build.problem;
  const std::string id = "build " + std::to_string(build.version);
  switch (events::SupportOn(build.version)) {
    case events::HostSupport::PlatesAndDebugLine:
      return id + ": Vexilo changes plates and draws the DEBUG line (when Vexilo.txt holds DEBUG)";
    case events::HostSupport::PlatesOnly:
      return "a build Vexilo does not recognise: if this is the game, Vexilo changes plates (it "
             "may be a variant "
             "of 1001 or 1002) but draws no DEBUG line";
    case events::HostSupport::Nothing:
      break;
  }
  return id +
         ": Vexilo leaves the game alone: it patches nothing, the game chooses plates itself, and "
         "no DEBUG "
         "line is drawn";
}

}  // namespace vexilo::check
