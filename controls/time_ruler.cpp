// CTimeRuler: timecode labels and the cursor's pointer.
#include "controls/time_ruler.h"

#include "model/project/timecode.h"

namespace controls {

namespace {

constexpr int kLabelSpacing = 150;
constexpr int kFramesPerLabel = 15;
constexpr int kFirstLabelX = 40;

}  // namespace

void CTimeRuler::Draw(CDC& dc, const CRect& rect, int step, int offset, int cursorX) {
  m_rect = rect;
  m_nStep = step;
  m_nOffset = offset;
  m_nCursorX = cursorX;
  if (!m_font.m_hObject &&
      !m_font.CreateFont(12, 4, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, u"Arial")) {
    AfxMessageBox(u"error");
    return;
  }
  DrawLabels(dc);
  DrawMarker(dc);
}

void CTimeRuler::DrawLabels(CDC& dc) {
  CFont* oldFont = dc.SelectObject(&m_font);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  for (int k = m_nOffset / kLabelSpacing - 1;; ++k) {
    const int x = kLabelSpacing * k - m_nOffset + kFirstLabelX;
    if (x > m_rect.right) break;
    if (k < 0) continue;
    CRect box(x, m_rect.bottom - 14, x, m_rect.bottom - 14);
    box.InflateRect(18, 6);
    const CString text = CTimecode(static_cast<UINT>(m_nStep * k * kFramesPerLabel)).ToString();
    dc.DrawText(text, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  dc.SetBkMode(oldMode);
  dc.SelectObject(oldFont);
}

// A 16 x 8 pointer at the top, bevelled like a button, with a line down from it.
void CTimeRuler::DrawMarker(CDC& dc) {
  const int x = m_nCursorX;
  const int top = m_rect.top;
  CPen grey(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
  CPen* oldPen = dc.SelectObject(&grey);
  for (int row = 1; row < 7; ++row) {
    const int half = 7 - row;
    dc.MoveTo(x - half, top + row);
    dc.LineTo(x + half + 1, top + row);
  }
  CPen white(PS_SOLID, 1, RGB(255, 255, 255));
  dc.SelectObject(&white);
  dc.MoveTo(x - 7, top + 1);
  dc.LineTo(x + 7, top + 1);
  dc.MoveTo(x - 7, top + 1);
  dc.LineTo(x, top + 8);
  CPen shade(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
  dc.SelectObject(&shade);
  dc.MoveTo(x + 7, top + 1);
  dc.LineTo(x, top + 8);
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));
  dc.SelectObject(&black);
  const POINT outline[4] = {{x - 8, top}, {x + 8, top}, {x, top + 8}, {x - 8, top}};
  dc.Polyline(outline, 4);
  dc.MoveTo(x, top + 4);
  dc.LineTo(x, m_rect.bottom);
  dc.SelectObject(oldPen);
}

}  // namespace controls
