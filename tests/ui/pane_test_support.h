// The image-pane tests: a sample pair of pictures drawn in code, both panes
// as children of the test frame laid out as the view lays them out, an
// editor link that redraws them as the view does, and the context menu
// driven from its idle loop.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "controls/edit_ctrl.h"
#include "imaging/image_file.h"
#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "model/project/undo_history.h"
#include "res/resource.h"
#include "ui/image_view_dlg.h"
#include "ui/palette_icon_host.h"
#include "ui_test_support.h"

namespace panetest {

// The pane with the popup menu's idle loop driven by the test's steps.
template <class Base>
class Driven : public Base {
 public:
  std::deque<std::function<void()>> menuSteps;
  int menusShown = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
      if (menuSteps.empty()) {
        EndMenu();
      } else {
        auto step = std::move(menuSteps.front());
        menuSteps.pop_front();
        step();
        ::PostMessageW(this->m_hWnd, WM_NULL, 0, 0);
      }
      return 0;
    }
    return Base::WindowProc(message, wParam, lParam);
  }
};

// What the view does for the model: redraw both panes on a pair change.
class ViewLink : public CEditorLink {
 public:
  CImageViewDlg* panes[2] = {nullptr, nullptr};
  int pairChanges = 0;
  int zoomShown = 0;
  BOOL modified = FALSE;

  void RefreshPanel() override {}
  void RebuildThumbnails() override {}
  void StopPlayback() override {}
  void RefreshTimeline() override {}
  void ApplyFrameCount() override {}
  void RefreshImageView(int side) override {
    if (panes[side]) panes[side]->RefreshAndDraw();
  }
  void EnableViews(BOOL enable) override {
    for (CImageViewDlg* pane : panes)
      if (pane && pane->m_hWnd) pane->EnableWindow(enable);
  }
  void SetDocumentModified(BOOL m) override { modified = m; }
  void CheckFigureTool(int) override {}
  void PairChanged(WPARAM) override {
    ++pairChanges;
    for (CImageViewDlg* pane : panes)
      if (pane && pane->m_hWnd) pane->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    modified = TRUE;
  }
  void ShowMessage(const char16_t*) override {}
  void ShowIntersect(BOOL) override {}
  void ShowZoom() override { ++zoomShown; }
};

constexpr int kPictureW = 200;
constexpr int kPictureH = 150;
// The source: red left half, blue right half; the target: green with a white square.
constexpr DWORD kSourceLeft = 0xC02020;
constexpr DWORD kSourceRight = 0x2040C0;
constexpr DWORD kTargetGround = 0x208040;
constexpr DWORD kTargetSquare = 0xFFFFFF;

class PaneTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(RegisterUiClasses(nullptr));
    CMorphProject* project = GetMorphProject();
    project->ResetProject();
    project->SetEditMode(kEditFeatureLine);
    project->SetOutputSize(kPictureW, kPictureH);
    SetLineTool(kLineToolEdit);
    CComandmanger::Get()->Clear();
    SetEditorLink(&m_link);
    m_sourcePath = Picture(u"source.bmp", [](int x, int) { return x < kPictureW / 2 ? kSourceLeft : kSourceRight; });
    m_targetPath = Picture(u"target.bmp", [](int x, int y) {
      return x >= 60 && x < 140 && y >= 40 && y < 110 ? kTargetSquare : kTargetGround;
    });
    Pair()->SetSourceImage(m_sourcePath);
    Pair()->SetTargetImage(m_targetPath);
    for (CImageSlot* slot : {Source(), Target()}) slot->SetZoom(1.0f);
    AddBoth({{20, 20}, {150, 20}, {150, 120}});

    ::SetWindowPos(parent_, nullptr, 0, 0, 700, 420, SWP_NOMOVE | SWP_NOZORDER);
    Log().SetHandler(parent_, [this](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      if (message == WM_PANE_RESIZED && lParam != 0) {
        m_source.m_bNotifyOnSize = m_target.m_bNotifyOnSize = 0;
        Layout(reinterpret_cast<HWND>(lParam));
        m_source.m_bNotifyOnSize = m_target.m_bNotifyOnSize = 1;
      }
      if (message == WM_PAIR_CHANGED) {
        ++m_pairChangedMessages;
        m_link.PairChanged(0);
      }
      return false;
    });
    CWnd* frame = CWnd::FromHandle(parent_);
    ASSERT_TRUE(m_source.Create(frame));
    ASSERT_TRUE(m_target.Create(frame));
    m_link.panes[0] = &m_source;
    m_link.panes[1] = &m_target;
    m_source.ShowWindow(SW_SHOW);
    m_target.ShowWindow(SW_SHOW);
    RECT client;
    ::GetClientRect(parent_, &client);
    m_source.MoveWindow(0, 0, client.right / 2, client.bottom);
    Layout(nullptr);
    m_source.RefreshImage();
    m_target.RefreshImage();
    Pump();
  }
  void TearDown() override {
    if (m_source.m_hWnd) m_source.DestroyWindow();
    if (m_target.m_hWnd) m_target.DestroyWindow();
    ReleasePaletteWindows();
    SetEditorLink(nullptr);
    CMorphProject* project = GetMorphProject();
    project->SetEditMode(kEditFeatureLine);
    project->ResetProject();
    project->SetOutputSize(256, 256);
    SetLineTool(kLineToolNewLine);
    CComandmanger::Get()->Clear();
    UiTest::TearDown();
  }

  // The view's split: the source keeps its width within [30, right - 20].
  void Layout(HWND except) {
    RECT c;
    ::GetClientRect(parent_, &c);
    if (!m_source.IsWindowVisible()) {
      m_target.MoveWindow(0, 0, c.right, c.bottom);
      return;
    }
    if (!m_target.IsWindowVisible()) {
      m_source.MoveWindow(0, 0, c.right, c.bottom);
      return;
    }
    CRect r;
    m_source.GetWindowRect(&r);
    const int w = std::clamp(static_cast<int>(r.Width()), 30, static_cast<int>(c.right - 20));
    m_source.MoveWindow(0, 0, w, c.bottom);
    if (except != m_target.m_hWnd) m_target.MoveWindow(w, 0, c.right - w, c.bottom);
  }

  template <class F>
  CString Picture(const char16_t* name, F colour) {
    std::vector<DWORD> pixels(static_cast<size_t>(kPictureW) * kPictureH);
    for (int y = 0; y < kPictureH; ++y)
      for (int x = 0; x < kPictureW; ++x) pixels[static_cast<size_t>(y) * kPictureW + x] = 0xFF000000 | colour(x, y);
    const CString path = m_pictures.Path(name);
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, kPictureW, kPictureH, pixels.data(), 0));
    return path;
  }
  void AddBoth(std::initializer_list<CVector2> points) {
    for (CLineSet* set : {Pair()->GetSourceLines(), Pair()->GetTargetLines()}) {
      CFeatureLine* line = new CFeatureLine;
      for (const CVector2& p : points) line->AddPoint(p);
      set->GetLines().Add(line);
    }
  }

  static CMorphPair* Pair() { return GetMorphProject()->CurrentPair(); }
  static CImageSlot* Source() { return Pair()->GetSourceSlot(); }
  static CImageSlot* Target() { return Pair()->GetTargetSlot(); }
  static POINT In(CWnd& pane, int x, int y) { return At(pane.m_hWnd, x, y); }
  static COLORREF PaneColour(CWnd& pane, int x, int y) { return PixelAt(In(pane, x, y)); }
  static int HistoryRecords() {
    CHistoryRing& ring = CComandmanger::Get()->GetUndoRing();
    int n = 0;
    for (int i = 0; i < ring.GetFileCount(); ++i) n += ring.FileAt(i).GetRecordCount();
    return n;
  }
  // A press, moves and the release, queued at once: the pane's capture loop
  // reads them as they come.
  static void Drag(CWnd& pane, POINT from, std::initializer_list<POINT> path) {
    const POINT a = In(pane, from.x, from.y);
    compat::host::InjectMouseMove(a.x, a.y);
    compat::host::InjectMouseButton(0, true, a.x, a.y);
    POINT last = a;
    for (POINT p : path) {
      last = In(pane, p.x, p.y);
      compat::host::InjectMouseMove(last.x, last.y);
    }
    compat::host::InjectMouseButton(0, false, last.x, last.y);
    Pump();
  }
  static void RightClick(CWnd& pane, int x, int y) {
    const POINT p = In(pane, x, y);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(1, p.x, p.y);
    Pump();
  }
  void WritePanesPng(const char* name) {
    for (int i = 0; i < 3; ++i) Pump();
    EXPECT_TRUE(compat::WriteWindowPng(parent_, dlgtest::PngPath(name).c_str())) << name;
  }
  // A numeric field of a dialog changed as its owner hears it.
  static void SetField(HWND dialog, int id, double value) {
    HWND field = ::GetDlgItem(dialog, id);
    ASSERT_NE(field, nullptr) << id;
    controls::EditCtrlFromHandle(field)->SetValue(value);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, controls::kEditCommitted), reinterpret_cast<LPARAM>(field));
  }
  static double FieldValue(HWND dialog, int id) { return controls::EditCtrlFromHandle(::GetDlgItem(dialog, id))->GetValue(); }

  uitest::HostFolder m_pictures;
  CString m_sourcePath, m_targetPath;
  ViewLink m_link;
  Driven<CSourceImageView> m_source;
  Driven<CTargetImageView> m_target;
  int m_pairChangedMessages = 0;
};

}  // namespace panetest
