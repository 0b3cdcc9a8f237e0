// What the workflow tests share: a pair of small pictures opened in the
// editor, commands and keys as a user gives them, and what a pane shows.
#pragma once

#include "editor_test_support.h"
#include "imaging/image_file.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace apptest {

class Workflow : public EditorTest {
 protected:
  // A w x h picture, `left` on its columns before `split` (its middle when
  // not given) and `right` on the others.
  CString Picture(const std::string& name, DWORD left, DWORD right, int w = 64, int h = 48, int split = -1) {
    if (split < 0) split = w / 2;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | (x < split ? left : right);
    const CString file(Program(fs::path(m_temp) / name));
    CImageFile writer;
    EXPECT_TRUE(writer.Save(file, 0, 0, w, h, pixels.data(), 0));
    return file;
  }
  // The editor maximised with a 64 x 48 output, the current pair holding a
  // red/green source and a blue/yellow target (w x h, split at `split`),
  // feature-line mode.
  void OpenPair(int w = 64, int h = 48, int split = -1) {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    Project()->SetOutputSize(64, 48);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("a.bmp", kRed, kGreen, w, h, split));
    pair->SetTargetImage(Picture("b.bmp", kBlue, kYellow, w, h, split));
    for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) slot->SetZoom(1.0f);
    View()->RefreshPanes();
    View()->RedrawPanes();
    SetDocumentModified(FALSE);
    Idle();
  }
  // Ctrl+`key` (Ctrl+F, Ctrl+G: source or target picture), then `file` typed into the image dialog.
  void Import(UINT key, const std::string& file) {
    const std::u16string name = Program(file);
    compat::AddModalStepOnCaption(u"Image File", [name](HWND dialog) {
      ::SetDlgItemTextW(dialog, edt1, name.c_str());
      compat::host::InjectKeyPress(VK_RETURN);
    });
    View()->SetFocus();
    CtrlKey(key);
    Idle();
  }
  void Command(UINT id) {
    Frame()->SendMessage(WM_COMMAND, id);
    Idle();
  }
  // Whether a menu item or button of this command would be enabled.
  bool Enabled(UINT id) {
    struct Recorder : CCmdUI {
      int enabled = -1;
      void Enable(BOOL on) override { enabled = on ? 1 : 0; }
      void SetCheck(int) override {}
    } recorder;
    recorder.m_nID = id;
    recorder.DoUpdate(Frame(), FALSE);
    return recorder.enabled != 0;
  }
  static POINT OnScreen(CWnd* window, int x, int y) {
    POINT p{x, y};
    window->ClientToScreen(&p);
    return p;
  }
  static void ClickIn(CWnd* window, int x, int y) {
    const POINT p = OnScreen(window, x, y);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  }
  // A press at `from`, a move and a release at `to`, in a window's client coordinates.
  static void Drag(CWnd* window, POINT from, POINT to) {
    const POINT a = OnScreen(window, from.x, from.y), b = OnScreen(window, to.x, to.y);
    compat::host::InjectMouseMove(a.x, a.y);
    compat::host::InjectMouseButton(0, true, a.x, a.y);
    compat::host::InjectMouseMove((a.x + b.x) / 2, (a.y + b.y) / 2);
    compat::host::InjectMouseMove(b.x, b.y);
    compat::host::InjectMouseButton(0, false, b.x, b.y);
  }
  // What the desktop shows at a point of a window's client area, as 0xRRGGBB.
  static uint32_t ShownAt(CWnd* window, int x, int y) {
    const POINT p = OnScreen(window, x, y);
    return compat::host::DesktopSurface()->Row(p.y)[p.x] & 0xFFFFFF;
  }
  void Png(const char* name) {
    Frame()->UpdateWindow();
    EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath(name).c_str()));
  }
  // Clicks a button of the main toolbar.
  void ClickToolbarButton(UINT id) {
    RECT rect{};
    ASSERT_TRUE(Frame()->m_wndToolBar.SendMessage(TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect))) << id;
    ClickIn(&Frame()->m_wndToolBar, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Idle();
  }
  bool MainWindowEnabled() { return Frame()->IsWindowEnabled() != FALSE; }

  static constexpr DWORD kRed = 0xC02020, kGreen = 0x20C020, kBlue = 0x2040C0, kYellow = 0xE0E020;
};

}  // namespace apptest
