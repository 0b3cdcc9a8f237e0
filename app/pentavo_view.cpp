// CPentavoView: panes, split, the "Preview and Play" bar and the renderer.
#include "app/pentavo_view.h"

#include <algorithm>
#include <cstring>

#include "app/main_frame.h"
#include "app/pentavo_doc.h"
#include "app/shell_editor_link.h"
#include "model/outline/editable_path.h"
#include "model/project/image_slot.h"
#include "model/project/line_set.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "platform/file_watch.h"
#include "platform/settings_store.h"
#include "platform/shown_path.h"
#include "render/d3d_renderer.h"
#include "res/resource.h"

namespace {

constexpr const TCHAR* kSplitterSetting = u"Spliter";
constexpr UINT kPreviewBarId = 2449;
constexpr int kMinSourceWidth = 30;
constexpr int kTargetMargin = 20;

UINT g_fileWatchMessage = GetFileWatchMessage();

// Another program's write is often seen half done, as an empty or cut-short
// file: the pictures are read once it has settled, and a file that still
// does not read is tried once more before it is reported.
constexpr UINT_PTR kWatchTimer = 0x5710;
constexpr UINT kWatchSettleMs = 300;
constexpr UINT kWatchRetryMs = 700;
constexpr int kWatchTries = 2;

// The write time of the picture a failure message names (0 when none does).
ULONGLONG WriteTimeOfNamed(const CString& message) {
  CMorphProject* project = GetMorphProject();
  for (int i = 0; i < project->GetPairCount(); ++i) {
    for (const CImageSlot* slot : {project->PairAt(i)->GetSourceSlot(), project->PairAt(i)->GetTargetSlot()}) {
      const std::u16string shown = ShownPath(slot->m_path).Native();
      if (shown.empty() || message.Native().rfind(shown, 0) != 0) continue;
      WIN32_FIND_DATAW found{};
      HANDLE search = ::FindFirstFileW(slot->m_path, &found);
      if (search == INVALID_HANDLE_VALUE) return 0;
      ::FindClose(search);
      return (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
    }
  }
  return 0;
}

bool Shown(CWnd& pane) { return pane.m_hWnd && pane.IsWindowVisible(); }

}  // namespace

IMPLEMENT_DYNCREATE(CPentavoView, CView)

BEGIN_MESSAGE_MAP(CPentavoView, CView)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_DESTROY()
ON_WM_TIMER()
ON_WM_KEYDOWN()
ON_MESSAGE(WM_PANE_RESIZED, OnPaneResized)
ON_MESSAGE(WM_PAIR_CHANGED, OnPaneChanged)
ON_MESSAGE(WM_RENDER_CURRENT, OnRenderCurrent)
ON_REGISTERED_MESSAGE(g_fileWatchMessage, OnFileWatchNotify)
ON_MESSAGE(WM_MIRROR_SHAPE, OnMirrorShape)
ON_MESSAGE(WM_MIRROR_INSERT_POINT, OnMirrorInsertPoint)
ON_MESSAGE(WM_MIRROR_REMOVE_POINT, OnMirrorRemovePoint)
ON_MESSAGE(WM_MIRROR_SELECT_POINT, OnMirrorSelectPoint)
ON_COMMAND(ID_IMPORT_SOURCE, OnImportSource)
ON_COMMAND(ID_IMPORT_TARGET, OnImportTarget)
ON_COMMAND(ID_EXPORT_CURRENT_FRAME, OnExportCurrentFrame)
ON_COMMAND(ID_EXPORT_ANIMATION, OnExportAnimation)
ON_COMMAND(ID_EDIT_UNDO, OnUndo)
ON_COMMAND(ID_EDIT_REDO, OnRedo)
ON_COMMAND(ID_SWAP_SOURCE_TARGET, OnSwapSourceTarget)
ON_COMMAND(ID_MODE_IMAGE_PROCESS, OnModeImageProcess)
ON_COMMAND(ID_MODE_FEATURE_LINE, OnModeFeatureLine)
ON_COMMAND(ID_MODE_FIGURE, OnModeFigure)
ON_COMMAND(ID_LINE_POINT_DELETE, OnLinePointDelete)
ON_COMMAND(ID_LINE_CREATE, OnLineCreate)
ON_COMMAND(ID_LINE_EDIT, OnLineEdit)
ON_COMMAND(ID_FIGURE_INSERT_POINT, OnFigureInsertPoint)
ON_COMMAND(ID_DELETE_CURRENT_POINT, OnDeleteCurrentPoint)
ON_COMMAND(ID_COPY_TARGET_LINES_TO_SOURCE, OnCopyTargetLinesToSource)
ON_COMMAND(ID_COPY_SOURCE_LINES_TO_TARGET, OnCopySourceLinesToTarget)
ON_COMMAND(ID_ZOOM_IN, OnZoomIn)
ON_COMMAND(ID_ZOOM_OUT, OnZoomOut)
ON_COMMAND(ID_ZOOM_ACTUAL, OnZoomActual)
ON_COMMAND(ID_SET_OUTPUT_SIZE, OnSetOutputSize)
ON_COMMAND(ID_MORPHER_SETUP, OnMorpherSetup)
ON_COMMAND(ID_SHOW_PREVIEW, OnShowPreview)
ON_COMMAND(ID_ONLY_SOURCE, OnOnlySource)
ON_COMMAND(ID_ONLY_TARGET, OnOnlyTarget)
ON_COMMAND(ID_HELP, OnHelpFile)
ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_LOAD_SAMPLE, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_IMPORT_SOURCE, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_IMPORT_TARGET, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_EXPORT_CURRENT_FRAME, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_EXPORT_ANIMATION, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_SWAP_SOURCE_TARGET, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_MODE_IMAGE_PROCESS, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_MORPHER_SETUP, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_SET_OUTPUT_SIZE, OnUpdateNotPlaying)
ON_UPDATE_COMMAND_UI(ID_DELETE_CURRENT_POINT, OnUpdateFeatureLineMode)
ON_UPDATE_COMMAND_UI(ID_LINE_POINT_DELETE, OnUpdateFeatureLineMode)
ON_UPDATE_COMMAND_UI(ID_LINE_CREATE, OnUpdateFeatureLineMode)
ON_UPDATE_COMMAND_UI(ID_LINE_EDIT, OnUpdateFeatureLineMode)
ON_UPDATE_COMMAND_UI(ID_FIGURE_INSERT_POINT, OnUpdateFigureMode)
ON_UPDATE_COMMAND_UI(ID_FIGURE_NEW, OnUpdateFigureMode)
ON_UPDATE_COMMAND_UI(ID_FIGURE_MOVE_POINT, OnUpdateFigureMode)
ON_UPDATE_COMMAND_UI(ID_ZOOM_IN, OnUpdateZoomIn)
ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT, OnUpdateZoomOut)
ON_UPDATE_COMMAND_UI(ID_SHOW_PREVIEW, OnUpdateShowPreview)
ON_UPDATE_COMMAND_UI(ID_ONLY_SOURCE, OnUpdateOnlySource)
ON_UPDATE_COMMAND_UI(ID_ONLY_TARGET, OnUpdateOnlyTarget)
END_MESSAGE_MAP()

