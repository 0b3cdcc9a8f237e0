// CLineSet: the feature lines of one image side, the selection of points it
// shares with the other side of its pair, blending of two sets, the set
// record, hit testing and the mouse editing of lines (line_editing.cpp).
#pragma once

#include "compat/afx/coll.h"
#include "compat/win32/types.h"
#include "model/project/capture_loop.h"
#include "model/project/feature_line.h"
#include "model/outline/transform_tracker.h"

class CArchive;
class CMorphPair;

// One selected point: a line index and a point index.
struct CLinePoint {
  int line;
  int point;
};

typedef CArray<CLinePoint, const CLinePoint&> CSelectionList;
typedef CArray<CFeatureLine*, CFeatureLine*> CFeatureLineArray;

// Lines made for one use (transformed copies); deleted with the holder.
struct COwnedLines {
  CFeatureLineArray lines;
  COwnedLines() = default;
  ~COwnedLines();
  COwnedLines(const COwnedLines&) = delete;
  COwnedLines& operator=(const COwnedLines&) = delete;
};

// The output's border as one closed line of its four corners, appended
// after the feature lines: the pair's mesh is built and moved with it there.
void AppendOutputCorners(CFeatureLineArray& lines, SIZE output);

// Hit kinds of CLineSet::HitTestLines.
enum LineHitKind { kLineHitNothing = 0, kLineHitTracker = 1, kLineHitPoint = 2, kLineHitSegment = 3 };

struct CLineHit {
  int line;
  int point;
  int handle;        // tracker handle 0..8, -1 inside its box
  CVector2 nearest;  // nearest segment point for a segment hit
};

// What the line-edit tool reports to the pane with WM_EDITMODECHANGED.
const UINT WM_EDITMODECHANGED = 0x0510;
struct CEditModeRecord {
  void* pane;
  int kind;
  int line;
  int point;
  int handle;
  float nearestX;
  float nearestY;
};

// Which capture loop a click starts.
enum LineLoop { kLineLoopNone = 0, kLineLoopNewLine, kLineLoopDrag, kLineLoopTransform, kLineLoopRubberBand };

class CLineSet {
 public:
  // Most lines a set record may hold; a larger count is refused.
  static constexpr int kMaxLines = 1 << 16;
  // Most points all lines of a set record may hold together: every point
  // is a vertex of the pair's mesh, whose build time grows faster than its
  // vertex count, and points are placed one click at a time.
  static constexpr int kMaxSetPoints = 1 << 11;

  CLineSet();
  virtual ~CLineSet();
  CLineSet(const CLineSet&) = delete;

  // --- lines and members ---
  CFeatureLineArray& GetLines() { return m_lines; }
  int GetLineCount() const { return m_lines.GetSize(); }
  // Null when i is out of range.
  CFeatureLine* LineAt(int i) const;
  // The point, or null when either index is out of range.
  CVector2* PointAt(int line, int point) const;
  void SetOwnerPair(CMorphPair* pair) { m_owner = pair; }
  CMorphPair* GetOwnerPair() const { return m_owner; }
  void SetSelectionList(CSelectionList* list) { m_selection = list; }
  CSelectionList* GetSelectionList() const { return m_selection; }
  void SetOrigin(int x, int y) { m_origin = POINT{x, y}; }
  void SetOrigin(POINT p) { m_origin = p; }
  POINT GetOrigin() const { return m_origin; }
  void SetRect(const RECT& r) { m_rect = r; }
  const RECT& GetRect() const { return m_rect; }
  CTransformTracker& GetTracker() { return m_tracker; }
  const RECT& GetSelRect() const { return m_selRect; }

  // --- geometry ---
  float GetScale() const { return m_scale; }
  virtual float SetScale(float s);
  void ScaleXY(float sx, float sy);
  void GetTransformedLines(CFeatureLineArray& out, int offsetX, int offsetY) const;
  void Interpolate(const CLineSet& a, const CLineSet& b, float t);
  CLineSet& operator=(const CLineSet& other);
  virtual void Serialize(CArchive& ar);
  // Deletes every line.
  void DeleteAllLines();
  // Removes entries without deleting the lines.
  void RemoveLines(int index, int count);
  // Exchanges lines, origin, scale and rectangle with another set: the
  // swap of a pair's two images.
  void SwapContents(CLineSet& other);

