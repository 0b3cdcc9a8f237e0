// The pair record of the project file and the pair's undo snapshot. A
// record is never trusted: counts, ranges, effect ids and the agreement of
// the two line sets are checked, and a bad record throws the framework's
// archive exception so that the whole file is refused.
#include "model/project/morph_pair.h"

#include <algorithm>
#include <cmath>

#include "compat/afx/archive.h"
#include "imaging/image_file_types.h"
#include "model/project/effect.h"
#include "model/project/morph_project.h"
#include "model/project/record_checks.h"

namespace {

constexpr DWORD kPairVersion = 1;
constexpr DWORD kNoEffectStored = 0xFFFFFFFF;

[[noreturn]] void Refuse() { AfxThrowArchiveException(CArchiveException::badIndex); }

int ReadInRange(CArchive& ar, int low, int high) {
  int v = 0;
  ar >> v;
  if (v < low || v > high) Refuse();
  return v;
}

// A stored picture path that no longer exists is looked for in the data
// folder of its kind; an empty path stays empty.
CString Relocated(const CString& path, int kind) {
  CheckPathText(path);
  return path.IsEmpty() ? path : AppSubfolderPath(path, kind);
}

// A fraction the panel edits between 0 and 1.
float ReadFraction(CArchive& ar) {
  float v = 0.0f;
  ar >> v;
  return std::clamp(CheckFinite(v), 0.0f, 1.0f);
}

// A timing curve must give one value per frame: at least two keys, none
// to the left of the one before it. Any other is the pair's default curve.
bool IsUsableTimingCurve(const CCurveKeys& curve) {
  if (curve.GetSize() < 2) return false;
  for (int i = 1; i < curve.GetSize(); ++i)
    if (curve[i].x < curve[i - 1].x) return false;
  return curve.x0 != curve.x1 && curve.y0 != curve.y1;
}

// The curve control keeps dragged keys inside the curve's range; a key
// inserted where the curve overshoots lies at most the control's margin
// beyond it. A key farther out than the range's own width or height was
// not made by the editor, and would make the curve swing far outside the
// range.
bool KeysLieNearTheRange(const CCurveKeys& curve) {
  const double w = std::fabs(static_cast<double>(curve.x1) - curve.x0);
  const double h = std::fabs(static_cast<double>(curve.y1) - curve.y0);
  const double left = std::min(curve.x0, curve.x1) - w, right = std::max(curve.x0, curve.x1) + w;
  const double bottom = std::min(curve.y0, curve.y1) - h, top = std::max(curve.y0, curve.y1) + h;
  for (int i = 0; i < curve.GetSize(); ++i) {
    const CVector2& k = curve[i];
    if (k.x < left || k.x > right || k.y < bottom || k.y > top) return false;
  }
  return true;
}

void StoreSelection(CArchive& ar, const CSelectionList& selection) {
  ar << selection.GetSize();
  for (int i = 0; i < selection.GetSize(); ++i) ar << selection[i].line << selection[i].point;
}

// Grows as points arrive, so a huge count in a short file allocates little.
void LoadSelection(CArchive& ar, CSelectionList& selection) {
  const int n = ReadInRange(ar, 0, CMorphPair::kMaxSelected);
  selection.RemoveAll();
  for (int i = 0; i < n; ++i) {
    CLinePoint p{0, 0};
    ar >> p.line >> p.point;
    selection.Add(p);
  }
}

}  // namespace

void CMorphPair::SerializeEffect(CArchive& ar, CEffect*& effect) {
  if (ar.IsStoring()) {
    ar << (effect ? static_cast<DWORD>(effect->GetID()) : kNoEffectStored);
    if (effect) effect->Serialize(ar);
    return;
  }
  int id = 0;
  ar >> id;
  delete effect;
  effect = nullptr;
  if (id < 0) return;
  // An unknown effect's block has no length: the rest of the file could
  // not be read in step, so the file is refused.
  if (GetEffectRegistry().Lookup(id) == nullptr) AfxThrowArchiveException(CArchiveException::badClass);
  effect = GetEffectRegistry().Create(id);
  if (effect == nullptr) AfxThrowMemoryException();
  effect->Serialize(ar);
}

int CMorphPair::Serialize(CArchive& ar) {
  if (!ar.IsStoring()) {
    LoadFields(ar);
    return 1;
  }
  ar << kPairVersion << kPairVersion << m_frameCount << m_currentFrame;
  ar << m_sourcePath << m_targetPath << m_warpMode << m_maskEdge;
  StoreSelection(ar, m_selection);
  ar << m_inFrames << m_outFrames;
  SerializeEffect(ar, m_inEffect);
  SerializeEffect(ar, m_outEffect);
  ar << m_transition.path << m_transition.edge << m_transition.reverse;
  ar << m_light.path << m_light.strength << m_fadeIn << m_fadeOut << m_totalMaskPath;
  m_source.Serialize(ar);
  m_target.Serialize(ar);
  m_curve.Serialize(ar);
  return 1;
}

