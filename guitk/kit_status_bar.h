// CKitStatusBar: the framework's status bar with the toolkit's look painted
// over the control's own: flat pane frames, the strip beside the last pane
// and a size grip of its own, in the colours of the style word.
#pragma once

#include "compat/afx.h"

class CKitStatusBar : public CStatusBar {
  DECLARE_DYNAMIC(CKitStatusBar)

 public:
  CKitStatusBar();
  ~CKitStatusBar() override;

  // Stores the style word and repaints the whole bar.
  virtual void SetStyle(int style);

  int m_nStyle = 0x8001;
  BOOL m_bFlatFrames = FALSE;  // pane frames in the lightened face colour
  CFont m_font;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  DECLARE_MESSAGE_MAP()
};
