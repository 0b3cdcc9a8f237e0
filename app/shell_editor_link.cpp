// The editor link. Windows that do not exist (yet) are skipped.
#include "app/shell_editor_link.h"

#include "app/main_frame.h"
#include "app/pentavo_app.h"
#include "app/pentavo_doc.h"
#include "app/pentavo_view.h"
#include "model/project/project_links.h"

namespace {

std::vector<CString>* g_collectedMessages = nullptr;

CTransitionPanel* TransitionPanel() {
  auto* app = dynamic_cast<CPentavoApp*>(AfxGetApp());
  CTransitionPanel* panel = app ? app->m_pTransitionPanel : nullptr;
  return panel && panel->m_hWnd ? panel : nullptr;
}

CTimeLineBar* TimeLineBar() {
  CPentavoView* view = GetMainView();
  CTimeLineBar* bar = view ? &view->PreviewWindow()->m_timeLineBar : nullptr;
  return bar && bar->m_hWnd ? bar : nullptr;
}

CImageViewDlg* Pane(int side) {
  CPentavoView* view = GetMainView();
  if (!view) return nullptr;
  CImageViewDlg* pane = side == 0 ? view->SourcePane() : view->TargetPane();
  return pane->m_hWnd ? pane : nullptr;
}

class CShellEditorLink : public CEditorLink {
 public:
  void RefreshPanel() override {
    if (CTransitionPanel* panel = TransitionPanel()) panel->RefreshFromProject();
  }
  void RebuildThumbnails() override {
    if (CTransitionPanel* panel = TransitionPanel()) panel->RebuildThumbnails();
  }
  // The timeline bar is part of the "Preview and Play" window.
  void StopPlayback() override {
    if (CTimeLineBar* bar = TimeLineBar()) bar->OnStop();
  }
  void RefreshTimeline() override {
    if (CTimeLineBar* bar = TimeLineBar()) bar->RefreshFromPair();
  }
  void ApplyFrameCount() override {
    if (CTimeLineBar* bar = TimeLineBar()) bar->ApplyFrameCount();
  }
  void RefreshImageView(int side) override {
    if (CImageViewDlg* pane = Pane(side)) pane->RefreshAndDraw();
  }
  void EnableViews(BOOL enable) override {
    for (int side : {0, 1})
      if (CImageViewDlg* pane = Pane(side)) pane->EnableWindow(enable);
    if (CTransitionPanel* panel = TransitionPanel()) panel->EnablePairList(enable);
  }
  void SetDocumentModified(BOOL modified) override { ::SetDocumentModified(modified); }
  void CheckFigureTool(int tool) override {
    if (CWnd* frame = AfxGetMainWnd(); frame && frame->m_hWnd) frame->SendMessage(WM_CHECK_FIGURE_TOOL, 0, tool);
  }
  void PairChanged(WPARAM flag) override {
    if (CPentavoView* view = GetMainView(); view && view->m_hWnd) view->SendMessage(WM_PAIR_CHANGED, flag, 0);
  }
  void ShowMessage(const char16_t* text) override {
    if (g_collectedMessages) {
      g_collectedMessages->push_back(CString(text));
      return;
    }
    CWnd* frame = AfxGetMainWnd();
    ::MessageBoxW(frame ? frame->m_hWnd : nullptr, text, AfxGetApp() ? AfxGetApp()->m_pszAppName : u"", MB_OK);
  }
  void ShowIntersect(BOOL folded) override { ShowIntersectInStatusBar(folded); }
  void ShowZoom() override { ShowZoomInStatusBar(); }
};

}  // namespace

void CollectEditorMessages(std::vector<CString>* into) { g_collectedMessages = into; }

CEditorLink& GetShellEditorLink() {
  static CShellEditorLink link;
  return link;
}
