// The colour icons' host.
#include "ui/palette_icon_host.h"

#include "controls/color_icon_ctrl.h"
#include "ui/background_palette.h"
#include "ui/color_picker_dlg.h"
#include "ui/picture_file_dialogs.h"
#include "ui/vary_color_bar.h"

namespace {

class CPaletteIconHost : public controls::IColorIconHost {
 public:
  void OpenColorPicker(controls::CColorIconCtrl& icon, DWORD argb, POINT topLeft) override {
    CColorPickerDlg& picker = GetColorPicker();
    if (!picker.m_hWnd && !picker.CreatePopup(AfxGetMainWnd())) return;
    picker.SetOwner(&icon);
    picker.SetColor(argb);
    picker.SetWindowPos(&CWnd::wndTop, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  }

  // The palette's parent is the main frame, so it lives as long as the program.
  void SetPaletteTarget(controls::CColorIconCtrl& icon) override {
    CBackgroundPalette& palette = GetBackgroundPalette();
    if (!palette.m_hWnd && !palette.Create(AfxGetMainWnd())) return;
    palette.SetTarget(&icon);
    palette.ShowWindow(SW_SHOW);
  }

  void ForgetPaletteTarget(controls::CColorIconCtrl& icon) override {
    CBackgroundPalette* palette = FindBackgroundPalette();
    if (palette && palette->GetTarget() == &icon) palette->SetTarget(nullptr);
  }

  void RefreshPaletteTarget() override {
    if (CBackgroundPalette* palette = FindBackgroundPalette()) palette->SyncFromTarget();
  }

  BOOL ChoosePictureFile(controls::CColorIconCtrl& icon, BOOL) override {
    CWnd* parent = icon.GetParent();
    if (parent) parent->UpdateData(TRUE);
    CString path;
    if (!::ChoosePictureFile(icon.GetStyle(), parent, path)) return FALSE;
    if (parent) parent->UpdateData(TRUE);
    icon.SetTextureFile(path);
    icon.Invalidate();
    return TRUE;
  }
};

}  // namespace

controls::IColorIconHost& GetPaletteIconHost() {
  static CPaletteIconHost host;
  return host;
}

BOOL RegisterUiClasses(HINSTANCE instance) { return CVaryColorBar::RegisterClass(instance); }

void ReleasePaletteWindows() {
  ReleaseBackgroundPalette();
  ReleaseColorPicker();
}
