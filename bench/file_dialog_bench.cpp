// The file dialog on a folder of 10,000 files (half BMP, half JPG): opening
// it (listing, sorting, filling the list and painting) and switching the type
// filter while it is open.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

constexpr int kFiles = 10000;
constexpr char16_t kFilter[] = u"BMP(*.BMP)\0*.BMP\0JPG(*.JPG)\0*.JPG\0\0";

class BigFolder {
 public:
  BigFolder() {
    char pattern[] = "/tmp/calvetta_filedlg_bench_XXXXXX";
    path_ = mkdtemp(pattern);
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = path_ + "/picture" + std::to_string(i) + (i % 2 ? ".jpg" : ".bmp");
      close(open(name.c_str(), O_CREAT | O_WRONLY, 0644));
    }
  }
  ~BigFolder() { std::system(("rm -rf " + path_).c_str()); }
  std::u16string Backslashed() const { return compat::FromHostPath(path_); }

 private:
  std::string path_;
};

OPENFILENAMEW Record(const std::u16string& folder, char16_t* file) {
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = 260;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  return ofn;
}

void OpenOnTenThousandFiles(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  BigFolder folder;
  const std::u16string dir = folder.Backslashed();
  for (auto _ : state) {
    char16_t file[260] = {};
    OPENFILENAMEW ofn = Record(dir, file);
    compat::AddModalStepOnCaption(u"Open", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    GetOpenFileNameW(&ofn);
  }
}
BENCHMARK(OpenOnTenThousandFiles)->Unit(benchmark::kMillisecond);

void SwitchFilterOnTenThousandFiles(benchmark::State& state) {
  compat::ResetDesktop(800, 600);
  BigFolder folder;
  const std::u16string dir = folder.Backslashed();
  char16_t file[260] = {};
  OPENFILENAMEW ofn = Record(dir, file);
  compat::AddModalStepOnCaption(u"Open", [&state](HWND dialog) {
    HWND combo = GetDlgItem(dialog, cmb1);
    int index = 0;
    for (auto _ : state) {
      index ^= 1;
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      UpdateWindow(dialog);
    }
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  GetOpenFileNameW(&ofn);
}
BENCHMARK(SwitchFilterOnTenThousandFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