CPentavoView::CPentavoView() {
  BYTE* bytes = nullptr;
  int count = 0;
  if (LoadSetting(kSplitterSetting, &bytes, &count)) {
    if (count == static_cast<int>(sizeof m_splitter)) std::memcpy(&m_splitter, bytes, sizeof m_splitter);
    delete[] bytes;
  }
}

// The bar's window goes with the frame; the object is ours and must outlive it.
CPentavoView::~CPentavoView() {
  if (m_previewBar.m_hWnd) m_previewBar.DestroyWindow();
}

CPentavoView* GetMainView() {
  CDocument* document = GetMainDocument();
  if (!document) return nullptr;
  POSITION pos = document->GetFirstViewPosition();
  return pos ? dynamic_cast<CPentavoView*>(document->GetNextView(pos)) : nullptr;
}

void CPentavoView::OnDraw(CDC*) {}

void CPentavoView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  CreatePanes();
  // A new project (File > New) comes here too, with the renderer made long ago.
  RenderCurrent();
}

int CPentavoView::SplitPosition() const {
  CRect client;
  GetClientRect(&client);
  return m_splitter.split != 0 ? m_splitter.split : client.Width() / 2;
}

void CPentavoView::CreatePanes() {
  if (IsRendererCreated()) return;
  if (!m_sourcePane.m_hWnd) CreateSourcePane();
  if (!m_targetPane.m_hWnd) CreateTargetPane();
  if (!m_previewPlay.m_hWnd) {
    if (CreateDockingPanel(m_previewBar, u"Preview and Play", kPreviewBarId, AFX_IDW_DOCKBAR_RIGHT) &&
        CreatePreviewWindow(&m_previewBar)) {
      m_previewBar.SetHostedWindow(&m_previewPlay);
      // The preview's size reports come to the view.
      m_previewPlay.m_preview.SetOwner(this);
      m_previewPlay.ShowWindow(SW_SHOW);
    }
    GetMorphProject()->InitDirect3D(m_previewPlay.m_preview.m_hWnd ? &m_previewPlay.m_preview : nullptr);
  }
  RefreshPanes();
  RenderCurrent();
  CRect client;
  GetClientRect(&client);
  const int x = SplitPosition();
  if (m_sourcePane.m_hWnd) {
    m_sourcePane.MoveWindow(client.left, client.top, x - client.left, client.Height());
    m_sourcePane.ShowWindow(SW_SHOW);
  }
  if (m_targetPane.m_hWnd) {
    m_targetPane.MoveWindow(x, client.top, client.right - x, client.Height());
    m_targetPane.ShowWindow(SW_SHOW);
  }
}