  // --- selection ---
  void ClearSelection();
  int IsSelected(int line, int point) const;
  // point -1 selects the whole line; flag 1 frames a selection of more than
  // one point with the tracker.
  void SelectPoint(int line, int point, int flag);
  void SelectPointsInRect(const RECT& r);
  void MoveSelection(POINT from, POINT to);
  void SetSelectedPointsTo(POINT p);
  void DeleteSelectedPoints();
  // Drops selected points this set no longer has.
  void PruneSelection();

  // --- hit testing and editing (line_editing.cpp) ---
  int HitTestLines(POINT p, CLineHit& out);
  // A left click at pane point (x, y): does the click's work and returns the
  // capture loop to run next. tabDown is Tab's key state at the click; the
  // record for WM_EDITMODECHANGED is written when record is not null and
  // the line-edit tool is active.
  virtual int OnLButtonDown(UINT flags, BOOL tabDown, int x, int y, CEditModeRecord* record);
  // Starts drawing a new line at p (set space); the loop kLineLoopNewLine.
  virtual void TrackNewLine(UINT flags, POINT p);
  // Starts moving, scaling or turning the selection with the tracker from
  // pane point p; the loop kLineLoopTransform.
  void TrackTransform(POINT p, const CLineHit& hit);
  // One message of the running capture loop.
  int LoopMessage(const CLoopMessage& msg);
  // The capture was lost or the loop stopped otherwise: finish it.
  void EndLoop();
  int GetActiveLoop() const { return m_loop; }
  // The pane's click: the work above, WM_EDITMODECHANGED to the pane, then
  // the capture loop on the pane, both run by the pane link (pane_link.h).
  void OnLButtonDown(UINT flags, HWND pane, int x, int y);
  // The lines, their point markers, crossing marks and the selection.
  void Draw(HDC dc);
  // Sets the cursor for pane point p; 1 when it did, 0 to leave the pane's.
  int SetCursorForMode(HWND pane, POINT p);
  void HoverDeletePoint(int x, int y);
  int HitControlPoint(int x, int y);
  void ToggleClosed(int x, int y);
  void SelectLine(int x, int y, BOOL ctrlDown = FALSE);
  void DeleteControlPoint(int x, int y);
  void ToggleMaskFigure(int x, int y);
  // The cursor to show at pane point p: a cursor id (a resource of the
  // program or a standard one), or 0 to leave the pane's own.
  int CursorForMode(POINT p);

  // End points of the two crossing edges the mesh builder found.
  CLinePoint crossing[4];

 private:
  void SelectClicked(UINT flags, int line, int point);
  void ToggleClosedAt(int line, int& point);
  void FinishNewLine(BOOL closeLine);
  void FinishRubberBand();
  int NewLineMessage(const CLoopMessage& msg);
  int DragMessage(const CLoopMessage& msg);
  int TransformMessage(const CLoopMessage& msg);
  void Refresh();
  POINT ToSetSpace(int x, int y) const { return POINT{x + m_origin.x, y + m_origin.y}; }

  CFeatureLineArray m_lines;
  CSelectionList* m_selection = nullptr;
  CMorphPair* m_owner = nullptr;
  POINT m_origin{0, 0};
  float m_scale = 1.0f;
  RECT m_rect{0, 0, 0, 0};
  RECT m_selRect{0, 0, 0, 0};
  CTransformTracker m_tracker;

  // The running capture loop.
  int m_loop = kLineLoopNone;
  int m_loopLine = -1;       // the new line being drawn
  CLineHit m_loopHit{-1, -1, -1, CVector2(0.0f, 0.0f)};
  POINT m_loopPrevious{0, 0};  // set space
  POINT m_loopStart{0, 0};     // pane space, for the rubber band
};
