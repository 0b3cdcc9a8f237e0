// CColorPickerDlg: edits one ARGB colour with the colour field, the value
// bar, four channel sliders, four numeric fields and a preview icon, and
// keeps the colour swatches ("Color.dat"). It is the palette window's colour
// page (dialog 1002, a child) and the stand-alone "Color Pic" (dialog 11079,
// modeless, placed and owned by the colour icon that opened it).
#pragma once

#include "ui/swatch_page.h"

class CColorPickerDlg : public CSwatchPage {
  DECLARE_DYNAMIC(CColorPickerDlg)

 public:
  explicit CColorPickerDlg(DWORD argb = 0);

  using CSwatchPage::Create;
  // The page form.
  BOOL Create(CWnd* pParentWnd) override;
  // The stand-alone form.
  BOOL CreatePopup(CWnd* pParentWnd);
  INT_PTR DoModal() override;

  void SetColor(DWORD argb);
  DWORD GetColor() const { return m_color; }
  void PrepareCurrentFill() override;
  // Selects a swatch of the same colour when there is one, else adds one.
  void AddSwatch() override;

  DWORD m_color;  // 0xAARRGGBB
  BOOL m_bPopup = FALSE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;
  void OnCancel() override;
  CWnd* SwatchCommandTarget() override;

  // Gives every child but the numeric fields (and `except`) the colour.
  void Broadcast(HWND except, BOOL keepMarker);
  // Where the picker's notices go: the owner of the stand-alone form (the
  // icon that opened it), the parent of the page.
  HWND NotifyWindow() const;
  void NotifyCommitted();
  void NotifyDragging();
  void TakeChild(const NMHDR* header, LPARAM lParam);
  void SetTooltipText(CToolTipCtrl& tooltip, int index);
};

// The last colour picked by any picker.
DWORD GetLastPickedColor();

// The process-wide stand-alone picker (its window is made on first use by
// whoever shows it), and its end at the program's exit.
CColorPickerDlg& GetColorPicker();
void ReleaseColorPicker();
