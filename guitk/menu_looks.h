// The owner-drawn menus' looks and the popup-menu hook. A thread
// WH_CALLWNDPROC hook subclasses every system popup-menu window ("#32768")
// the user-interface thread creates, so that the current look draws its
// border and background; six looks exist, look 2 (styled) is current.
#pragma once

#include "compat/afx.h"

class CDrawnMenu;

// One subclassed popup-menu window.
struct KitPopupRecord {
  DWORD style = 0;    // saved before the look changed it
  DWORD exStyle = 0;
  int x = 0;          // last non-zero position on the screen
  int y = 0;
  DWORD flags = 0;    // kPopupHookedVisible, kPopupStyleChanged
  BOOL paintBorder = TRUE;  // the next WM_NCPAINT paints the border
};
constexpr DWORD kPopupHookedVisible = 0x01;  // hooked on the menu-size message
constexpr DWORD kPopupStyleChanged = 0x02;

using KitMeasureRoutine = void (*)(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel);
using KitDrawRoutine = void (*)(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine);
using KitTitleRoutine = void (*)(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis);

class CDrawnMenuPlainLook {
 public:
  CDrawnMenuPlainLook(int id, BOOL border, KitMeasureRoutine measure, KitDrawRoutine draw, KitTitleRoutine title);
  virtual ~CDrawnMenuPlainLook() = default;
  CDrawnMenuPlainLook(const CDrawnMenuPlainLook&) = delete;
  CDrawnMenuPlainLook& operator=(const CDrawnMenuPlainLook&) = delete;

  virtual void Attach(HWND hWnd, KitPopupRecord* record);
  virtual void Detach(HWND hWnd, KitPopupRecord* record);
  virtual BOOL HasBorder() const { return m_bBorder; }
  // TRUE when the look painted the border itself.
  virtual BOOL PaintBorder(HWND hWnd, HDC hdc, KitPopupRecord* record);
  virtual BOOL EraseBackground(HWND hWnd, HDC hdc);
  virtual void AdjustClientRect(RECT* rect);
  virtual void AdjustWindowPos(WINDOWPOS* pos);

  int m_nId;
  BOOL m_bBorder;
  KitMeasureRoutine m_pfnMeasure;
  KitDrawRoutine m_pfnDraw;
  KitTitleRoutine m_pfnTitle;
  int m_nLeft = 2;
  int m_nTop = 2;
  int m_nRight;   // 2 with the system's drop shadows, else 5 (room for ours)
  int m_nBottom;  // 2, else 6

 protected:
  // The two frames, then (without system shadows) the painted shadow.
  void PaintFrames(HDC hdc, const RECT& window, COLORREF inner, COLORREF outer, const KitPopupRecord* record);
};

class CDrawnMenuStyledLook : public CDrawnMenuPlainLook {
 public:
  using CDrawnMenuPlainLook::CDrawnMenuPlainLook;
  BOOL PaintBorder(HWND hWnd, HDC hdc, KitPopupRecord* record) override;
  BOOL EraseBackground(HWND hWnd, HDC hdc) override;
};

// --- the process-wide state ---
// Creates the looks and installs the popup hook for the calling thread; a
// hook that cannot be installed is reported and popups keep their default
// borders. Safe to call again (a desktop reset drops the thread's hooks).
BOOL StartMenuLooks(DWORD threadId = 0);
void StopMenuLooks();
BOOL IsMenuHookInstalled();
CDrawnMenuPlainLook* GetMenuLook(int id);
CDrawnMenuPlainLook* GetCurrentMenuLook();
void SetCurrentMenuLook(int id);
int GetMenuColorIndex();  // COLOR_MENUBAR with flat menus on version 7, else COLOR_MENU
BOOL SystemDrawsMenuShadows();

// The button that opened the popup about to show: its border opens towards it.
// Orientation -1 none, 0 a horizontal bar (popup below), 1 a vertical bar.
void RegisterPressedButton(const RECT& button, int orientation);
void GetPressedButton(RECT* button, int* orientation);

// The popup record of a hooked window, or null.
KitPopupRecord* FindPopupRecord(HWND hWnd);
