// "CSliderCtrlBar": registration and the ruler's drawing.
#include "controls/slider_ctrl_bar.h"

#include "controls/dialog_color.h"

namespace controls {

BOOL CSliderCtrlBar::RegisterClass(HINSTANCE instance) {
  return RegisterSliderClass(instance, u"CSliderCtrlBar", AutoObjectProc<CSliderCtrlBar>);
}

void CSliderCtrlBar::PaintInto(CDC& dc, const RECT& client) {
  dc.FillSolidRect(&client, GetDialogColor());
  const CRect thumb = ThumbRect();
  FillTriangle(dc, {{thumb.left, thumb.bottom}, {thumb.right, thumb.bottom}, {m_nThumbX, thumb.top}}, m_crThumb);
  CPen ruler(PS_SOLID, 1, RGB(0, 0, 0));
  CPen* oldPen = dc.SelectObject(&ruler);
  const int base = client.bottom - 4 - m_nThumbHeight;
  dc.MoveTo(m_nLeftLimit, base);
  dc.LineTo(m_nRightLimit, base);
  for (int end : {m_nLeftLimit, m_nRightLimit}) {
    dc.MoveTo(end, base);
    dc.LineTo(end, base - 6);
  }
  for (int fifth = 1; fifth < 5; ++fifth) {
    const int x = m_nLeftLimit + (m_nRightLimit - m_nLeftLimit) * fifth / 5;
    dc.MoveTo(x, base);
    dc.LineTo(x, base - 4);
  }
  dc.SelectObject(oldPen);
}

}  // namespace controls
