// The two image panes of the main view: the current pair's source picture
// (CSourceImageView, left) and target picture (CTargetImageView, right), each
// at its own zoom with scroll bars, with the edit mode's overlay on top
// (feature lines, figure outline, or the clip rectangle with its size), the
// mouse handed to the model's editing of the slot, and the context menus of
// line points and of the picture.
#pragma once

#include "compat/afx.h"

class CImageSlot;

// Private messages between the panes and the view.
constexpr UINT WM_PANE_RESIZED = 0x0500;
constexpr UINT WM_PAIR_CHANGED = 0x0501;

class CImageViewDlg : public CDialog {
 public:
  // Zoom limits and the fixed steps of the zoom commands.
  static constexpr float kMinZoom = 0.1f;
  static constexpr float kMaxZoom = 4.0f;
  static constexpr float kFineStep = 0.1f;
  static constexpr float kCoarseStep = 1.0f;

  explicit CImageViewDlg(UINT templateId);
  ~CImageViewDlg() override;

  // The pane as a child of `parent` (the view), from its template.
  BOOL Create(CWnd* parent);

  // The slot of the current pair this pane shows; null without a pair.
  virtual CImageSlot* GetImageSlot() = 0;

  // Scroll bars from the slot, then the line set's origin from them.
  void RefreshImage();
  void RefitZoom();
  void UpdateScrollBar(int bar);
  void Scroll(int bar, UINT code, UINT thumb);
  // Step 0: the commands' fixed steps; else the wheel's step is added.
  void Enlarge(float step);
  void Shrink(float step);
  void ActualSize();
  // What the view's zoom commands are enabled by.
  BOOL CanEnlarge();
  BOOL CanShrink();
  void DrawPane(CDC* dc);
  // Refresh and draw at once (the editor link's RefreshImageView).
  void RefreshAndDraw();

  int m_bNotifyOnSize = 1;
  int m_nHScroll = 0;
  int m_nVScroll = 0;
  CPoint m_ptRButton{0, 0};

 protected:
  // The scroll position as the slot's line set and outline see it.
  POINT ScrollOrigin() const { return POINT{m_nHScroll, m_nVScroll}; }
  void SetSlotOrigins(CImageSlot* slot);
  void ApplyZoom(CImageSlot* slot, float zoom);
  void HandleLButtonDown(UINT flags, CPoint point);
  void TakeFocusToView();
  // Edit mode 0: the clip rectangle's grips, drag and rubber band.
  void PressClip(CImageSlot* slot, CPoint point);
  // The clip rectangle in pane pixels.
  CRect ClipInPane(CImageSlot* slot);
  void StoreClipFromPane(CImageSlot* slot, CRect pane);
  void RefreshPair();
  // The parent the pane reports to: its owner when it has one.
  CWnd* ReportWindow();
  void ShowContextMenu(UINT menuId, CPoint point);
  // Record the pair before and after an edit (the two undo snapshots).
  template <class Edit>
  void WithUndo(Edit edit);

  void OnOK() override {}
  void OnCancel() override {}
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg LRESULT OnEditModeChanged(WPARAM wParam, LPARAM lParam);
  // Sizing borders that the pane does not offer read as client area.
  virtual BOOL IsBlockedSizingCode(LRESULT code) const = 0;
  afx_msg LRESULT OnNcHitTest(CPoint point);
  DECLARE_MESSAGE_MAP()
};

class CSourceImageView : public CImageViewDlg {
 public:
  CSourceImageView();
  CImageSlot* GetImageSlot() override;

  // Kept for the pane's own use.
  struct COwnerRecord {
    CWnd* owner = nullptr;
    int flag = 1;
    WORD first = 0;
    WORD second = 4;
  } m_record;

 protected:
  // Only the right border sizes the source pane: the split.
  BOOL IsBlockedSizingCode(LRESULT code) const override;
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

class CTargetImageView : public CImageViewDlg {
 public:
  CTargetImageView();
  CImageSlot* GetImageSlot() override;

 protected:
  BOOL IsBlockedSizingCode(LRESULT code) const override;
};

// The pane last right-clicked, clicked or made; null when none exists.
CImageViewDlg* GetActiveImageView();

// The import commands' picture: starts in the remembered "ImageFilePath"
// folder and remembers the chosen one; empty when the user cancelled or the
// file does not exist.
CString AskImageFile(CWnd* parent);
