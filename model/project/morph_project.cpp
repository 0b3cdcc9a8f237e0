// CMorphProject: the pair list, the settings and their effects on the pairs,
// New, and the one instance.
#include "model/project/morph_project.h"

#include <cstdlib>

#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "model/project/project_links.h"
#include "model/project/undo_history.h"

namespace {

CMorphProject* g_project = nullptr;

// Growth of the pair array: an eighth of its size, within 4..1024.
int GrowBy(int count) { return count / 8 < 4 ? 4 : count / 8 > 1024 ? 1024 : count / 8; }

struct ExitRegistration {
  ExitRegistration() { std::atexit(DestroyMorphProject); }
} g_exitRegistration;

}  // namespace

CMorphProject* GetMorphProject() {
  if (g_project == nullptr) g_project = new CMorphProject;
  return g_project;
}

void DestroyMorphProject() {
  delete g_project;
  g_project = nullptr;
  CComandmanger::Destroy();
}

CMorphProject::CMorphProject() {
  m_background.color = 0xFFFF0000;
  m_foreground.color = 0x00000000;
  m_pairs.SetSize(0, GrowBy(0));
  m_pairs.Add(new CMorphPair);
}

CMorphProject::~CMorphProject() { RemoveAllPairs(); }

void CMorphProject::RemoveAllPairs() {
  for (int i = 0; i < m_pairs.GetSize(); ++i) delete m_pairs[i];
  m_pairs.RemoveAll();
  m_current = 0;
}

void CMorphProject::MarkModified() {
  if (CEditorLink* editor = GetEditorLink()) editor->SetDocumentModified(TRUE);
}

// --- pairs ---

int CMorphProject::GetTotalFrames() const {
  int total = 0;
  for (int i = 0; i < m_pairs.GetSize(); ++i) total += m_pairs[i]->GetFrameCount();
  return total;
}

BOOL CMorphProject::InsertPair() {
  auto* pair = new CMorphPair;
  pair->InitFromPair(CurrentPair());
  pair->ReloadImages();
  m_pairs.SetSize(m_pairs.GetSize(), GrowBy(m_pairs.GetSize()));
  m_pairs.InsertAt(m_current + 1, pair);
  SelectPair(m_current + 1);
  MarkModified();
  return TRUE;
}

void CMorphProject::DeleteCurrentPair() {
  if (m_pairs.GetSize() <= 1) return;
  delete m_pairs[m_current];
  m_pairs.RemoveAt(m_current);
  if (m_current >= m_pairs.GetSize()) m_current = m_pairs.GetSize() - 1;
  // The history held the deleted pair's snapshots, which Undo would write
  // into the pair now current; the panes and the timeline showed the deleted pair.
  CComandmanger::Get()->Clear();
  if (CEditorLink* editor = GetEditorLink()) {
    editor->RefreshImageView(0);
    editor->RefreshImageView(1);
    editor->RefreshTimeline();
  }
  MarkModified();
}

void CMorphProject::MovePairUp() {
  if (m_current <= 0) return;
  std::swap(m_pairs[m_current], m_pairs[m_current - 1]);
  --m_current;
  if (CEditorLink* editor = GetEditorLink()) editor->RefreshPanel();
  MarkModified();
}

void CMorphProject::MovePairDown() {
  if (m_current >= m_pairs.GetSize() - 1) return;
  std::swap(m_pairs[m_current], m_pairs[m_current + 1]);
  ++m_current;
  if (CEditorLink* editor = GetEditorLink()) editor->RefreshPanel();
  MarkModified();
}

void CMorphProject::MovePairTo(int i) {
  // An index outside the list would lose the pair or write past the array.
  if (i < 0 || i >= m_pairs.GetSize() || m_current < 0) return;
  CMorphPair* pair = m_pairs[m_current];
  m_pairs.RemoveAt(m_current);
  m_pairs.InsertAt(i, pair);
  m_current = i;
  if (CEditorLink* editor = GetEditorLink()) editor->RefreshPanel();
  MarkModified();
}

