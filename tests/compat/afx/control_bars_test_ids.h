#ifndef AFX_CONTROL_BARS_TEST_IDS_H
#define AFX_CONTROL_BARS_TEST_IDS_H
// Ids of the control-bar tests' toolbar and commands.
#define IDR_BAR_BUTTONS 700
#define ID_BAR_CUT 32801
#define ID_BAR_COPY 32802
#define ID_BAR_PASTE 32803
#define ID_BAR_SQUARE 32804
#define ID_BAR_CIRCLE 32805
#define ID_BAR_LINE 32806
#define ID_BAR_GRID 32807
#define ID_BAR_HELP 32808
#define ID_BAR_ZOOM 32809
#define ID_BAR_INTERSECT 32810
#endif
