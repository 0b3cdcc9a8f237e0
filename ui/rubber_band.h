// The rubber band a pane drags with the mouse captured (the clip rectangle's
// and the line set's selection frame).
#pragma once

#include "compat/afx.h"

// Runs a rubber band from start with the mouse captured until the left
// button goes up, the right one down or the capture is lost; returns the
// rectangle from start to the last mouse position, not normalised.
CRect TrackRubberBandRect(CWnd* pane, const POINT& start, COLORREF colour);
