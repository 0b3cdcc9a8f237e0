// CKitMDIFrame: the toolkit's multiple-document frame. It has the styled
// frame's bars, docking, drawing style and saved layout, and a strip of tabs
// over the client, one per document window.
#pragma once

#include "guitk/kit_frame_base.h"
#include "guitk/kit_tabs.h"

class CKitMDIFrame : public CKitFrameOf<CMDIFrameWnd> {
  DECLARE_DYNCREATE(CKitMDIFrame)

 public:
  static constexpr UINT kTabsId = 0xE840;  // among the bars: the pane's id is the client's

  BOOL DestroyWindow() override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  // The framework's client, then the tab strip over it.
  BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu) override;
  // The tabs lie over the client, inside every bar made after them.
  void RecalcLayout(BOOL bNotify = TRUE) override;
  // The bars' style, and the tabs'.
  void SetDrawStyle(UINT style) override;

  // "<base>Main": unlike the single-document frame's, without a hyphen.
  CString MainSection() const { return m_strProfileBase + u"Main"; }

  CKitMdiTabs m_wndTabs;
};
