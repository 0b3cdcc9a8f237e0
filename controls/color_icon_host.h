// What a colour icon asks of the windows above it: the colour and texture
// picker, the background palette window and the picture file chooser live in
// ui/, which builds on the controls, so start-up hands the icons one host
// that reaches them. Without a host a click only does the icon's own part.
#pragma once

#include "compat/win32.h"

namespace controls {

class CColorIconCtrl;

class IColorIconHost {
 public:
  virtual ~IColorIconHost() = default;

  // Shows the process-wide picker modeless (making its window on first use)
  // with the colour `argb` (0xAARRGGBB), its top left corner at `topLeft` in
  // screen coordinates and its own size, and `icon` as its owner, so the
  // picker's notifications reach the icon.
  virtual void OpenColorPicker(CColorIconCtrl& icon, DWORD argb, POINT topLeft) = 0;

  // Makes `icon` the background palette window's target and shows that
  // window, making it first when it does not exist yet.
  virtual void SetPaletteTarget(CColorIconCtrl& icon) = 0;
  // Clears the palette window's target when it is `icon` (the icon's window
  // is going away).
  virtual void ForgetPaletteTarget(CColorIconCtrl& icon) = 0;
  // The palette window takes its current target's fill again (a dialog has
  // just given some icon a new fill).
  virtual void RefreshPaletteTarget() = 0;

  // Runs the picture file chooser for `icon`; `alternateFolder` is set for
  // the mask, light and wipe icons, whose style also names the folder. On OK
  // with an existing file the chooser gives the icon its picture with
  // CColorIconCtrl::SetTextureFile. TRUE when a picture was set.
  virtual BOOL ChoosePictureFile(CColorIconCtrl& icon, BOOL alternateFolder) = 0;
};

// The host start-up gave the icons (null before and after the program's life).
IColorIconHost* GetColorIconHost();
void SetColorIconHost(IColorIconHost* host);

}  // namespace controls