void CPentavoView::RecalcPaneLayout(CWnd* except) {
  if (!m_sourcePane.m_hWnd || !m_targetPane.m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  const bool source = Shown(m_sourcePane), target = Shown(m_targetPane);
  if (!source) {
    m_targetPane.MoveWindow(&client);
    return;
  }
  if (!target) {
    m_sourcePane.MoveWindow(&client);
    return;
  }
  CRect sourceRect;
  m_sourcePane.GetWindowRect(&sourceRect);
  const int w = std::max(kMinSourceWidth, std::min(sourceRect.Width(), static_cast<int>(client.right) - kTargetMargin));
  m_sourcePane.MoveWindow(client.left, client.top, w - client.left, client.Height());
  if (except != &m_targetPane && (!except || except->m_hWnd != m_targetPane.m_hWnd))
    m_targetPane.MoveWindow(w, client.top, client.right - w, client.Height());
}

BOOL CPentavoView::LoadProject(LPCTSTR path) {
  CreatePanes();
  CMorphProject* project = GetMorphProject();
  if (!project->LoadProjectFile(path)) return FALSE;
  // The project may bring another output size: the preview takes its aspect.
  if (m_previewPlay.m_hWnd) m_previewPlay.RecalcLayout();
  RefreshPanes();
  RedrawPanes();
  // A project read from its file brings its zoom without a zoom command:
  // the status bar follows what the panes now show.
  ShowZoomInStatusBar();
  if (CEditorLink* editor = GetEditorLink()) editor->RefreshTimeline();
  if (CWnd* frame = GetParentFrame()) frame->SendMessage(WM_CHECK_EDIT_MODE, 0, project->GetEditMode());
  return TRUE;
}

void CPentavoView::RenderCurrent() {
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  if (!IsRendererCreated()) return;
  RenderPair(pair);
  // A pair that cannot be drawn presents nothing: the preview clears itself
  // rather than keep the last frame of another pair or project.
  if (!PairShowsInPreview(pair) && m_previewPlay.m_preview.m_hWnd) m_previewPlay.m_preview.Invalidate(FALSE);
}

void CPentavoView::RedrawPanes() {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pane->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CPentavoView::RefreshPanes() {
  m_sourcePane.RefreshImage();
  m_targetPane.RefreshImage();
}

void CPentavoView::OnMouseWheelRouted(int delta) {
  if (!m_sourcePane.m_hWnd) return;
  CRect rect;
  m_sourcePane.GetWindowRect(&rect);
  // A pane with no size yet gives no step (the division would be by zero).
  const int extent = rect.Width() + rect.Height();
  if (extent <= 0) return;
  const float step = static_cast<float>(delta) / static_cast<float>(extent);
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()}) {
    if (!pane->m_hWnd) continue;
    if (delta > 0)
      pane->Enlarge(step);
    else
      pane->Shrink(step);
  }
}

