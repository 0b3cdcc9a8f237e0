// GDI used from several threads at once, as the render thread and the user
// interface do: objects, fonts and text on each thread's own DCs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "compat/win32/gdi_canvas.h"

namespace {

TEST(GdiThreads, ThreadsDrawTextAndShapesOnTheirOwnDcs) {
  std::atomic<int> failures{0};
  auto work = [&failures](int seed) {
    for (int i = 0; i < 40; ++i) {
      GdiCanvas c(64, 24);
      HFONT f = CreateFontW(-10 - (seed + i) % 6, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                            0, (i & 1) ? u"Arial" : u"Times New Roman");
      HPEN pen = CreatePen(PS_SOLID, 1 + i % 3, RGB(seed * 40, 0, 0));
      SelectObject(c.dc(), f);
      SelectObject(c.dc(), pen);
      SetBkMode(c.dc(), TRANSPARENT);
      if (!TextOutW(c.dc(), 1, 1, u"Thread text", 11)) ++failures;
      Ellipse(c.dc(), 2, 2, 40, 20);
      SIZE s;
      if (!GetTextExtentPoint32W(c.dc(), u"abc", 3, &s) || s.cx <= 0) ++failures;
      SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
      SelectObject(c.dc(), GetStockObject(BLACK_PEN));
      DeleteObject(f);
      DeleteObject(pen);
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(work, t);
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
