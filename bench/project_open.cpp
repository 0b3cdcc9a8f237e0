// Open of hostile project files (keys far outside the timing curve's range,
// a huge output, long stale selections, a named pipe for a picture, many
// feature points, many pairs sharing one 1024 x 1024 picture), of large
// ones (10 to 10,000 pairs, long timing curves, wipe masks, lines without
// points, pairs without pictures) and of projects naming one large picture,
// with the renderer attached as in the editor. Each open runs in a child process of
// its own, so that its CPU time and its peak memory are its own; a child
// that runs past a minute is ended and reported as such.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "imaging/large_picture_files.h"
#include "model/hostile_projects.h"
#include "model/project/morph_project.h"

namespace {

constexpr int kSide = 1024;
constexpr int kSmallSide = 64;
constexpr unsigned kSecondsAllowed = 60;
// The machine is shared: a child that would take more is stopped by this.
constexpr rlim_t kAddressSpace = rlim_t{6} << 30;

struct Figures {
  double cpuSeconds = -1;
  double peakMegabytes = -1;
  int opened = -1;  // -1: the child did not finish
};

double StatusMegabytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == std::string(key) + ":") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
  return 0.0;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

Figures OpenInChild(const std::string& path) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const rlimit limit{kAddressSpace, kAddressSpace};
    setrlimit(RLIMIT_AS, &limit);
    alarm(kSecondsAllowed);
    CMorphProject* project = GetMorphProject();
    project->InitDirect3D(nullptr);
    // The parent's freed heap is resident in the child too: given back, so
    // the open's memory shows in the high-water mark instead of reusing it.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = StatusMegabytes("VmRSS"), cpu = CpuSeconds();
    Figures f;
    f.opened = project->LoadProjectFile(compat::FromHostPath(path).c_str()) ? 1 : 0;
    f.cpuSeconds = CpuSeconds() - cpu;
    f.peakMegabytes = StatusMegabytes("VmHWM") - before;
    (void)!write(channel[1], &f, sizeof f);
    _exit(0);
  }
  close(channel[1]);
  Figures f;
  if (read(channel[0], &f, sizeof f) != sizeof f) f = Figures{};
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return f;
}

struct Kinds {
  Kinds() {
    folder = std::filesystem::temp_directory_path() / ("calvetta-open-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::vector<DWORD> pixels(static_cast<size_t>(kSide) * kSide);
    for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = 0xFF000000 | static_cast<DWORD>((k % kSide) ^ (k / kSide));
    const std::u16string picture = compat::FromHostPath((folder / "shared.bmp").string());
    CImageFile().Save(CString(picture), 0, 0, kSide, kSide, pixels.data(), 0);
    mkfifo((folder / "pipe.bmp").c_str(), 0600);
    list = pvk::HostileProjects(picture, compat::FromHostPath((folder / "pipe.bmp").string()));
    // Open time and memory against the project's size: pairs of a small
    // picture, pairs of many points, wipe masks, long timing curves, lines
    // without points (refused) and pairs without pictures.
    std::vector<DWORD> small(static_cast<size_t>(kSmallSide) * kSmallSide, 0xFF336699);
    const std::u16string smallPicture = compat::FromHostPath((folder / "small.bmp").string());
    CImageFile().Save(CString(smallPicture), 0, 0, kSmallSide, kSmallSide, small.data(), 0);
    for (int pairs : {10, 100, 1000, 10000}) list.push_back(pvk::ManyPairs(smallPicture, pairs));
    list.push_back(pvk::ManyPairs(smallPicture, 100, 2048));
    list.push_back(pvk::ManyPairs(smallPicture, 10000, 0, true));
    list.push_back(pvk::ManyKeys(40, 65536));
    list.push_back(pvk::EmptyLines(64, 65536));
    list.push_back(pvk::ManyPairs(u"", 10000));
    for (const pvk::HostileProject& kind : list)
      std::ofstream(folder / (kind.name + ".pvk"), std::ios::binary)
          .write(reinterpret_cast<const char*>(kind.bytes.data()), static_cast<std::streamsize>(kind.bytes.size()));
  }
  ~Kinds() { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
  std::vector<pvk::HostileProject> list;
};

Kinds& AllKinds() {
  static Kinds kinds;
  return kinds;
}

void BM_OpenHostileProject(benchmark::State& state) {
  const pvk::HostileProject& kind = AllKinds().list[static_cast<size_t>(state.range(0))];
  state.SetLabel(kind.name);
  Figures f;
  for (auto _ : state) f = OpenInChild((AllKinds().folder / (kind.name + ".pvk")).string());
  state.counters["cpu_s"] = f.cpuSeconds;
  state.counters["peak_MB"] = f.peakMegabytes;
  state.counters["opened"] = f.opened;
  state.counters["file_KB"] = static_cast<double>(kind.bytes.size()) / 1024.0;
}

BENCHMARK(BM_OpenHostileProject)->DenseRange(0, 19)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A project naming one large picture as its target (its source, a named pipe,
// is refused at once): a 16384 x 16384 PNG of a few hundred kilobytes, and an
// 8000 x 6000 camera photo.
struct LargePictures {
  LargePictures() {
    folder = std::filesystem::temp_directory_path() / ("calvetta-large-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    mkfifo((folder / "pipe.bmp").c_str(), 0600);
    const std::u16string pipe = compat::FromHostPath((folder / "pipe.bmp").string());
    imaging_test::WriteLargePng((folder / "huge.png").string(), 16384, 16384);
    imaging_test::WriteLargeJpeg((folder / "camera.jpg").string(), 8000, 6000);
    for (const char* name : {"huge.png", "camera.jpg"}) {
      for (const pvk::HostileProject& kind : pvk::HostileProjects(compat::FromHostPath((folder / name).string()), pipe))
        if (kind.name == "picture_pipe")
          std::ofstream(folder / (std::string(name) + ".pvk"), std::ios::binary)
              .write(reinterpret_cast<const char*>(kind.bytes.data()), static_cast<std::streamsize>(kind.bytes.size()));
      names.push_back(name);
    }
  }
  ~LargePictures() { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
  std::vector<std::string> names;
};

void BM_OpenLargePicture(benchmark::State& state) {
  static LargePictures pictures;
  const std::string& name = pictures.names[static_cast<size_t>(state.range(0))];
  state.SetLabel(name);
  Figures f;
  for (auto _ : state) f = OpenInChild((pictures.folder / (name + ".pvk")).string());
  state.counters["cpu_s"] = f.cpuSeconds;
  state.counters["peak_MB"] = f.peakMegabytes;
  state.counters["opened"] = f.opened;
  state.counters["file_KB"] = static_cast<double>(std::filesystem::file_size(pictures.folder / name)) / 1024.0;
}

BENCHMARK(BM_OpenLargePicture)->DenseRange(0, 1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