void CPentavoView::OnSize(UINT nType, int cx, int cy) {
  RecalcPaneLayout(nullptr);
  CView::OnSize(nType, cx, cy);
}

BOOL CPentavoView::OnEraseBkgnd(CDC*) { return FALSE; }

void CPentavoView::OnDestroy() {
  CView::OnDestroy();
  // While one pane is hidden the source's width is not the split: keep the
  // remembered one. The panes' own styles say so: the frame itself is
  // already hidden on its way out.
  const auto paneShown = [](CWnd& pane) { return pane.m_hWnd && (pane.GetStyle() & WS_VISIBLE) != 0; };
  if (paneShown(m_sourcePane) && paneShown(m_targetPane)) {
    CRect rect;
    m_sourcePane.GetWindowRect(&rect);
    m_splitter.split = rect.Width();
  }
  SaveSetting(kSplitterSetting, reinterpret_cast<const BYTE*>(&m_splitter), sizeof m_splitter);
  StopFileWatch();
  if (m_previewBar.m_hWnd) m_previewBar.DestroyWindow();
}

LRESULT CPentavoView::OnPaneResized(WPARAM, LPARAM lParam) {
  auto window = reinterpret_cast<HWND>(lParam);
  if (!window) return 0;
  if (window == m_previewPlay.m_hWnd || window == m_previewPlay.m_preview.m_hWnd) {
    // The on-screen frame is fitted into the preview's client area.
    CD3DMeshRenderer* renderer = GetRenderer();
    if (window == m_previewPlay.m_preview.m_hWnd && renderer) {
      CRenderLockScope lock;
      m_previewPlay.m_preview.GetClientRect(&renderer->m_viewRect);
    }
    RenderCurrent();
    return 0;
  }
  // The layout resizes the panes: their own size reports would come back here.
  m_sourcePane.m_bNotifyOnSize = 0;
  m_targetPane.m_bNotifyOnSize = 0;
  RecalcPaneLayout(CWnd::FromHandle(window));
  m_sourcePane.m_bNotifyOnSize = 1;
  m_targetPane.m_bNotifyOnSize = 1;
  return 0;
}

// Arrow keys nudge the selected feature-line points of the pane last clicked
// by one picture pixel.
void CPentavoView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  POINT offset{0, 0};
  switch (nChar) {
    case VK_LEFT: offset.x = -1; break;
    case VK_UP: offset.y = -1; break;
    case VK_RIGHT: offset.x = 1; break;
    case VK_DOWN: offset.y = 1; break;
    default: break;
  }
  CMorphProject* project = GetMorphProject();
  if ((offset.x || offset.y) && project->GetPairCount() > 0) {
    CMorphPair* pair = project->CurrentPair();
    CImageSlot* slot = GetActiveImageView() == &m_sourcePane ? pair->GetSourceSlot() : pair->GetTargetSlot();
    slot->GetLines()->MoveSelection(POINT{0, 0}, offset);
    RedrawPanes();
    pair->SetMeshDirty(TRUE);
    RenderCurrent();
    SetDocumentModified(TRUE);
  }
  CView::OnKeyDown(nChar, nRepCnt, nFlags);
}

LRESULT CPentavoView::OnPaneChanged(WPARAM wParam, LPARAM) {
  RedrawPanes();
  CMorphProject* project = GetMorphProject();
  if (project->GetEditMode() == kEditFeatureLine && wParam)
    if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame()))
      frame->m_wndToolBar.SendMessage(TB_CHECKBUTTON, ID_LINE_EDIT, MAKELPARAM(TRUE, 0));
  project->CurrentPair()->SetMeshDirty(TRUE);
  RenderCurrent();
  SetDocumentModified(TRUE);
  return 0;
}

LRESULT CPentavoView::OnRenderCurrent(WPARAM, LPARAM) {
  RenderCurrent();
  m_previewPlay.m_timeLineBar.SyncCurveControl();
  return 0;
}

// Any watched picture changed: every pair reads its pictures again once the
// writes have settled (each notice restarts the wait).
LRESULT CPentavoView::OnFileWatchNotify(WPARAM, LPARAM) {
  m_nWatchTries = 0;
  SetTimer(kWatchTimer, kWatchSettleMs, nullptr);
  return 0;
}

