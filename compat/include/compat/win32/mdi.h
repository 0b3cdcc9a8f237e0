// The multiple-document interface: the "MDIClient" window class that keeps a
// frame's document windows, and the default procedures of the frame and of
// its children.
#pragma once

#include "compat/win32/user.h"

#define WM_MDICREATE 0x0220
#define WM_MDIDESTROY 0x0221
#define WM_MDIRESTORE 0x0223
#define WM_MDINEXT 0x0224
#define WM_MDIMAXIMIZE 0x0225
#define WM_MDITILE 0x0226
#define WM_MDICASCADE 0x0227
#define WM_MDIICONARRANGE 0x0228
#define WM_MDIGETACTIVE 0x0229
#define WM_MDISETMENU 0x0230
#define WM_MDIREFRESHMENU 0x0234

#define MDIS_ALLCHILDSTYLES 0x0001

struct CLIENTCREATESTRUCT {
  HANDLE hWindowMenu;
  UINT idFirstChild;
};

struct MDICREATESTRUCTW {
  LPCWSTR szClass;
  LPCWSTR szTitle;
  HANDLE hOwner;
  int x;
  int y;
  int cx;
  int cy;
  DWORD style;
  LPARAM lParam;
};
using LPMDICREATESTRUCTW = MDICREATESTRUCTW*;
using MDICREATESTRUCT = MDICREATESTRUCTW;
using LPMDICREATESTRUCT = MDICREATESTRUCTW*;

LRESULT WINAPI DefFrameProcW(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI DefMDIChildProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI TranslateMDISysAccel(HWND hWndClient, LPMSG lpMsg);
#define DefFrameProc DefFrameProcW
#define DefMDIChildProc DefMDIChildProcW
