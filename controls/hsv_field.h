// CHsvField: what the colour bar and the colour field share. Both show a
// picture of HSV colours rebuilt for the client size, take a mode and a
// colour from WM_NOTIFY 10 and 30, and report a drag of their marker to the
// owner with codes 33 (while moving) and 34 (at the release).
#pragma once

#include <vector>

#include "controls/custom_class.h"
#include "controls/custom_notify.h"

namespace controls {

// 0x00RRGGBB of an HSV colour (hue in degrees, saturation and value 0..1),
// each channel the float x 255 truncated.
DWORD HsvPixel(float hue, float saturation, float value);
// Hue, saturation and value of a 0x00RRGGBB colour.
void HsvOfColor(DWORD rgb, float* hue, float* saturation, float* value);

class CHsvField : public CAutoObject<CWnd> {
 public:
  int GetMode() const { return m_nMode; }
  // Top row first, 0x00RRGGBB, of the size the picture was built for.
  const std::vector<DWORD>& Pixels() const { return m_pixels; }
  CSize PixelSize() const { return m_pixelSize; }

  int m_nMode = 0;

 protected:
  // The picture for a client of w x h.
  virtual void BuildPixels(DWORD* pixels, int width, int height) const = 0;
  // The fixed components from `rgb`; the marker moves unless keepMarker.
  virtual void TakeColor(DWORD rgb, BOOL keepMarker) = 0;
  // The marker follows the pointer (client coordinates), pinned to the
  // client; the colour now under it.
  virtual DWORD DragMarkerTo(CPoint point) = 0;
  virtual void DrawMarker(CDC& dc, const CRect& client) const = 0;

  void Rebuild();
  // The client size, never below 1 x 1 in the arithmetic.
  CSize ClientSize() const;
  void NotifyDrag(UINT code, DWORD color, int flag);

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()

  std::vector<DWORD> m_pixels;
  CSize m_pixelSize{0, 0};
};

}  // namespace controls
