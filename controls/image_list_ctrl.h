// CImageListCtrl, window class "ImageListCtrl": the thumbnail grid of the
// pair list and the swatch lists. It shows an image list in fixed cells with
// a vertical scroll bar, keeps one selected index and tells its owner of
// presses (2060), double clicks (2070) and its button (2050). A swatch list
// drags a fill onto colour icons (WM_SWATCH_DRAGDROP); the pair list drags
// the current pair to another place and has four buttons that reach its
// parent as WM_COMMAND 1001 to 1004.
#pragma once

#include <functional>

#include "controls/bmp_btn.h"
#include "controls/custom_class.h"

struct CFillStyle;

namespace controls {

// Style bits (the low byte of the window style).
constexpr DWORD kListTooltips = 0x01;
constexpr DWORD kListPairs = 0x02;
constexpr DWORD kListNoButton = 0x10;

// Child ids: the scroll bar, the single button or the pair list's four.
constexpr UINT kListScrollBarId = 1000;
constexpr UINT kListButtonId = 1001;
constexpr UINT kListInsertPairId = 1001;
constexpr UINT kListDeletePairId = 1002;
constexpr UINT kListMoveUpId = 1003;
constexpr UINT kListMoveDownId = 1004;

class CImageListCtrl : public CAutoObject<CWnd> {
 public:
  // Asked at each mouse move over a list with tooltips: the index under the
  // pointer (-1 for none), so the owner can set the tip's text.
  using TooltipTextProc = std::function<void(CImageListCtrl& list, CToolTipCtrl& tooltip, int index)>;
  // The fill a press starts dragging; null (or no callback) drags nothing.
  using DragFillProc = std::function<CFillStyle*(CImageListCtrl& list)>;

  CImageListCtrl();
  ~CImageListCtrl() override;

  static BOOL RegisterClass(HINSTANCE instance);

  void SetColumns(int columns);
  // Empties the list: the image list is made again at the new size.
  void SetCellSize(const SIZE& size);
  // Appends `bitmap` (white is transparent), then moves it to `index`
  // unless that is -1 or past the end. The first image is selected.
  void InsertImage(int index, CBitmap* bitmap);
  void RemoveImage(int index);
  void RemoveAll();
  void ReplaceImage(int index, CBitmap* bitmap);
  // Clamped to the items; no notification.
  void SetSelection(int index);
  int GetSelection() const { return m_nSelected; }
  // Scrolls the item's cell into the grid when it lies above or below it.
  void EnsureVisible(int index);
  int GetCount() const;
  // The item whose cell holds the client point, or -1.
  int HitTest(POINT point) const;

  void SetTooltipTextProc(TooltipTextProc proc) { m_tooltipText = std::move(proc); }
  void SetDragFillProc(DragFillProc proc) { m_dragFill = std::move(proc); }

  BOOL PreTranslateMessage(MSG* pMsg) override;

  int m_nColumns = 3;
  CSize m_cellSize{23, 23};
  int m_nSelected = -1;
  TooltipTextProc m_tooltipText;
  DragFillProc m_dragFill;
  CToolTipCtrl m_tooltip;
  CImageList m_images;
  CScrollBar m_scrollBar;
  CBmpBtn m_buttons[4];
  BOOL m_bPairDrag = FALSE;

 protected:
  DWORD ListStyle() const;
  CRect GridRect() const;
  CRect CellRect(int index) const;
  void Layout();
  void UpdateScrollBar();
  void CreateButtons();
  void Notify(UINT code);
  void PaintItems(CDC& dc, const CRect& client);
  void StartPairDrag(CPoint point);
  void EndPairDrag(CPoint point);
  void RunSwatchDrag(CFillStyle* fill);

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// The list object of a window, or null.
CImageListCtrl* ImageListCtrlFromHandle(HWND hwnd);

}  // namespace controls