void CMorphPair::LoadFields(CArchive& ar) {
  DWORD major = 0, minor = 0;
  ar >> major >> minor;
  m_frameCount = ReadInRange(ar, 1, kMaxFrames);
  int current = 0;
  ar >> current;
  SetCurrentFrame(current);
  CString source, target;
  ar >> source >> target;
  m_sourcePath = Relocated(source, SUBFOLDER_IMAGE);
  m_targetPath = Relocated(target, SUBFOLDER_IMAGE);
  m_source.m_path = m_sourcePath;
  m_target.m_path = m_targetPath;
  ar >> m_warpMode;
  m_warpMode = std::clamp(m_warpMode, 0, kMaxWarpMode);
  m_maskEdge = ReadInRange(ar, 0, kMaxMaskEdge);
  LoadSelection(ar, m_selection);
  m_inFrames = ReadInRange(ar, 0, kMaxFrames);
  m_outFrames = ReadInRange(ar, 0, kMaxFrames);
  SerializeEffect(ar, m_inEffect);
  SerializeEffect(ar, m_outEffect);
  CString wipe, light;
  ar >> wipe;
  m_transition.edge = ReadFraction(ar);
  ar >> m_transition.reverse;
  m_transition.reverse = NormalFlag(m_transition.reverse);
  m_transition.path = Relocated(wipe, SUBFOLDER_WIPE);
  ar >> light;
  m_light.strength = ReadFraction(ar);
  m_light.path = Relocated(light, SUBFOLDER_LIGHT);
  m_fadeIn = ReadInRange(ar, 0, kMaxFrames);
  m_fadeOut = ReadInRange(ar, 0, kMaxFrames);
  ar >> m_totalMaskPath;
  CheckPathText(m_totalMaskPath);
  m_source.Serialize(ar);
  m_target.Serialize(ar);
  CheckLinesInStep();
  m_source.SetFeather(m_maskEdge);
  m_target.SetFeather(m_maskEdge);
  LoadTimingCurve(ar);
  m_meshDirty = TRUE;
  RecreateTextures();
}

// Point j of line i on one side is point j of line i on the other: sets
// that differ would be indexed out of step by the mesh and the editing.
void CMorphPair::CheckLinesInStep() {
  CLineSet* s = GetSourceLines();
  CLineSet* t = GetTargetLines();
  if (s->GetLineCount() != t->GetLineCount()) Refuse();
  for (int i = 0; i < s->GetLineCount(); ++i)
    if (s->LineAt(i)->GetPointCount() != t->LineAt(i)->GetPointCount()) Refuse();
  s->PruneSelection();
}

int CMorphPair::SerializeSnapshot(CArchive& ar) {
  if (ar.IsStoring()) {
    StoreSelection(ar, m_selection);
    m_source.SerializeSnapshot(ar);
    m_target.SerializeSnapshot(ar);
    m_curve.Serialize(ar);
    return 1;
  }
  LoadSelection(ar, m_selection);
  m_source.SerializeSnapshot(ar);
  m_target.SerializeSnapshot(ar);
  CheckLinesInStep();
  // The curve's lookup table follows the restored keys.
  LoadTimingCurve(ar);
  m_meshDirty = TRUE;
  return 1;
}

void CMorphPair::SerializePictures(CArchive& ar) {
  const BOOL changed = m_source.SerializePicture(ar) | m_target.SerializePicture(ar);
  if (ar.IsStoring() || !changed) return;
  m_sourcePath = m_source.m_path;
  m_targetPath = m_target.m_path;
  LoadImageSlot(&m_source, this);
  LoadImageSlot(&m_target, this);
  m_meshDirty = TRUE;
  // The pair list shows the pictures too (Undo of a swap lands here).
  GetMorphProject()->RefreshPairList();
}

void CMorphPair::KeepRestoredState(RestoredState& kept) {
  kept.selection.Copy(m_selection);
  m_source.KeepRestoredState(kept.source);
  m_target.KeepRestoredState(kept.target);
  kept.curve = m_curve;
}

void CMorphPair::PutBackRestoredState(RestoredState& kept) {
  m_selection.Copy(kept.selection);
  m_source.PutBackRestoredState(kept.source);
  m_target.PutBackRestoredState(kept.target);
  m_sourcePath = m_source.m_path;
  m_targetPath = m_target.m_path;
  m_curve = kept.curve;
  m_meshDirty = TRUE;
}

void CMorphPair::LoadTimingCurve(CArchive& ar) {
  m_curve.Serialize(ar);
  if (!IsUsableTimingCurve(m_curve)) SetDefaultTimingCurve();
  if (!KeysLieNearTheRange(m_curve)) Refuse();
  m_curve.SetRange(0.0f, static_cast<float>(m_frameCount - 1), 0.0f, 256.0f);
  // A stored range that runs backwards turns the keys round when they are
  // moved into the pair's range, and a single frame leaves no range at all:
  // such a curve would read as unusable when the saved file is opened again,
  // so it gives way to the default now and the file opens the same each time.
  if (!IsUsableTimingCurve(m_curve)) SetDefaultTimingCurve();
  m_curve.RebuildTable();
}
