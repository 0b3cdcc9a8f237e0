// The toolkit's two rings of dock bars, the filler bars along the frame's
// edges and the frame's docking set-up. Toolbars and the menu bar dock in the
// outer ring (along the window edges, with the auto-hide strips), sizable
// docking bars in the inner ring inside it.
#pragma once

#include "compat/afx.h"

class CKitAutoHideStrip;

// Outer dock-bar ids: the edge's alignment flag. Auto-hide strips and
// fillers take the same values as their bar style.
constexpr UINT kKitOuterLeft = CBRS_ALIGN_LEFT;
constexpr UINT kKitOuterTop = CBRS_ALIGN_TOP;
constexpr UINT kKitOuterRight = CBRS_ALIGN_RIGHT;
constexpr UINT kKitOuterBottom = CBRS_ALIGN_BOTTOM;
// The window id of every strip and filler; they are found by class, never by id.
constexpr UINT kKitStripId = 0x9999;
constexpr UINT kKitMenuBarId = 0xE806;

// The toolbar and the menu bar are recognised by class name, so that a
// class of that name anywhere in the program counts as one.
bool KitIsKindOf(const CObject* object, const char* className);
inline bool KitIsToolBar(const CObject* object) { return KitIsKindOf(object, "CKitToolBarWnd"); }
inline bool KitIsMenuBar(const CObject* object) { return KitIsKindOf(object, "CMenuBar"); }

// The dock id of an edge (inner ring) from an alignment flag, and back.
UINT KitInnerDockId(DWORD side);
DWORD KitSideOfDockId(UINT dockId);

// The framework's dock-bar layout with the toolkit's gap: toolbars and the
// menu bar meet edge to edge, other bars overlap by the framework's 2 pixels.
class CKitDocBarExten : public CDockBar {
  DECLARE_DYNAMIC(CKitDocBarExten)

 public:
  CKitDocBarExten() : CDockBar(FALSE) {}
  ~CKitDocBarExten() override = default;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  virtual void SetStyle(UINT style);

  int m_nDrawStyle = 0x8001;

 protected:
  // Bars that do not belong in this ring leave it before the layout.
  virtual void SendAwayStrangers() {}
  int GetBarGap(CControlBar* pBar, BOOL bHorz) const override;

  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()
};

// The outer ring: a sizable docking bar found here is docked again into the
// inner dock bar of its edge.
class CKitDocBarExtenEx : public CKitDocBarExten {
  DECLARE_DYNAMIC(CKitDocBarExtenEx)

 public:
  void DoPaint(CDC* pDC) override;

 protected:
  void SendAwayStrangers() override;
  int GetWrapGap(CControlBar* pBar, BOOL bHorz) const override;
};

// A 3-pixel band in the face colour along one frame edge.
class CKitDockFiller : public CControlBar {
 public:
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
  virtual BOOL Create(CFrameWnd* frame, UINT edge);

  static constexpr int kThickness = 3;

 protected:
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnPaint();
  DECLARE_MESSAGE_MAP()
};

// What a toolkit frame keeps for its docking: the fillers, the outer dock
// bars and the four auto-hide strips, made by EnableKitDocking.
class CKitDockRing {
 public:
  CKitDockRing();
  ~CKitDockRing();
  CKitDockRing(const CKitDockRing&) = delete;
  CKitDockRing& operator=(const CKitDockRing&) = delete;

  // In place of the framework's EnableDocking: the outer ring, the strips,
  // the fillers, then the inner ring; bars floated afterwards float in
  // toolkit mini frames.
  void EnableKitDocking(CFrameWnd* frame);

  CKitDockFiller m_fillers[4];         // left, top, bottom, right
  CKitDocBarExtenEx* m_outer[4] = {};  // top, left, right, bottom
  CKitAutoHideStrip* m_strips[4] = {};  // left, top, bottom, right
};

// The frame's auto-hide strip, outer and inner dock bar of a side (an
// alignment flag); null when docking was not set up.
CKitAutoHideStrip* KitFindStrip(CFrameWnd* frame, DWORD side);
CDockBar* KitOuterDockBar(CFrameWnd* frame, DWORD side);
CDockBar* KitInnerDockBar(CFrameWnd* frame, DWORD side);
