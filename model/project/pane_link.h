// What the model's mouse editing asks of the pane it edits in: the capture
// loop that follows the mouse while a button is held, and the notices a
// press sends to windows. The editor's panes register their side
// (ui/image_pane_link.cpp); without it (the model alone) a press does its
// work on the data, and no loop runs and nothing is sent.
#pragma once

#include "compat/win32/types.h"
#include "model/project/capture_loop.h"

struct CEditModeRecord;

// What follows the mouse while its pane holds the capture.
class CCaptureTarget {
 public:
  virtual int GetActiveLoop() const = 0;
  virtual int LoopMessage(const CLoopMessage& msg) = 0;
  // The capture was lost or the queue ended: finish the loop.
  virtual void EndLoop() = 0;

 protected:
  ~CCaptureTarget() = default;
};

// A model object's loop members (GetActiveLoop, LoopMessage, EndLoop) as a
// capture target.
template <class Model>
class CCaptureOf final : public CCaptureTarget {
 public:
  explicit CCaptureOf(Model& model) : m_model(model) {}
  int GetActiveLoop() const override { return m_model.GetActiveLoop(); }
  int LoopMessage(const CLoopMessage& msg) override { return m_model.LoopMessage(msg); }
  void EndLoop() override { m_model.EndLoop(); }

 private:
  Model& m_model;
};

class CPaneLink {
 public:
  virtual ~CPaneLink() = default;
  // Captures the mouse on the pane and pumps the thread's queue, handing each
  // message to the target until it ends its loop, the pane loses the capture
  // or the queue ends; what the target leaves is dispatched, and the pane is
  // repainted after each mouse move it consumed.
  virtual void RunCaptureLoop(HWND pane, CCaptureTarget& target) = 0;
  // Drags a dotted XOR band of this colour over the pane from start (pane
  // pixels) until the left button goes up, the right one down or the
  // capture is lost; returns (start, last mouse position), unnormalised.
  virtual RECT TrackRubberBand(HWND pane, POINT start, COLORREF colour) = 0;
  // A capture another window still holds ends before a press on the pane.
  virtual void ReleaseOtherCapture(HWND pane) = 0;
  // Message 0x510 to the pane: the line-edit tool's hit record, valid only
  // during the call.
  virtual void SendEditModeChanged(HWND pane, CEditModeRecord* record) = 0;
  // Message 0x524 to the pane's parent: the outline's point selection ended.
  virtual void SendPathSelectionCleared(HWND pane) = 0;
};

void SetPaneLink(CPaneLink* link);
CPaneLink* GetPaneLink();
