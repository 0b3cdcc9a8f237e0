// CMorphPair, as far as the mirrored editing of its two line sets needs it:
// the two sides' lines, the shared selection, the image paths and the
// mesh-dirty flag, and the operations that keep both sides in step.
//
// TO BE COMPLETED by the morph-pair work: the image slots (the line sets
// move into them), frame count and timing curve, meshes, textures, effects
// and the record. The slot reload and the view refresh below are counted
// here until the slots and the views exist.
#pragma once

#include "compat/afx/string.h"
#include "model/line_set.h"

class CMorphPair {
 public:
  CMorphPair();
  CMorphPair(const CMorphPair&) = delete;

  CLineSet* GetSourceLines() { return &m_sourceLines; }
  CLineSet* GetTargetLines() { return &m_targetLines; }
  CSelectionList& GetSelection() { return m_selection; }
  BOOL IsMeshDirty() const { return m_meshDirty; }
  void SetMeshDirty(BOOL dirty) { m_meshDirty = dirty; }

  // --- mirrored line editing ---
  void SyncLineCount(CLineSet* edited);
  void InsertMirroredPoint(CLineSet* edited, const CLinePoint& at, const CVector2& position);
  // Takes a discarded new line off the other side too.
  void RemoveMirroredLine(CLineSet* edited, int line);
  void UpdateSlotForLines(CLineSet* set);
  void MirrorLineEdit(CLineSet* edited, const CLinePoint& index, BOOL close);
  void RefreshImageViews();
  void DeleteSelectedPoints();
  void SwapImages();
  void CopyPointsAcross(BOOL toTarget);

  CString m_sourcePath;
  CString m_targetPath;

  // Until the slots and views exist: how often each was asked for.
  int m_sourceSlotReloads = 0;
  int m_targetSlotReloads = 0;
  int m_viewRefreshes = 0;
  // wParam of the last pair-changed message: 1 while the new-line tool is on.
  WPARAM m_lastRefreshWParam = 0;

 private:
  CLineSet* OtherSide(const CLineSet* set) { return set == &m_sourceLines ? &m_targetLines : &m_sourceLines; }

  CLineSet m_sourceLines;
  CLineSet m_targetLines;
  CSelectionList m_selection;
  BOOL m_meshDirty = FALSE;
};
