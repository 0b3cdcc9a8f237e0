// kitdemo's periphery windows: a frame holding a caption strip, a folder bar,
// a tab control and a scrolling tab strip, and an MDI frame with its tabs and
// two document windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "guitk/history_combo.h"
#include "guitk/kit_folder.h"
#include "guitk/kit_mdi_frame.h"
#include "guitk/kit_tabs.h"

namespace kitdemo {

class CPeripheryFrame : public CFrameWnd {
 public:
  BOOL Build();

  CKitCaptionStrip m_strip;
  CKitShelfFolder m_folder;
  CKitTabCtrl m_tabs;
  CKitScrollTabStrip m_scrollTabs;
  std::vector<std::unique_ptr<CStatic>> m_pages;
};

class CMdiDemoFrame : public CKitMDIFrame {
 public:
  // The toolkit bars (menu 128, toolbar 128, the status bar), the saved
  // layout, then the two document windows "Morph A" and "Morph B".
  BOOL Build();

  HMENU m_menu = nullptr;
  HMENU m_windowMenu = nullptr;
};

}  // namespace kitdemo
