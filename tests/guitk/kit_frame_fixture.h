// The toolkit frame of kitdemo (menu 128, toolbar 128, the status bar) made
// as the program makes it, with an application whose profile is a file of
// the test's own, and a pump that passes the frame's pre-translation as the
// application's message loop does.
#pragma once

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "compat/afx/test_helpers.h"
#include "guitk_test_support.h"
#include "kitdemo/kit_frame_demo.h"

namespace kittest {

class ProfileApp : public CWinApp {
 public:
  ProfileApp(const CString& ini, LPCTSTR name) : CWinApp(name) {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(ini);
  }
};

// The application's loop: every message passes the frame's pre-translation
// first; with `idle`, the idle update of the frame's bars follows each round.
inline void PumpFrame(CWnd* frame, bool idle = false) {
  for (int round = 0; round < 3; ++round) {
    MSG msg;
    int count = 0;
    while (count++ < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (frame && AfxPreTranslateMessageTree(frame, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (idle && frame && frame->m_hWnd) frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
  }
}

class KitFrameTest : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    std::string error;
    ASSERT_TRUE(kitdemo::LoadDescription(std::string(CALVETTA_KITDEMO_DIR) + "/kit_frame.kit", &description_, &error))
        << error;
    app_ = std::make_unique<ProfileApp>(folder_.Path(u"cM.ini"), AppName());
  }
  void TearDown() override {
    if (frame_) Close();
    app_.reset();
    KitTest::TearDown();
  }
  virtual LPCTSTR AppName() const { return u"KitDemo"; }

  void Open() {
    frame_ = new kitdemo::CKitDemoKitFrame(description_);
    ASSERT_TRUE(frame_->Build());
    frame_->SetActiveWindow();
    FramePump();
  }
  void Close() {
    frame_->DestroyWindow();
    frame_ = nullptr;
    Pump();
  }

  void FramePump() { PumpFrame(frame_); }
  void PressKey(unsigned vk) {
    compat::host::InjectKeyPress(vk);
    FramePump();
  }
  void KeyDown(unsigned vk) {
    compat::host::InjectKey(vk, true);
    FramePump();
  }
  void KeyUp(unsigned vk) {
    compat::host::InjectKey(vk, false);
    FramePump();
  }
  void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 5) {
      compat::AdvanceClock(5);
      FramePump();
    }
  }
  POINT TitleCentre(int index) const {
    CRect r = frame_->m_wndMenuBar.GetItem(index)->m_rcItem;
    CPoint p = r.CenterPoint();
    frame_->m_wndMenuBar.ClientToScreen(&p);
    return p;
  }
  std::string ProfileText() const {
    std::ifstream file(folder_.Host() + "/cM.ini");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  TempFolder folder_;
  std::unique_ptr<ProfileApp> app_;
  kitdemo::Description description_;
  kitdemo::CKitDemoKitFrame* frame_ = nullptr;
};

}  // namespace kittest
