// The tracker's frame, grips and XOR outlines as pixels on a memory DC, and
// its cursors.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/outline/transform_tracker.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

// A white 32-bit memory DC wrapped in a CDC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    hdc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(hdc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(hdc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = 0x00FFFFFF;
    dc_.Attach(hdc_);
  }
  ~Canvas() {
    dc_.Detach();
    SelectObject(hdc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(hdc_);
  }
  CDC* dc() { return &dc_; }
  COLORREF At(int x, int y) const {
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int CountNot(COLORREF c, int w, int h) const {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) n += At(x, y) != c;
    return n;
  }

 private:
  int width_;
  HDC hdc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
  CDC dc_;
};

}  // namespace

TEST(TrackerDrawing, FrameAndHandlesInRed) {
  Canvas canvas(200, 150);
  CTransformTracker tracker;
  tracker.SetRect(CRectF(20.0f, 30.0f, 120.0f, 80.0f));
  tracker.Draw(canvas.dc(), POINT{5, 10});
  EXPECT_EQ(canvas.At(60, 40), kRed);     // top edge, moved by the offset
  EXPECT_EQ(canvas.At(25, 60), kRed);     // left edge
  EXPECT_EQ(canvas.At(125, 90), kRed);    // bottom right corner
  EXPECT_EQ(canvas.At(60, 60), kWhite);   // inside
  // The grip of the top middle (75, 40): a 5 x 5 outline around it.
  EXPECT_EQ(canvas.At(73, 38), kRed);
  EXPECT_EQ(canvas.At(77, 42), kRed);
  EXPECT_EQ(canvas.At(74, 39), kWhite);
  // The rotation handle's grip, 15 beyond the right edge's middle (125 + 15, 65).
  EXPECT_EQ(canvas.At(138, 63), kRed);
  EXPECT_EQ(canvas.At(132, 65), kWhite);  // no line joins it to the frame
}

TEST(TrackerDrawing, FrameOfNoWidthIsNotDrawn) {
  Canvas canvas(100, 100);
  CTransformTracker tracker;
  tracker.SetRect(CRectF(20.0f, 10.0f, 20.0f, 80.0f));
  tracker.Draw(canvas.dc(), POINT{0, 0});
  EXPECT_EQ(canvas.CountNot(kWhite, 100, 100), 0);
}

TEST(TrackerDrawing, XorRectDrawnTwiceRestores) {
  Canvas canvas(100, 100);
  DrawXorRect(canvas.dc(), RECT{10, 10, 60, 40}, RGB(128, 128, 128));
  EXPECT_GT(canvas.CountNot(kWhite, 100, 100), 40);  // dotted: about half the outline
  EXPECT_EQ(canvas.At(30, 25), kWhite);
  DrawXorRect(canvas.dc(), RECT{10, 10, 60, 40}, RGB(128, 128, 128));
  EXPECT_EQ(canvas.CountNot(kWhite, 100, 100), 0);
}

TEST(TrackerDrawing, RectWithGrips) {
  Canvas canvas(100, 100);
  DrawRectWithGrips(RECT{10, 20, 60, 70}, canvas.dc());
  EXPECT_EQ(canvas.At(30, 20), kRed);   // top side
  EXPECT_EQ(canvas.At(8, 18), kRed);    // corner grip's top left
  EXPECT_EQ(canvas.At(37, 72), kRed);   // bottom middle grip (35, 70)
  EXPECT_EQ(canvas.At(36, 71), kWhite);
  EXPECT_EQ(canvas.At(30, 40), kWhite);
}

TEST(TrackerCursor, SetsTheCursorOfTheHandleUnderTheMouse) {
  CTransformTracker tracker;
  tracker.SetRect(CRectF(0.0f, 0.0f, 100.0f, 50.0f));
  EXPECT_TRUE(tracker.SetTrackerCursor(POINT{100, 25}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
  EXPECT_TRUE(tracker.SetTrackerCursor(POINT{40, 20}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEALL));
  EXPECT_FALSE(tracker.SetTrackerCursor(POINT{300, 300}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEALL));  // untouched
  EXPECT_TRUE(tracker.SetTrackerCursor(POINT{115, 25}));      // the rotation handle
  EXPECT_NE(GetCursor(), nullptr);
}

// With the line-edit tool the line set shows its transform frame under the
// lines, moved by the set's origin.
TEST(TrackerDrawing, LineSetDrawsItsFrameOnlyWithTheLineEditTool) {
  CLineSet lines;
  lines.GetTracker().SetRect(CRectF(20.0f, 30.0f, 120.0f, 80.0f));
  lines.SetOrigin(-5, -10);
  const int tool = GetLineTool();
  SetLineTool(0);
  Canvas plain(200, 150);
  lines.Draw(plain.dc()->GetSafeHdc());
  EXPECT_EQ(plain.CountNot(kWhite, 200, 150), 0);
  SetLineTool(1);
  Canvas framed(200, 150);
  lines.Draw(framed.dc()->GetSafeHdc());
  EXPECT_EQ(framed.At(60, 40), kRed);
  EXPECT_EQ(framed.At(60, 60), kWhite);
  SetLineTool(tool);
}
