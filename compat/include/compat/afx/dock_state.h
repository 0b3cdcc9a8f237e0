// The saved arrangement of a frame's control bars: one record per bar and
// per dock bar, written to and read from the application's profile.
#pragma once

#include "compat/afx/coll.h"
#include "compat/afx/object.h"
#include "compat/afx/types.h"

class CControlBar;
class CDockState;

// One bar's (or one dock bar's) place. A dock bar's record lists the ids of
// its slots in m_arrBarID: 0 ends a row, an id names a docked bar, and
// MAKELONG(id, 1) keeps the place of a bar that is not there (floated or
// hidden elsewhere).
class CControlBarInfo {
 public:
  CControlBarInfo();

  UINT m_nBarID;
  BOOL m_bVisible;
  BOOL m_bFloating;
  BOOL m_bHorz;
  BOOL m_bDockBar;
  CPoint m_pointPos;  // in the dock bar for a bar, on the screen for a floating dock bar
  UINT m_nMRUWidth;
  BOOL m_bDocking;    // the MRU fields below are valid
  UINT m_uMRUDockID;
  CRect m_rectMRUDockPos;
  DWORD m_dwMRUFloatStyle;
  CPoint m_ptMRUFloatPos;
  CPtrArray m_arrBarID;
  CControlBar* m_pBar;  // while the state is applied; never saved

  // "<profile>-Bar<index>": every key written, the section cleared first.
  BOOL SaveState(LPCTSTR lpszProfileName, int nIndex);
  // Missing keys read as their defaults; positions are scaled by pDockState.
  BOOL LoadState(LPCTSTR lpszProfileName, int nIndex, CDockState* pDockState);
};

class CDockState : public CObject {
  DECLARE_DYNCREATE(CDockState)

 public:
  CDockState();
  ~CDockState() override;

  CPtrArray m_arrBarInfo;  // CControlBarInfo*, owned

  // "<profile>-Summary" with the count and the screen size, then each record.
  void SaveState(LPCTSTR lpszProfileName);
  // Replaces the records by the saved ones.
  void LoadState(LPCTSTR lpszProfileName);
  void Clear();

  // The screen the positions belong to; a state read from a profile carries
  // the screen it was saved on and is scaled into the current one.
  CSize GetScreenSize();
  void SetScreenSize(CSize& size);
  CPoint ScalePoint(CPoint pt);
  CRect ScaleRectPos(CRect& rect);

 protected:
  BOOL m_bScaling = FALSE;
  CRect m_rectDevice;  // the screen the positions were saved on
  CRect m_rectClip;    // where scaled positions are kept, on the current screen
};
