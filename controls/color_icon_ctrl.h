// CColorIconCtrl, window class "ColorIconCtrl": a small swatch that shows one
// fill (a colour, a colour variation or a picture) over a checkerboard, with
// a tooltip that describes it. A click hands it to the colour picker, the
// background palette window or the picture chooser, by its style; fills
// dropped from the swatch lists and fills from the picker and the palette
// window (WM_NOTIFY 30, 33, 35) change it; dialogs exchange its fill with
// WM_COLORICON_FILL and DDX_ColorIcon.
#pragma once

#include <memory>

#include "controls/custom_class.h"
#include "controls/custom_notify.h"
#include "model/raster/fill_style.h"

class CDataExchange;

namespace controls {

// Style bits (the low word of the window style) choosing the kind of swatch.
constexpr DWORD kIconGradient = 0x02;     // a colour variation; a click opens the palette window
constexpr DWORD kIconPicture = 0x04;      // a picture file; a click chooses it, a right click hides it
constexpr DWORD kIconFixedColor = 0x08;   // a colour that clicks do not change
constexpr DWORD kIconColor = 0x10;        // a colour; a click opens the colour picker
constexpr DWORD kIconKindBits = 0x1E;
// The picture chooser's folder: masks, lights, wipes (else images).
constexpr DWORD kIconMaskFolder = 0x80;
constexpr DWORD kIconLightFolder = 0x100;
constexpr DWORD kIconWipeFolder = 0x200;

class CColorIconCtrl : public CAutoObject<CWnd> {
 public:
  CColorIconCtrl();
  ~CColorIconCtrl() override;

  static BOOL RegisterClass(HINSTANCE instance);

  // A copy of `fill` becomes the icon's; the swatch and the tooltip follow.
  void SetFill(const CFillStyle& fill);
  // The fill as dialogs read it: a hidden picture reads as colour 0.
  void GetFill(CFillStyle& fill) const;
  const CFillStyle& Fill() const { return m_fill; }

  // The picture file, or empty when there is none or it is hidden.
  CString GetTexturePath() const;
  // Shows the picture `path` (a picture fill); a path that names no file
  // leaves the fill without a picture.
  void SetTextureFile(const CString& path);

  // What the icon's own click does, by its style (a drop does it too).
  void Click();

  BOOL PreTranslateMessage(MSG* pMsg) override;

  CFillStyle m_fill;
  BOOL m_bPictureRemoved = FALSE;
  CToolTipCtrl m_tooltip;
  std::unique_ptr<DWORD[]> m_pixels;  // 0xAARRGGBB, top row first
  CSize m_pixelSize{0, 0};

 protected:
  DWORD KindBits() const;
  void RebuildSwatch();
  void RenderSwatch(DWORD* pixels, int width, int height);
  CString TooltipText() const;
  void NotifyFillChanged();
  LRESULT OnSwatchDragDrop(WPARAM wParam, const CFillStyle* fill);
  BOOL TakesDroppedFill(const CFillStyle& fill) const;
  void TakeFillChange(const NMFILLCHANGE& record);
  void HandOnToOwner(const NMHDR* header);

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// The icon object of a window, or null.
CColorIconCtrl* ColorIconFromHandle(HWND hwnd);

// Loading a dialog's controls gives icon nIDC a copy of `fill`; saving reads
// the icon's fill back into it.
void DDX_ColorIcon(CDataExchange* pDX, int nIDC, CFillStyle& fill);

}  // namespace controls
