// CPentavoView's commands of the main menu, toolbar and accelerators, and
// the update handlers that enable and check them.
#include <cstdio>
#include <memory>
#include <new>

#include "app/main_frame.h"
#include "app/pentavo_doc.h"
#include "app/pentavo_view.h"
#include "imaging/gif_codec.h"
#include "imaging/image_file.h"
#include "imaging/image_file_types.h"
#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_file.h"
#include "model/project/image_slot.h"
#include "model/project/line_set.h"
#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "model/project/project_links.h"
#include "model/project/undo_history.h"
#include "platform/file_watch.h"
#include "platform/program_folder.h"
#include "platform/replacing_file.h"
#include "platform/settings_store.h"
#include "platform/shown_path.h"
#include "render/frame_render.h"
#include "res/resource.h"
#include "ui/editing_dialogs.h"
#include "ui/export_animation_dlg.h"
#include "ui/picture_file_dialogs.h"

namespace {

constexpr const TCHAR* kFrameFolderSetting = u"RenderFRAMEFilePath";

bool Shown(CWnd& pane) { return pane.m_hWnd && pane.IsWindowVisible(); }

CString LoadTextSetting(LPCTSTR name) {
  BYTE* bytes = nullptr;
  int count = 0;
  CString text;
  if (LoadSetting(name, &bytes, &count)) {
    const int chars = count / static_cast<int>(sizeof(TCHAR));
    std::u16string value(reinterpret_cast<const TCHAR*>(bytes), static_cast<size_t>(chars));
    delete[] bytes;
    text = value.substr(0, value.find(u'\0')).c_str();
  }
  return text;
}

void SaveTextSetting(LPCTSTR name, const CString& text) {
  SaveSetting(name, reinterpret_cast<const BYTE*>(static_cast<LPCTSTR>(text)),
              (text.GetLength() + 1) * static_cast<int>(sizeof(TCHAR)));
}

// The main window is disabled while a frame is written and enabled again
// however the writing ends.
class CMainWindowDisabled {
 public:
  CMainWindowDisabled() : m_window(AfxGetMainWnd()) {
    if (m_window && m_window->m_hWnd) m_window->EnableWindow(FALSE);
  }
  ~CMainWindowDisabled() {
    if (m_window && m_window->m_hWnd) m_window->EnableWindow(TRUE);
  }
  CMainWindowDisabled(const CMainWindowDisabled&) = delete;
  CMainWindowDisabled& operator=(const CMainWindowDisabled&) = delete;

 private:
  CWnd* m_window;
};

// The frame reduced to 256 colours by the median cut; null when it cannot be.
std::unique_ptr<CPicImage> ReduceFrame(CPixelBuffer& frame) {
  const DWORD width = static_cast<DWORD>(frame.Width()), height = static_cast<DWORD>(frame.Height());
  auto* pixels = reinterpret_cast<BYTE*>(frame.bits);
  CMedianCutQuantizer quantizer(256);
  quantizer.AddPixels(pixels, width, height);
  RGBQUAD palette[256] = {};
  const int colors = quantizer.MakePalette(palette);
  return std::unique_ptr<CPicImage>(quantizer.CreateIndexedImage(pixels, width, height, 8, colors, palette, 1.0f));
}

// Writes the frame by the path's ending; FALSE when nothing usable was written.
BOOL WriteFrameFile(const CString& path, CPixelBuffer& frame, int quality, BOOL trueColor) {
  CString ending = path.Right(4);
  ending.MakeLower();
  if (ending == u".gif" || (ending == u".bmp" && !trueColor)) {
    std::unique_ptr<CPicImage> image = ReduceFrame(frame);
    if (!image) return FALSE;
    FILE* stream = _wfopen(path, u"wb");
    if (!stream) return FALSE;
    bool written = false;
    if (ending == u".gif") {
      CPicImageGIF gif;
      gif.SetLoops(1);
      gif.SetDisposalMethod(1);
      gif.Transfer(*image);
      CPicIOFile file(stream);
      written = gif.Encode(&file);
    } else {
      written = image->Encode(stream, PIC_FORMAT_BMP);
    }
    // A write the encoder did not notice still marks the stream.
    written = std::ferror(stream) == 0 && written;
    written = std::fclose(stream) == 0 && written;
    return written ? TRUE : FALSE;
  }
  CImageFile file;
  file.SetQuality(quality);
  return file.Save(path, 0, 0, frame.Width(), frame.Height(), frame.bits, 0);
}

}  // namespace

