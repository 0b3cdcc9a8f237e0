// CKitFrameWnd: the toolkit's single-document frame. It owns the menu bar,
// the owner-drawn menu, the popup menu manager, the toolbar and the status
// bar, sets up two rings of dock bars, keeps its placement, the drawing
// style and the theme flag in a profile section of its own, and saves and
// restores the layout of every docking bar.
#pragma once

#include "guitk/kit_frame_base.h"

class CKitFrameWnd : public CKitFrameOf<CFrameWnd> {
  DECLARE_DYNCREATE(CKitFrameWnd)

 public:
  BOOL DestroyWindow() override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

  // "<base>-Main".
  CString MainSection() const { return m_strProfileBase + u"-Main"; }

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()
};

// Leaves out the records of the strips and fillers, which share one id
// (kKitStripId) and cannot be told apart, and their slots in the dock bars' rows.
void RemoveSharedIdRecords(CDockState& state);