void CPentavoView::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kWatchTimer) {
    CView::OnTimer(nIDEvent);
    return;
  }
  KillTimer(kWatchTimer);
  // A message box of the last round is still open: this round waits for it.
  if (m_bReportingWatch) {
    SetTimer(kWatchTimer, kWatchSettleMs, nullptr);
    return;
  }
  ReloadWatchedPictures();
}

// A file that does not read leaves its pictures, and the project, as they were.
void CPentavoView::ReloadWatchedPictures() {
  CMorphProject* project = GetMorphProject();
  std::vector<CString> failures;
  CollectEditorMessages(&failures);
  BOOL read = FALSE;
  for (int i = 0; i < project->GetPairCount(); ++i)
    if (project->PairAt(i)->ReloadImages()) read = TRUE;
  CollectEditorMessages(nullptr);
  if (read) {
    RedrawPanes();
    RenderCurrent();
    project->RefreshPairList();
    SetDocumentModified(TRUE);
  }
  if (failures.empty()) {
    m_watchReported.clear();
    return;
  }
  if (++m_nWatchTries < kWatchTries) {
    SetTimer(kWatchTimer, kWatchRetryMs, nullptr);
    return;
  }
  ReportWatchFailures(failures);
}

// Each file once, until it is written again.
void CPentavoView::ReportWatchFailures(const std::vector<CString>& failures) {
  std::vector<CString> shown;
  for (const CString& text : failures) {
    const ULONGLONG time = WriteTimeOfNamed(text);
    auto [at, added] = m_watchReported.try_emplace(text.Native(), time);
    if (!added && at->second == time) continue;
    at->second = time;
    if (std::find(shown.begin(), shown.end(), text) == shown.end()) shown.push_back(text);
  }
  m_bReportingWatch = TRUE;
  if (CEditorLink* editor = GetEditorLink())
    for (const CString& text : shown) editor->ShowMessage(text);
  m_bReportingWatch = FALSE;
}

// --- outline edits mirrored to the other side ---

CImageSlot* CPentavoView::OtherSlot(LPARAM changed) {
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  return reinterpret_cast<HWND>(changed) == m_sourcePane.m_hWnd ? pair->GetTargetSlot() : pair->GetSourceSlot();
}

CWnd* CPentavoView::OtherPane(LPARAM changed) {
  return reinterpret_cast<HWND>(changed) == m_sourcePane.m_hWnd ? static_cast<CWnd*>(&m_targetPane) : &m_sourcePane;
}

LRESULT CPentavoView::OnMirrorShape(WPARAM, LPARAM lParam) {
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  CImageSlot* other = OtherSlot(lParam);
  CImageSlot* changed = other == pair->GetTargetSlot() ? pair->GetSourceSlot() : pair->GetTargetSlot();
  other->SetShape(*changed->GetShape());
  other->GetShape()->SetState(2);  // finished
  if (CWnd* pane = OtherPane(lParam); pane->m_hWnd) pane->Invalidate();
  return 0;
}

LRESULT CPentavoView::OnMirrorInsertPoint(WPARAM wParam, LPARAM lParam) {
  OtherSlot(lParam)->InsertMidPoint(static_cast<int>(wParam));
  if (CWnd* pane = OtherPane(lParam); pane->m_hWnd) pane->Invalidate();
  return 0;
}

LRESULT CPentavoView::OnMirrorRemovePoint(WPARAM wParam, LPARAM lParam) {
  CImageSlot* other = OtherSlot(lParam);
  other->GetShape()->RemovePoint(static_cast<int>(wParam));
  other->UpdateMask();
  if (CWnd* pane = OtherPane(lParam); pane->m_hWnd) pane->Invalidate();
  return 0;
}

LRESULT CPentavoView::OnMirrorSelectPoint(WPARAM wParam, LPARAM lParam) {
  CEditablePath* shape = OtherSlot(lParam)->GetShape();
  // -1 (the path cleared its selection) clears the other side's too.
  shape->SetSelected(static_cast<int>(wParam));
  if (CWnd* pane = OtherPane(lParam); pane->m_hWnd) pane->Invalidate();
  return 0;
}
