// The toolkit's status bar: the control paints its panes and texts, then the
// bar paints the toolkit's frames, filler strip and grip over them.
#include "guitk/kit_status_bar.h"

#include "guitk/kit_colors.h"

IMPLEMENT_DYNAMIC(CKitStatusBar, CStatusBar)

BEGIN_MESSAGE_MAP(CKitStatusBar, CStatusBar)
ON_WM_CREATE()
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

constexpr int kGrip = 15;
constexpr int kFillerHeight = 6;

}  // namespace

CKitStatusBar::CKitStatusBar() {
  m_font.CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_STRING_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                    VARIABLE_PITCH | FF_SWISS, u"Arial");
}

CKitStatusBar::~CKitStatusBar() = default;

// The panes are measured and written in the bar's own font (14 pixels high),
// not the control's bold system font: given before the panes are set.
int CKitStatusBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CStatusBar::OnCreate(lpCreateStruct) == -1) return -1;
  if (m_font.m_hObject) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.m_hObject), FALSE);
  return 0;
}

void CKitStatusBar::SetStyle(int style) {
  m_nStyle = style;
  if (!m_hWnd) return;
  SendMessage(WM_NCPAINT, 1, 0);
  Invalidate(TRUE);
  UpdateWindow();
}

void CKitStatusBar::OnPaint() {
  CPaintDC dc(this);
  CBrush face(GetFaceColor(m_nStyle));
  // The control paints its panes and texts into our DC first.
  DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
  dc.SetBkMode(TRANSPARENT);
  const int panes = static_cast<int>(m_panes.size());
  const COLORREF frameColor = m_bFlatFrames ? GetLightenedFaceColor() : GetShadowColor(g_kitDrawStyle);
  CBrush frame(frameColor);
  CBrush closing(GetFaceColor(kKitStyleFlat));
  CRect last(0, 0, 0, 0);
  for (int i = 0; i < panes; ++i) {
    CRect pane;
    GetItemRect(i, &pane);
    dc.FrameRect(&pane, &frame);
    last = pane;
  }
  if (panes > 0) {
    // Over the control's own separator edge after the last pane.
    CRect edge = last;
    edge.right += 2;
    for (int k = 0; k < 3; ++k) {
      dc.FrameRect(&edge, &closing);
      edge.right += 1;
    }
  }
  CRect client;
  GetClientRect(&client);
  if (panes > 0 && client.right > last.right) {
    dc.FillSolidRect(last.right, client.top, client.right - last.right, kFillerHeight, GetFaceColor(kKitStyleFlat));
  }
  // The grip, whatever the frame's border.
  const COLORREF grooves = g_kitDrawStyle == kKitStyleGradient ? GetShadowColor(kKitStyleFlat) : GetPressedColor();
  CPen white(PS_SOLID, 1, RGB(255, 255, 255));
  CPen dark(PS_SOLID, 1, grooves);
  CPen* old = dc.SelectObject(&white);
  for (int k = 0; k < kGrip - 1; ++k) {
    const int phase = k % 4;
    if (phase == 3) continue;
    dc.SelectObject(phase == 0 ? &white : &dark);
    dc.MoveTo(client.right - kGrip + k, client.bottom);
    dc.LineTo(client.right, client.bottom - kGrip + k);
  }
  dc.SelectObject(old);
}