BOOL CPentavoView::IsPlaying() { return m_previewPlay.m_hWnd && m_previewPlay.m_timeLineBar.IsPlaying(); }

// --- import ---

void CPentavoView::ImportImage(int side) {
  CImageViewDlg* pane = side == 0 ? static_cast<CImageViewDlg*>(&m_sourcePane) : &m_targetPane;
  const CString path = AskImageFile(pane);
  if (path.IsEmpty()) return;
  CMorphProject* project = GetMorphProject();
  // A picture that cannot be read has been reported and changes nothing.
  CMorphPair* pair = project->CurrentPair();
  try {
    if (!(side == 0 ? pair->SetSourceImage(path) : pair->SetTargetImage(path))) return;
  } catch (const std::bad_alloc&) {
    // A picture too large for the memory left is a failed import, not the
    // end of the program.
    AfxMessageBox(u"Out of memory.", MB_ICONEXCLAMATION);
    return;
  }
  AddFileWatch(path, m_hWnd, 0);
  if (pane->m_hWnd) {
    pane->Invalidate();
    pane->RefitZoom();
  }
  ShowZoomInStatusBar();
  RenderCurrent();
  project->RefreshPairList();
  SetDocumentModified(TRUE);
}

void CPentavoView::OnImportSource() { ImportImage(0); }
void CPentavoView::OnImportTarget() { ImportImage(1); }

// --- export ---

void CPentavoView::OnExportCurrentFrame() {
  // A name typed without an ending becomes a BMP.
  CFrameSaveFileDlg dialog(FALSE, u"BMP", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                           u"BMP(*.BMP)|*.BMP|JPG(*.JPG)|*.JPG|TGA(*.TGA)|*.TGA|GIF(*.GIF)|*.GIF||", this);
  dialog.m_ofn.lpstrTitle = u"Select Image File";
  const CString folder = LoadTextSetting(kFrameFolderSetting);
  if (!folder.IsEmpty()) dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return;
  const CString path = dialog.GetPathName();
  const int slash = path.ReverseFind(u'\\');
  if (slash >= 0) SaveTextSetting(kFrameFolderSetting, path.Left(slash));
  if (path.IsEmpty() || GetImageFileType(path) == -1) return;

  BOOL written = FALSE;
  {
    CMainWindowDisabled disabled;
    SIZE size;
    GetMorphProject()->GetOutputSize(size);
    CPixelBuffer frame(RECT{0, 0, size.cx, size.cy});
    if (frame.bits) {
      RenderFrameToPixels(GetMorphProject()->CurrentPair(), &frame);
      // Written beside the target and put in its place only when whole: a
      // failure leaves no partial picture and keeps an earlier one.
      CReplacingFile output(path);
      written = WriteFrameFile(output.GetTempPath(), frame, dialog.m_nQuality, dialog.m_bTrueColor) &&
                output.Commit();
    }
    frame.Free();
  }
  if (!written) AfxMessageBox(CString(u"Cannot write the frame to \"") + ShownPath(path) + u"\".", MB_OK | MB_ICONERROR);
}

void CPentavoView::OnExportAnimation() {
  CMorphProject* project = GetMorphProject();
  project->SetBusy(TRUE);
  {
    CExportAnimationDlg dialog(this);
    dialog.DoModal();
  }
  project->SetBusy(FALSE);
  RenderCurrent();
  if (CEditorLink* editor = GetEditorLink()) editor->RefreshTimeline();
}

// --- editing ---

void CPentavoView::OnUndo() { CComandmanger::Get()->Undo(); }
void CPentavoView::OnRedo() { CComandmanger::Get()->Redo(); }

// Recorded with the pictures, so that Undo swaps them back instead of laying
// the lines of before the swap onto the exchanged pictures.
void CPentavoView::OnSwapSourceTarget() {
  CWaitCursor wait;
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  CUndoScope before(this, 0, CUndoScope::kPicturesRecord);
  pair->SwapImages();
  CUndoScope after(this, 1, CUndoScope::kPicturesRecord);
  GetMorphProject()->RefreshPairList();
  RedrawPanes();
  RenderCurrent();
  SetDocumentModified(TRUE);
}

// The modes show the pictures at different sizes: both panes refit.
void CPentavoView::EnterEditMode(int mode) {
  CWaitCursor wait;
  GetMorphProject()->SetEditMode(mode);
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) {
      pane->RefitZoom();
      pane->Invalidate();
    }
}

