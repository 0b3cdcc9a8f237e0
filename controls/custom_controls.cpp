// The custom control classes, registered in one place.
#include "controls/custom_controls.h"

#include "controls/bmp_btn.h"
#include "controls/color_bar_ctrl.h"
#include "controls/color_icon_ctrl.h"
#include "controls/color_pal_ctrl.h"
#include "controls/curver_ctrl.h"
#include "controls/edit_ctrl.h"
#include "controls/image_list_ctrl.h"
#include "controls/slider_bar_ctrl.h"
#include "controls/slider_ctrl_bar.h"
#include "controls/tl_curver_ctrl.h"

namespace controls {

const char16_t* const kCustomControlClasses[] = {u"BmpBtnClass", u"ColorIconCtrl", u"ColorPalCtrl", u"ColorBarCtrl", u"CSliderBarCtrl", u"CurverCtrl", u"EditCtrl", u"ImageListCtrl", u"TLCurverCtrl",
                                                 u"CSliderCtrlBar",
                                                 nullptr};

BOOL RegisterCustomControls(HINSTANCE instance, BOOL (*registerStopBar)(HINSTANCE)) {
  BOOL ok = TRUE;
  ok &= CBmpBtn::RegisterClass(instance);
  ok &= CColorIconCtrl::RegisterClass(instance);
  ok &= CColorPalCtrl::RegisterClass(instance);
  ok &= CColorBarCtrl::RegisterClass(instance);
  ok &= CSliderBarCtrl::RegisterClass(instance);
  ok &= RegisterCurverCtrlClass(instance);
  ok &= RegisterEditCtrlClass(instance);
  if (registerStopBar) ok &= registerStopBar(instance);
  ok &= CImageListCtrl::RegisterClass(instance);
  ok &= RegisterTLCurverCtrlClass(instance);
  ok &= CSliderCtrlBar::RegisterClass(instance);
  return ok;
}

}  // namespace controls
