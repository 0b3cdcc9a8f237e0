// CVaryColorBar, window class "VaryColorBar": the gradient stop bar of the
// Vary Color panel. The gradient is drawn across the bar with a marker under
// each stop and a handle above each segment's midpoint; the user selects,
// drags, inserts (in the band under the bar) and deletes stops. Each change
// reaches the parent as the fill-change record (code 35, kind 1) with the
// whole descriptor, the selected stop and what happened.
#pragma once

#include <vector>

#include "controls/custom_class.h"
#include "controls/custom_notify.h"
#include "model/raster/gradient_desc.h"

// WM_NOTIFY code to the bar: the selected stop takes the colour (NMSETCOLOR).
constexpr UINT kNotifyStopColor = 41;

// The state word of the bar's fill-change records.
enum StopState {
  kStopInserted = 0,
  kStopDeleted = 1,
  kStopReleased = 2,
  kStopPressed = 3,
  kStopFieldChanged = 4,
  kStopRecoloured = 5
};

// A selection at or above this names the midpoint handle of the segment
// that ends at stop (selection - kMidpointHandle).
constexpr int kMidpointHandle = 1024;

class CVaryColorBar : public controls::CAutoObject<CWnd> {
 public:
  struct Stop {
    float position;
    DWORD color;     // 0xAARRGGBB
    float midpoint;  // of the segment ending here; unused for stop 0
  };

  static BOOL RegisterClass(HINSTANCE instance);

  void SetGradient(const CGradientDesc& desc);
  void GetGradient(CGradientDesc& desc);

  CRect BarRect() const;
  int StopX(int index) const;
  int MidpointX(int index) const;
  CRect MarkerRect(int index) const;
  CRect HandleRect(int index) const;
  // A stop index, kMidpointHandle + i, or -1.
  int HitTest(CPoint point) const;

  CGradientDesc m_desc;
  std::vector<Stop> m_stops;
  int m_nSelected = -1;
  BOOL m_bDragging = FALSE;
  CPoint m_lastPoint;

 protected:
  void WriteBack();
  void InsertStop(int x);
  void DragTo(int x);
  void EndDrag();
  void DeleteSelected();
  void SendRecord(DWORD stopColor, int stopIndex, int state);
  float BarFraction(int x) const;
  void Draw(CDC& dc, const CRect& client);
  void DrawGradient(CDC& dc, const CRect& bar);

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg UINT OnGetDlgCode();
  DECLARE_MESSAGE_MAP()
};

// The bar object of a window, or null.
CVaryColorBar* VaryColorBarFromHandle(HWND hwnd);

// Loading gives bar nIDC the descriptor; saving writes the bar's stops into it.
void DDX_VaryColorBar(CDataExchange* pDX, int nIDC, CGradientDesc& desc);