void CPentavoView::OnModeImageProcess() { EnterEditMode(kEditImageProcess); }
void CPentavoView::OnModeFeatureLine() { EnterEditMode(kEditFeatureLine); }

void CPentavoView::OnModeFigure() {
  GetMorphProject()->SetEditMode(kEditFigure);
  Invalidate();
}

// Pressed again, the point-delete tool gives way to the tool checked before.
void CPentavoView::OnLinePointDelete() {
  CMorphProject* project = GetMorphProject();
  if (project->GetLineTool() != kLineToolPointDelete) {
    project->SetLineTool(kLineToolPointDelete);
    return;
  }
  BOOL editChecked = FALSE;
  if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame()); frame && frame->m_wndToolBar.m_hWnd)
    editChecked = static_cast<BOOL>(frame->m_wndToolBar.SendMessage(TB_ISBUTTONCHECKED, ID_LINE_EDIT, 0));
  project->SetLineTool(editChecked ? kLineToolEdit : kLineToolNewLine);
}

void CPentavoView::OnLineCreate() {
  GetMorphProject()->SetLineTool(kLineToolNewLine);
  m_figureTool = 1;
  Invalidate();
}

void CPentavoView::OnLineEdit() {
  GetMorphProject()->SetLineTool(kLineToolEdit);
  m_figureTool = 0;
  RedrawPanes();
  m_figureTool = 2;
  RedrawPanes();
}

void CPentavoView::OnFigureInsertPoint() {
  m_figureTool = 0;
  RedrawPanes();
}

void CPentavoView::OnDeleteCurrentPoint() {
  CMorphProject* project = GetMorphProject();
  CMorphPair* pair = project->CurrentPair();
  if (project->GetEditMode() == kEditFigure) {
    pair->GetTargetSlot()->GetShape()->DeleteSelectedPoint();
    pair->GetSourceSlot()->GetShape()->DeleteSelectedPoint();
  } else {
    pair->GetSourceSlot()->GetLines()->DeleteSelectedPoints();
    pair->GetTargetSlot()->GetLines()->DeleteSelectedPoints();
    pair->GetTargetSlot()->GetLines()->ClearSelection();
    pair->SetMeshDirty(TRUE);
  }
  RenderCurrent();
  RedrawPanes();
  SetDocumentModified(TRUE);
}

// The pair tells the view of the copy (WM_PAIR_CHANGED), which marks the
// document modified.
void CPentavoView::OnCopyTargetLinesToSource() { GetMorphProject()->CurrentPair()->CopyPointsAcross(FALSE); }
void CPentavoView::OnCopySourceLinesToTarget() { GetMorphProject()->CurrentPair()->CopyPointsAcross(TRUE); }

// --- zoom ---

void CPentavoView::OnZoomIn() {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pane->Enlarge(0);
}

void CPentavoView::OnZoomOut() {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pane->Shrink(0);
}

void CPentavoView::OnZoomActual() {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pane->ActualSize();
}

// --- project settings ---

void CPentavoView::OnSetOutputSize() {
  CMorphProject* project = GetMorphProject();
  SIZE size;
  project->GetOutputSize(size);
  COutputSizeDlg dialog(this);
  dialog.SetSize(size.cx, size.cy);
  if (dialog.DoModal() != IDOK) return;
  int width = 0, height = 0;
  dialog.GetSize(width, height);
  project->SetOutputSize(width, height);
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pane->RefitZoom();
  if (m_previewPlay.m_hWnd) m_previewPlay.RecalcLayout();
  Invalidate();
  SetDocumentModified(TRUE);
}

void CPentavoView::OnMorpherSetup() {
  CMorphProject* project = GetMorphProject();
  CMorpherSetupDlg dialog(this);
  CFillStyle background, foreground;
  project->GetBackground(background);
  project->GetForeground(foreground);
  dialog.m_nMaskEdge = project->GetMaskEdgeMode();
  dialog.SetFills(background, foreground);
  dialog.m_nFps = project->GetFps();
  if (dialog.DoModal() != IDOK) return;
  project->SetMaskEdgeMode(dialog.m_nMaskEdge);
  dialog.GetFills(background, foreground);
  project->SetBackground(background);
  project->SetForeground(foreground);
  RenderCurrent();
  project->SetFps(dialog.m_nFps);
}

// --- windows ---

void CPentavoView::OnShowPreview() {
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !m_previewBar.m_hWnd) return;
  const BOOL visible = (m_previewBar.GetStyle() & WS_VISIBLE) != 0;
  frame->ShowControlBar(&m_previewBar, !visible, FALSE);
}

