// GDI hot paths: copying a screen-sized surface, filling rectangles, text lines.
#include <benchmark/benchmark.h>

#include "compat/win32.h"

namespace {

struct Surface {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  Surface(int w, int h) {
    dc = CreateCompatibleDC(nullptr);
    HDC screen = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    DeleteDC(screen);
    old = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

void BM_BitBltCopy1024x768(benchmark::State& state) {
  Surface src(1024, 768), dst(1024, 768);
  PatBlt(src.dc, 0, 0, 1024, 768, WHITENESS);
  for (auto _ : state) BitBlt(dst.dc, 0, 0, 1024, 768, src.dc, 0, 0, SRCCOPY);
  state.SetBytesProcessed(state.iterations() * 1024 * 768 * 4);
}
BENCHMARK(BM_BitBltCopy1024x768);

void BM_FillRect(benchmark::State& state) {
  Surface s(1024, 768);
  HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
  RECT r{0, 0, static_cast<LONG>(state.range(0)), static_cast<LONG>(state.range(0))};
  for (auto _ : state) FillRect(s.dc, &r, brush);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
  DeleteObject(brush);
}
BENCHMARK(BM_FillRect)->Arg(16)->Arg(256)->Arg(768);

void BM_TextOutLine(benchmark::State& state) {
  Surface s(1024, 64);
  HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Sans Serif");
  SelectObject(s.dc, font);
  SetBkMode(s.dc, TRANSPARENT);
  static const char16_t kLine[] = u"The quick brown fox jumps over the lazy dog 0123456789";
  int n = static_cast<int>(sizeof(kLine) / sizeof(kLine[0])) - 1;
  for (auto _ : state) TextOutW(s.dc, 4, 4, kLine, n);
  state.SetItemsProcessed(state.iterations() * n);
  SelectObject(s.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}
BENCHMARK(BM_TextOutLine);

}  // namespace

BENCHMARK_MAIN();
