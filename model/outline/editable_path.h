// CEditablePath: the outline the user draws and edits with the mouse on an
// image pane. A press does its work at once and names the capture loop to
// run; the pane's loop hands each message to LoopMessage and dispatches what
// the path does not consume. The record adds the drag fields to the path.
#pragma once

#include "model/outline/bezier_path.h"
#include "model/project/capture_loop.h"

class CArchive;

// What the path tells the pane's parent when a click cleared the selection.
const UINT WM_PATHSELECTIONCLEARED = 0x0524;

enum PathLoop { kPathLoopNone = 0, kPathLoopDraw, kPathLoopDrag };

// The outcome of a press for the pane: its result, the loop to run, whether
// to send 0x524 to the parent, and where to put the mouse pointer.
struct CPathPress {
  int result;
  int loop;
  BOOL notifyParent;
  BOOL moveCursor;
  POINT cursorAt;
};

class CEditablePath : public CBezierPath {
 public:
  // Most nodes a path record may hold; a larger count is refused.
  static constexpr int kMaxNodes = 1 << 18;
  // The program's cursor over a segment.
  static constexpr int kSegmentCursor = 133;
  static constexpr int kArrowCursor = 32512;

  CEditablePath() = default;

  void Reset() override;

  CPathPress TrackMouse(int x, int y);
  // The pane's press: the above with the mouse captured on the pane, the
  // pointer moved onto a pressed handle, 0x524 to the parent
  // (editable_path_window.cpp). Returns the press's result.
  int TrackMouse(HWND pane, int x, int y);
  void DeleteSelectedPoint(HWND pane);
  // The pane's cursor query (WM_SETCURSOR's hit-test code): 1 when handled.
  int UpdateCursor(HWND pane, UINT hitTest);
  int SetCursorForPoint(HWND pane, int x, int y);
  // Draw in white with the path moved by minus r's corner, for the XOR
  // redraw of a change.
  void DrawOffset(HDC dc, const RECT* r);
  // Starts the drag loop from pane point (x, y).
  void DragLoop(int x, int y);
  int LoopMessage(const CLoopMessage& msg);
  // The capture was lost or the loop ended otherwise: drag fields reset.
  void EndLoop();
  int GetActiveLoop() const { return m_loop; }
  void Stop() { m_stop = 1; }
  // 1 when the path answers the cursor query at pane point (x, y), with the
  // cursor to show in cursor (0: leave the current one); else 0.
  int CursorForPoint(int x, int y, int& cursor) const;
  // Removes the selected node, if any; 1 when one was removed.
  int DeleteSelectedPoint();
  void Serialize(CArchive& ar);

  int GetHitNode() const { return m_hitNode; }
  int GetTransformHandle() const { return m_transformHandle; }
  int GetDragHandle() const { return m_dragHandle; }
  int GetDragNode() const { return m_dragNode; }
  int GetMoveWhole() const { return m_moveWhole; }

 private:
  void StartNode(int x, int y);
  CPathPress PressPoint(int x, int y);
  int DrawMessage(const CLoopMessage& msg);
  int DragMessage(const CLoopMessage& msg);
  void ResetDrag();

  int m_hitNode = -1;
  int m_transformHandle = -1;
  int m_dragHandle = -1;
  int m_dragNode = -1;
  int m_moveWhole = 0;
  int m_stop = 0;
  int m_loop = kPathLoopNone;
  POINT m_previous{0, 0};
};

// A snapshot of an outline taken before a change; when it goes out of scope
// and the outline differs, the change is redrawn on the device context in
// XOR (the old outline off, the new one on).
class CPathRedrawGuard : public CBezierPath {
 public:
  CPathRedrawGuard(CEditablePath* watched, HDC dc, const RECT* clip = nullptr);
  ~CPathRedrawGuard() override;
  CPathRedrawGuard(const CPathRedrawGuard&) = delete;

 private:
  void Redraw();

  CEditablePath* m_watched;
  HDC m_dc;
  int m_active;
  const RECT* m_clip;
};
