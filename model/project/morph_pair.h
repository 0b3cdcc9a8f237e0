// CMorphPair: one step of the animation, a source picture turning into a
// target picture over a number of frames: the two image slots, the timing
// curve, fades, in and out effects, the transition picture and light
// records, the shared point selection and the meshes the renderer draws;
// the mirrored editing that keeps both line sets in step; the pair record.
#pragma once

#include "compat/afx/string.h"
#include "model/outline/curve_keys.h"
#include "model/project/image_slot.h"
#include "model/project/line_set.h"

class CArchive;
class CEffect;
class CMeshReceiver;
class CTextureHolder;

// The "Transition Effect" picture; the renderer owns the last four members.
struct CPairTransitionPicture {
  CString path;
  float edge = 0.2f;
  int reverse = 0;
  int width = 0;
  int height = 0;
  CTextureHolder* texture = nullptr;
  BYTE* grey = nullptr;
};

// The "Light" picture; the renderer owns the textures.
struct CPairLight {
  CString path;
  float strength = 1.0f;
  CTextureHolder* lightTexture = nullptr;
  CTextureHolder* pictureTexture = nullptr;
};

class CMorphPair {
 public:
  // Limits of the values a pair record may carry.
  static constexpr int kMaxFrames = 1 << 20;
  static constexpr int kMaxMaskEdge = 1024;
  // The selection names each point of a line set at most once.
  static constexpr int kMaxSelected = CLineSet::kMaxSetPoints;
  // Warp modes 0 to 4 (the frame renderer gives them their meaning).
  static constexpr int kMaxWarpMode = 4;

  CMorphPair();
  ~CMorphPair();
  CMorphPair(const CMorphPair&) = delete;
  CMorphPair& operator=(const CMorphPair&) = delete;

  // --- members ---
  CImageSlot* GetSourceSlot() { return &m_source; }
  CImageSlot* GetTargetSlot() { return &m_target; }
  // Both display pictures side by side with the pair number between them:
  // w x h pixels, bottom row first, alpha 255.
  void DrawThumbnail(DWORD* out, int w, int h, int number);
  CLineSet* GetSourceLines() { return m_source.GetLines(); }
  CLineSet* GetTargetLines() { return m_target.GetLines(); }
  CSelectionList& GetSelection() { return m_selection; }
  BOOL IsMeshDirty() const { return m_meshDirty; }
  void SetMeshDirty(BOOL dirty) { m_meshDirty = dirty; }
  int GetFrameCount() const { return m_frameCount; }
  void SetFrameCount(int n);
  int GetCurrentFrame() const { return m_currentFrame; }
  void SetCurrentFrame(int f);
  CBezierCurve* GetTimingCurve() { return &m_curve; }
  void SetTimingCurve(const CCurveKeys& curve);
  int GetWarpMode() const { return m_warpMode; }
  void SetWarpMode(int mode) { m_warpMode = mode; }
  int GetMaskEdge() const { return m_maskEdge; }
  void SetMaskEdge(int n);
  CPairTransitionPicture* GetTransitionPicture() { return &m_transition; }
  CPairLight* GetLight() { return &m_light; }

  // --- pictures ---
  // FALSE when the picture cannot be read; the pair is then as it was.
  BOOL SetSourceImage(const CString& path);
  BOOL SetTargetImage(const CString& path);
  // TRUE when at least one picture was read again. Nothing is drawn: the
  // caller shows the current pair.
  BOOL ReloadImages();
  // Continues from another pair: both sides take its target picture.
  CMorphPair* InitFromPair(CMorphPair* other);
  // On the renderer's device (drawn by the renderer).
  void RecreateTextures();
  // The mesh of the mid-way lines and the output corners, the two shapes
  // over it and the fold-over check.
  void BuildMesh();

  // --- records ---
  int Serialize(CArchive& ar);
  int SerializeSnapshot(CArchive& ar);
  // Both pictures' paths, clips and colour adjustments: the part of a swap
  // that a snapshot does not hold. A loaded change reloads both slots.
  void SerializePictures(CArchive& ar);
  // What an undo record replaces, held aside while it is read and put back
  // when it is refused.
  struct RestoredState {
    CSelectionList selection;
    CImageSlot::RestoredState source, target;
    CCurveKeys curve;
  };
  void KeepRestoredState(RestoredState& kept);
  void PutBackRestoredState(RestoredState& kept);

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
  CString m_totalMaskPath;
  int m_fadeIn = 3;
  int m_fadeOut = 3;
  int m_inFrames = 20;
  int m_outFrames = 20;
  CEffect* m_inEffect = nullptr;
  CEffect* m_outEffect = nullptr;
  // The transition mask holder: a render target laid out like the
  // renderer's output-size working pictures.
  CTextureHolder* m_pairTexture = nullptr;
  // The "Mask" picture as an alpha mask (the renderer owns it).
  CTextureHolder* m_totalMaskTexture = nullptr;
  // For each mesh vertex, the feature point it comes from (line -1: made).
  CArray<CLinePoint, const CLinePoint&> m_meshSources;
  CMeshReceiver* m_sourceShape = nullptr;
  CMeshReceiver* m_targetShape = nullptr;

  // How often the views were asked to refresh. A pane compares the count
  // around a click to send its own notice only when the model sent none.
  int m_viewRefreshes = 0;
  // wParam of the last pair-changed message: 1 while the new-line tool is on.
  WPARAM m_lastRefreshWParam = 0;

 private:
  BOOL SetSlotImage(CImageSlot& slot, CString& pairPath, const CString& path);
  // SetSlotImage without the drawing.
  BOOL ReadSlotImage(CImageSlot& slot, CString& pairPath, const CString& path);
  CLineSet* OtherSide(const CLineSet* set) {
    return set == m_source.GetLines() ? m_target.GetLines() : m_source.GetLines();
  }
  void SerializeEffect(CArchive& ar, CEffect*& effect);
  void LoadFields(CArchive& ar);
  // Reads the timing curve and fits it to the frame count; a curve that
  // cannot give a value per frame becomes the default one.
  void LoadTimingCurve(CArchive& ar);
  // Keys (0, 0) and (last frame, 256) over the pair's frames.
  void SetDefaultTimingCurve();
  void CheckLinesInStep();

  int m_frameCount = 100;
  int m_currentFrame = 0;
  int m_warpMode = 0;
  int m_maskEdge = 16;
  CSelectionList m_selection;
  CPairTransitionPicture m_transition;
  CPairLight m_light;
  CImageSlot m_source;
  CImageSlot m_target;
  CBezierCurve m_curve;
  BOOL m_meshDirty = TRUE;
};

// Renders the pair's current frame under the render lock, unless an export
// is rendering; returns TRUE.
BOOL RenderPair(CMorphPair* pair);

// The process-wide lock held around every drawing with the device: the
// screen render above and the export's frame grabs.
void EnterRenderLock();
void LeaveRenderLock();
class CRenderLockScope {
 public:
  CRenderLockScope() { EnterRenderLock(); }
  ~CRenderLockScope() { LeaveRenderLock(); }
  CRenderLockScope(const CRenderLockScope&) = delete;
  CRenderLockScope& operator=(const CRenderLockScope&) = delete;
};
