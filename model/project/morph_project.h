// CMorphProject: the document's data, one per process: the ordered pairs and
// the current one, output size, frame rate, loop, fills, edit mode, mask-edge
// transform, line tool and the busy flag of the export; New, Open and Save.
#pragma once

#include "compat/afx/coll.h"
#include "compat/afx/string.h"
#include "model/raster/fill_style.h"

class CArchive;
class CMorphPair;
class CWnd;

enum EditMode { kEditImageProcess = 0, kEditFigure = 1, kEditFeatureLine = 2 };
enum MaskEdgeMode { kMaskEdgeGauss = 0, kMaskEdgeLinear = 1 };

class CMorphProject {
 public:
  // Limits of a project record.
  static constexpr int kMaxPairs = 10000;
  static constexpr int kMaxOutputSide = 8192;
  // Largest output side a project file may hold: the Output Size dialog
  // and its "Same size" buttons (pictures are held to 1024 a side) make no
  // larger one, and the render surfaces grow with its square.
  static constexpr int kMaxStoredOutputSide = 1024;

  CMorphProject();
  ~CMorphProject();
  CMorphProject(const CMorphProject&) = delete;
  CMorphProject& operator=(const CMorphProject&) = delete;

  // --- pairs ---
  CMorphPair* CurrentPair() const { return m_pairs[m_current]; }
  // No bounds check: callers keep i in 0..count - 1.
  CMorphPair* PairAt(int i) const { return m_pairs[i]; }
  int GetPairCount() const { return m_pairs.GetSize(); }
  int GetCurrentIndex() const { return m_current; }
  int GetTotalFrames() const;
  BOOL InsertPair();
  void DeleteCurrentPair();
  void MovePairUp();
  void MovePairDown();
  void MovePairTo(int i);
  BOOL SelectPair(int i);
  void InvalidateAllPairs();

  // --- settings ---
  SIZE& GetOutputSize(SIZE& out) const;
  void SetOutputSize(int width, int height);
  int IsBusy() const { return m_busy; }
  void SetBusy(int busy);
  int GetEditMode() const { return m_editMode; }
  void SetEditMode(int mode);
  int GetMaskEdgeMode() const { return m_maskEdgeMode; }
  void SetMaskEdgeMode(int mode);
  // The line sets read the tool on every click (line_tool.h holds it).
  int GetLineTool() const;
  void SetLineTool(int tool);
  int GetLoop() const { return m_loop; }
  void SetLoop(int loop) { m_loop = loop; }
  int GetShowMesh() const { return m_showMesh; }
  void SetShowMesh(int show) { m_showMesh = show; }
  int GetFps() const { return m_fps; }
  void SetFps(int fps) { m_fps = fps; }
  CFillStyle& GetBackground(CFillStyle& out) const { return out = m_background; }
  CFillStyle& GetForeground(CFillStyle& out) const { return out = m_foreground; }
  void SetBackground(const CFillStyle& fill);
  void SetForeground(const CFillStyle& fill);

  // --- editor ---
  void SetPlaying(int playing);
  void RefreshPairList();
  void RefreshTimeline();

  // --- document ---
  BOOL ResetProject();
  // Open: 0 for a name not ending in "pvk" (the project untouched) and for
  // a file that cannot be read whole (the project reset).
  BOOL LoadProjectFile(LPCTSTR path);
  // Save through a temporary file beside the target, renamed over it only
  // when everything was written; FALSE leaves the old file as it was.
  BOOL SaveProjectFile(LPCTSTR path);
  int Serialize(CArchive& ar);

  // --- renderer (drawn by the renderer) ---
  void InitDirect3D(CWnd* window);

 private:
  // A project record held apart from the project: one read from a file
  // before it is taken, or the project it replaced (project_file.cpp).
  struct Record;
  void RemoveAllPairs();
  void StoreRecord(CArchive& ar);
  void LoadRecord(CArchive& ar, Record& record);
  void SwapRecord(Record& record);
  // The steps after a record was taken; the earlier project brought back
  // after a failed load still holds its pictures.
  void AfterLoad(bool reloadPictures = true);
  void ResizeSurfaces();
  void MarkModified();

  CFillStyle m_background;
  CFillStyle m_foreground;
  int m_reserved = 1;
  int m_busy = 0;
  int m_width = 256;
  int m_height = 256;
  int m_editMode = kEditFeatureLine;
  int m_maskEdgeMode = kMaskEdgeGauss;
  int m_loop = 1;
  int m_fps = 30;
  int m_showMesh = 0;
  CArray<CMorphPair*, CMorphPair*> m_pairs;
  int m_current = 0;
};

CMorphProject* GetMorphProject();
// At program exit: the project, then the undo history.
void DestroyMorphProject();
BOOL IsRendererCreated();
