// CBackgroundPalette, the "Select Background" window (dialog 2026): a
// modeless tool window that edits one fill for a target colour icon, with a
// tab for each kind of fill ("Color", "Gradient", "Image") and a swatch page
// under each. Every edit reaches the target at once; the window keeps its
// place, its visibility and its last fill ("Material.dat") between runs.
#pragma once

#include "controls/custom_notify.h"
#include "model/raster/fill_style.h"
#include "ui/color_picker_dlg.h"
#include "ui/image_swatch_page.h"
#include "ui/vary_color_panel.h"

namespace controls {
class CColorIconCtrl;
}

class CBackgroundPalette : public CDialog {
  DECLARE_DYNAMIC(CBackgroundPalette)

 public:
  // Starts with the fill of the last run ("Material.dat"), or solid grey
  // 0xFF808080 when that file is missing or damaged.
  CBackgroundPalette();

  using CDialog::Create;
  BOOL Create(CWnd* pParentWnd);
  void SetFill(const CFillStyle& fill);
  void GetFill(CFillStyle& fill);
  void SetTarget(controls::CColorIconCtrl* target);
  // The target's window, or null.
  controls::CColorIconCtrl* GetTarget() const;
  void SyncFromTarget();
  void ApplyToTarget();

  CFillStyle m_fill;
  CColorPickerDlg m_colorPage;
  CVaryColorPanel m_varyPage;
  CImageSwatchPage m_imagePage;
  CTabCtrl m_tabs;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override {}
  void OnCancel() override;
  // The tab (and page) of a fill type: pictures for every type past 1.
  static int PageOfType(int type);
  CSwatchPage& Page(int index);
  void ShowPage(int index);
  void TakeFillChange(const controls::NMFILLCHANGE& record);
  void RestorePlacement();

  afx_msg void OnClose();
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  HWND m_hTarget = nullptr;
};

// The one palette window of the process, made on first use, and its end at
// the program's exit (which writes its settings and files).
CBackgroundPalette& GetBackgroundPalette();
// The palette when it has been made, else null (asking must not make it).
CBackgroundPalette* FindBackgroundPalette();
void ReleaseBackgroundPalette();
// The palette's fill.
void GetBackgroundFill(CFillStyle& fill);
