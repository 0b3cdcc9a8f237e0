// CSubclassWnd: a hook object that sees a window's messages before the
// window's own procedure, for windows the toolkit does not own (the frame, the
// MDI client). Several hook objects may sit on one window as a chain, newest
// first; the window gets its own procedure back when the last one leaves.
#pragma once

#include "compat/afx.h"

class CSubclassWnd : public CObject {
  DECLARE_DYNAMIC(CSubclassWnd)

 public:
  CSubclassWnd() = default;
  ~CSubclassWnd() override;

  // With a window: joins the head of its chain. With null: leaves the chain.
  BOOL HookWindow(HWND hWnd);
  BOOL HookWindow(CWnd* pWnd) { return HookWindow(pWnd ? pWnd->m_hWnd : nullptr); }
  BOOL IsHooked() const { return m_hWnd != nullptr; }

  // The default passes the message down the chain and finally to the
  // window's own procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;

 protected:
  // Passes the message being handled on, as WindowProc's default does.
  LRESULT Default();

 private:
  WNDPROC m_pOldWndProc = nullptr;
  CSubclassWnd* m_pNext = nullptr;

  friend LRESULT CALLBACK SubclassHookProc(HWND, UINT, WPARAM, LPARAM);
};

// The shared procedure of every hooked window.
LRESULT CALLBACK SubclassHookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
