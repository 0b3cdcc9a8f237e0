// CKitContainer: a plain child window that stacks windows top to bottom,
// bars of a fixed 24-pixel height and the others sharing what is left, in a
// flat, raised or sunken border. It is the panel a docking bar can hold.
#pragma once

#include <vector>

#include "compat/afx.h"

class CKitContainer : public CWnd {
  DECLARE_DYNAMIC(CKitContainer)

 public:
  static constexpr int kFixedHeight = 24;
  enum Border { kBorderNone = 0, kBorderRaised = 1, kBorderSunken = 2 };
  enum Kind { kFlexible = 0, kFixed = 1 };

  CKitContainer();
  ~CKitContainer() override;

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Stacks a window below the others; the container does not own it.
  void AddItem(CWnd* pWnd, int kind = kFlexible);
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  void SetBorder(int border);
  void SetStyle(int style);
  void RecalcLayout();

  int m_nStyle = 0x8001;
  COLORREF m_crFace;
  int m_nBorder = kBorderNone;

 protected:
  struct Item {
    CWnd* wnd;
    int kind;
  };
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnSysColorChange();
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  std::vector<Item> m_items;
};
