// CMorphPair: mirrored editing of the two line sets.
#include "model/project/morph_pair.h"

#include <utility>

#include "model/project/line_tool.h"
#include "model/project/project_links.h"

void CMorphPair::SyncLineCount(CLineSet* edited) {
  CLineSet* other = OtherSide(edited);
  if (edited->GetLineCount() == 0) return;
  if (other->GetLineCount() < edited->GetLineCount()) other->GetLines().Add(new CFeatureLine);
  CFeatureLine* last = other->LineAt(other->GetLineCount() - 1);
  *last = *edited->LineAt(edited->GetLineCount() - 1);
  m_meshDirty = TRUE;
}

void CMorphPair::InsertMirroredPoint(CLineSet* edited, const CLinePoint& at, const CVector2& position) {
  CFeatureLine* line = OtherSide(edited)->LineAt(at.line);
  if (line == nullptr || at.point < 0) return;
  // Past the end the point is appended: growing to the index would leave
  // points between that the user never placed.
  const int p = at.point < line->GetPointCount() ? at.point : line->GetPointCount();
  line->InsertPoint(p, position);
  m_meshDirty = TRUE;
}

void CMorphPair::RemoveMirroredLine(CLineSet* edited, int line) {
  CLineSet* other = OtherSide(edited);
  CFeatureLine* removed = other->LineAt(line);
  if (removed == nullptr) return;
  other->RemoveLines(line, 1);
  delete removed;
  m_meshDirty = TRUE;
}

// The slot's mask is drawn from its mask lines while it loads: the pane and
// the preview show a changed mask only once the slot has read its picture again.
void CMorphPair::UpdateSlotForLines(CLineSet* set) {
  LoadImageSlot(set == GetSourceLines() ? &m_source : &m_target, this);
  RenderPair(this);
}

void CMorphPair::MirrorLineEdit(CLineSet* edited, const CLinePoint& index, BOOL close) {
  CFeatureLine* line = OtherSide(edited)->LineAt(index.line);
  if (line == nullptr) return;
  if (close) {
    line->closed = 1;
  } else {
    if (index.point < 0 || index.point >= line->GetPointCount()) return;
    line->closed = 0;
    line->RotateToFirst(index.point);
  }
  m_meshDirty = TRUE;
}

void CMorphPair::RefreshImageViews() {
  ++m_viewRefreshes;
  m_lastRefreshWParam = GetLineTool() == kLineToolNewLine ? 1 : 0;
  if (CEditorLink* editor = GetEditorLink()) editor->PairChanged(m_lastRefreshWParam);
}

void CMorphPair::DeleteSelectedPoints() {
  GetSourceLines()->DeleteSelectedPoints();
  GetTargetLines()->DeleteSelectedPoints();
  m_selection.RemoveAll();
  m_meshDirty = TRUE;
}

// Each picture takes its settings along: the clip and the colour adjustment
// are applied when the slot loads, so left behind they would cut and colour
// the other picture.
void CMorphPair::SwapImages() {
  std::swap(m_sourcePath, m_targetPath);
  m_source.SwapSettings(m_target);
  m_source.m_path = m_sourcePath;
  m_target.m_path = m_targetPath;
  LoadImageSlot(&m_source, this);
  LoadImageSlot(&m_target, this);
  m_meshDirty = TRUE;
}

void CMorphPair::CopyPointsAcross(BOOL toTarget) {
  CLineSet* from = toTarget ? GetSourceLines() : GetTargetLines();
  CLineSet* to = toTarget ? GetTargetLines() : GetSourceLines();
  for (int i = 0; i < m_selection.GetSize(); ++i) {
    const CLinePoint& s = m_selection[i];
    const CVector2* p = from->PointAt(s.line, s.point);
    CVector2* q = to->PointAt(s.line, s.point);
    if (p != nullptr && q != nullptr) *q = *p;
  }
  RefreshImageViews();
  m_meshDirty = TRUE;
}