// While both panes show, the source's width is the split to come back to.
void CPentavoView::RememberSplit() {
  CRect rect;
  m_sourcePane.GetWindowRect(&rect);
  m_splitter.split = rect.Width();
}

void CPentavoView::MoveSourceToSplit() {
  CRect client;
  GetClientRect(&client);
  m_sourcePane.MoveWindow(client.left, client.top, SplitPosition() - client.left, client.Height());
}

void CPentavoView::OnOnlySource() {
  if (!m_sourcePane.m_hWnd || !m_targetPane.m_hWnd) return;
  const bool source = Shown(m_sourcePane), target = Shown(m_targetPane);
  if (source && target) {
    RememberSplit();
    m_targetPane.ShowWindow(SW_HIDE);
  } else if (source) {
    m_targetPane.ShowWindow(SW_SHOW);
    MoveSourceToSplit();
  } else {
    m_targetPane.ShowWindow(SW_HIDE);
    m_sourcePane.ShowWindow(SW_SHOW);
  }
  RecalcPaneLayout(nullptr);
}

void CPentavoView::OnOnlyTarget() {
  if (!m_sourcePane.m_hWnd || !m_targetPane.m_hWnd) return;
  const bool source = Shown(m_sourcePane), target = Shown(m_targetPane);
  if (source && target) {
    RememberSplit();
    m_sourcePane.ShowWindow(SW_HIDE);
    m_targetPane.ShowWindow(SW_SHOW);
  } else if (target) {
    m_sourcePane.ShowWindow(SW_SHOW);
    m_targetPane.ShowWindow(SW_SHOW);
    MoveSourceToSplit();
  } else {
    m_sourcePane.ShowWindow(SW_HIDE);
    m_targetPane.ShowWindow(SW_SHOW);
  }
  RecalcPaneLayout(nullptr);
}

void CPentavoView::OnHelpFile() {
  // The help-file path lies beside the program; without one the program folder serves.
  CString folder = AfxGetApp()->m_pszHelpFilePath ? AfxGetApp()->m_pszHelpFilePath : u"";
  folder = folder.IsEmpty() ? GetProgramFolder() + u"\\" : folder.Left(folder.ReverseFind(u'\\') + 1);
  CWnd* main = AfxGetMainWnd();
  const CString book = folder + u"Help\\Calvetta.chm";
  if (HtmlHelpW(main ? main->m_hWnd : nullptr, book, HH_DISPLAY_TOPIC, 0)) return;
  // Without an opener, or with one that failed, F1 would otherwise do nothing at all.
  CString page = folder + u"Help\\Calvetta\\index.html";
  if (GetFileAttributesW(page) == INVALID_FILE_ATTRIBUTES) page = book;
  AfxMessageBox(CString(u"Cannot open the help page \"") + ShownPath(page) + u"\".", MB_OK | MB_ICONEXCLAMATION);
}

// --- update handlers ---

void CPentavoView::OnUpdateNotPlaying(CCmdUI* pCmdUI) { pCmdUI->Enable(!IsPlaying()); }

void CPentavoView::OnUpdateFeatureLineMode(CCmdUI* pCmdUI) {
  pCmdUI->Enable(GetMorphProject()->GetEditMode() == kEditFeatureLine);
}

void CPentavoView::OnUpdateFigureMode(CCmdUI* pCmdUI) { pCmdUI->Enable(GetMorphProject()->GetEditMode() == kEditFigure); }

// Each pane's rule in turn; the target's, applied last, stands.
void CPentavoView::OnUpdateZoomIn(CCmdUI* pCmdUI) {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pCmdUI->Enable(pane->CanEnlarge());
}

void CPentavoView::OnUpdateZoomOut(CCmdUI* pCmdUI) {
  for (CImageViewDlg* pane : {SourcePane(), TargetPane()})
    if (pane->m_hWnd) pCmdUI->Enable(pane->CanShrink());
}

void CPentavoView::OnUpdateShowPreview(CCmdUI* pCmdUI) {
  pCmdUI->SetCheck(m_previewBar.m_hWnd && (m_previewBar.GetStyle() & WS_VISIBLE) ? 1 : 0);
}

void CPentavoView::OnUpdateOnlySource(CCmdUI* pCmdUI) { pCmdUI->SetCheck(Shown(m_targetPane) ? 0 : 1); }
void CPentavoView::OnUpdateOnlyTarget(CCmdUI* pCmdUI) { pCmdUI->SetCheck(Shown(m_sourcePane) ? 0 : 1); }