BOOL CMorphProject::SelectPair(int i) {
  if (i < 0 || i >= m_pairs.GetSize()) return FALSE;
  // The history covers the current pair only.
  if (i != m_current) CComandmanger::Get()->Clear();
  m_current = i;
  if (CEditorLink* editor = GetEditorLink()) {
    editor->RefreshImageView(0);
    editor->RefreshImageView(1);
    editor->RefreshTimeline();
    // Each pair keeps its own zoom: the status bar tells the new one.
    editor->ShowZoom();
  }
  return RenderPair(CurrentPair());
}

void CMorphProject::InvalidateAllPairs() {
  for (int i = 0; i < m_pairs.GetSize(); ++i) m_pairs[i]->SetMeshDirty(TRUE);
}

// --- settings ---

SIZE& CMorphProject::GetOutputSize(SIZE& out) const {
  out = SIZE{m_width, m_height};
  return out;
}

void CMorphProject::SetOutputSize(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxOutputSide || height > kMaxOutputSide) return;
  const float sx = static_cast<float>(width) / static_cast<float>(m_width);
  const float sy = static_cast<float>(height) / static_cast<float>(m_height);
  m_width = width;
  m_height = height;
  ResizeSurfaces();
  for (int i = 0; i < m_pairs.GetSize(); ++i) {
    CMorphPair* pair = m_pairs[i];
    pair->GetSourceLines()->ScaleXY(sx, sy);
    pair->GetTargetLines()->ScaleXY(sx, sy);
    LoadImageSlot(pair->GetTargetSlot(), pair);
    LoadImageSlot(pair->GetSourceSlot(), pair);
  }
  InvalidateAllPairs();
}

void CMorphProject::ResizeSurfaces() {
  if (CRendererLink* renderer = GetRendererLink()) renderer->ResizeSurfaces(m_width, m_height);
}

void CMorphProject::SetBusy(int busy) {
  m_busy = busy;
  if (CRendererLink* renderer = GetRendererLink()) renderer->SetBusy(busy);
}

void CMorphProject::SetEditMode(int mode) {
  const int old = m_editMode;
  m_editMode = mode;
  if (mode == old) return;
  // A slot's display picture depends on the mode, and the pair's thumbnail
  // on it (a clip shows in the line modes only).
  LoadImageSlot(CurrentPair()->GetSourceSlot(), CurrentPair());
  LoadImageSlot(CurrentPair()->GetTargetSlot(), CurrentPair());
  RefreshPairList();
}

void CMorphProject::SetMaskEdgeMode(int mode) {
  m_maskEdgeMode = mode;
  for (int i = 0; i < m_pairs.GetSize(); ++i) {
    m_pairs[i]->GetSourceSlot()->UpdateMask();
    m_pairs[i]->GetTargetSlot()->UpdateMask();
  }
}

int CMorphProject::GetLineTool() const { return ::GetLineTool(); }
void CMorphProject::SetLineTool(int tool) { ::SetLineTool(tool); }

void CMorphProject::SetBackground(const CFillStyle& fill) {
  m_background = fill;
  if (CRendererLink* renderer = GetRendererLink()) renderer->SetFills(m_background, m_foreground);
  InvalidateAllPairs();
}

void CMorphProject::SetForeground(const CFillStyle& fill) {
  m_foreground = fill;
  if (CRendererLink* renderer = GetRendererLink()) renderer->SetFills(m_background, m_foreground);
  InvalidateAllPairs();
}

// --- editor ---

void CMorphProject::SetPlaying(int playing) {
  if (CEditorLink* editor = GetEditorLink()) editor->EnableViews(playing == 0);
}

void CMorphProject::RefreshPairList() {
  if (CEditorLink* editor = GetEditorLink()) editor->RebuildThumbnails();
}

void CMorphProject::RefreshTimeline() {
  if (CEditorLink* editor = GetEditorLink()) {
    editor->RefreshTimeline();
    editor->ApplyFrameCount();
  }
}

// --- New ---

BOOL CMorphProject::ResetProject() {
  CComandmanger::Get()->Clear();
  CEditorLink* editor = GetEditorLink();
  if (editor) editor->StopPlayback();
  RemoveAllPairs();
  m_pairs.Add(new CMorphPair);
  if (editor) {
    SelectPair(0);
    editor->RefreshPanel();
  }
  return RenderPair(CurrentPair());
}
