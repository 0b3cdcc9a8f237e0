// kitdemo's toolkit frame: a CKitFrameWnd with the description's menu bar,
// toolbar and status bar docked in the toolkit's rings, for the bar and
// frame tests and for looking at them.
#pragma once

#include <string>
#include <vector>

#include "guitk/kit_frame_wnd.h"
#include "kit_demo.h"

namespace kitdemo {

class CKitDemoKitFrame : public CKitFrameWnd {
 public:
  explicit CKitDemoKitFrame(const Description& description);
  // Made as the program makes its frame: LoadFrame, then the layout.
  BOOL Build();
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  const Description& m_description;
  std::vector<UINT> m_commands;  // every command the frame carried out, in order
  std::vector<CDemoDockingBar*> m_dockingBars;  // the description's sizable bars, deleted with their windows

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  DECLARE_MESSAGE_MAP()
};

// Runs the toolkit frame of a description under an application whose
// profile is the description's file (or a scratch one): the window tree to
// `dump`, the frame's picture into `pngDir`, and with `tour` a picture of the
// whole desktop with the File popup open. The process's exit code.
int RunKitFrame(const Description& description, const std::string& dump, const std::string& pngDir, bool tour);

}  // namespace kitdemo
