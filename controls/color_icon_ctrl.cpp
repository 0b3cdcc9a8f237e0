// CColorIconCtrl: registration, the fill and its messages, the swatch over a
// checkerboard, the tooltip, clicks by style, and dropped swatches.
//
// Sections: registration and fill - notifications and drops - clicks -
// the swatch and painting.
#include "controls/color_icon_ctrl.h"

#include <algorithm>

#include "controls/color_icon_host.h"
#include "model/raster/color_variation_fill.h"
#include "model/raster/fill_render.h"
#include "model/raster/pixel_buffer.h"
#include "platform/shown_path.h"

namespace controls {

BEGIN_MESSAGE_MAP(CColorIconCtrl, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

namespace {

constexpr int kTipWidth = 200;
constexpr int kCheckerCells = 8;
constexpr DWORD kCheckerDark = 0xFF040404;
constexpr DWORD kCheckerLight = 0xFFFAFAFA;
constexpr DWORD kFolderBits = kIconMaskFolder | kIconLightFolder | kIconWipeFolder;

const char16_t kColorTip[] =
    u"Edit: first click to set it as the current color of the color and texture picker, Second use the color and "
    u"texture picker to edit it.";
const char16_t kPictureTip[] = u"Click left Mouse button to set file,click right Mouse button to remove file ";
const char16_t kNoPictureTip[] = u"No picture file.  ";

// s over an opaque checker pixel d; the result is opaque.
DWORD OverChecker(DWORD s, DWORD d) {
  const int a = static_cast<int>(s >> 24);
  if (a == 0) return d;
  if (a == 255) return s;
  DWORD result = 0xFF000000;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int sc = static_cast<int>((s >> shift) & 0xFF);
    const int dc = static_cast<int>((d >> shift) & 0xFF);
    result |= static_cast<DWORD>((dc + (((sc - dc) * a) >> 8)) & 0xFF) << shift;
  }
  return result;
}

void FillChecker(DWORD* pixels, int width, int height) {
  for (int i = 0; i < kCheckerCells; ++i) {
    const int top = i * height / kCheckerCells;
    const int bottom = (i + 1) * height / kCheckerCells;
    for (int j = 0; j < kCheckerCells; ++j) {
      const int left = j * width / kCheckerCells;
      const int right = (j + 1) * width / kCheckerCells;
      const DWORD color = ((i + j) & 1) ? kCheckerLight : kCheckerDark;
      for (int y = top; y < bottom; ++y) std::fill(pixels + y * width + left, pixels + y * width + right, color);
    }
  }
}

void LayOver(DWORD* pixels, const DWORD* over, int count) {
  for (int i = 0; i < count; ++i) pixels[i] = OverChecker(over[i], pixels[i]);
}

}  // namespace

// --- registration and fill ---

CColorIconCtrl::CColorIconCtrl() = default;
CColorIconCtrl::~CColorIconCtrl() = default;

BOOL CColorIconCtrl::RegisterClass(HINSTANCE instance) {
  return RegisterCopyOfClass(instance, u"Static", u"ColorIconCtrl", AutoObjectProc<CColorIconCtrl>, CS_DBLCLKS);
}

CColorIconCtrl* ColorIconFromHandle(HWND hwnd) {
  return dynamic_cast<CColorIconCtrl*>(CWnd::FromHandlePermanent(hwnd));
}

DWORD CColorIconCtrl::KindBits() const { return m_hWnd ? (GetStyle() & kIconKindBits) : 0; }

void CColorIconCtrl::SetFill(const CFillStyle& fill) {
  if (&fill != &m_fill) m_fill = fill;
  RebuildSwatch();
}

void CColorIconCtrl::GetFill(CFillStyle& fill) const {
  if (m_bPictureRemoved) {
    CFillStyle hidden;
    hidden.type = kFillColor;
    hidden.color = 0;
    fill = hidden;
  } else if (&fill != &m_fill) {
    fill = m_fill;
  }
}

CString CColorIconCtrl::GetTexturePath() const {
  CString path;
  if (m_bPictureRemoved || !m_fill.GetPatternImage(path)) return CString();
  return path;
}

void CColorIconCtrl::SetTextureFile(const CString& path) {
  m_bPictureRemoved = FALSE;
  CFillStyle picture;
  picture.type = 2;
  if (::_waccess(path, 0) == 0) picture.SetPatternImage(path);
  SetFill(picture);
}

// The pixels go; a window draws them again at once and retells its tooltip.
void CColorIconCtrl::RebuildSwatch() {
  m_pixels.reset();
  m_pixelSize = CSize(0, 0);
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  if (client.Width() > 0 && client.Height() > 0) {
    m_pixelSize = client.Size();
    m_pixels = std::make_unique<DWORD[]>(static_cast<size_t>(client.Width()) * client.Height());
    RenderSwatch(m_pixels.get(), client.Width(), client.Height());
  }
  UpdateWindow();
  Invalidate(FALSE);
  if (m_tooltip.m_hWnd) m_tooltip.UpdateTipText(TooltipText(), this);
}

CString CColorIconCtrl::TooltipText() const {
  CString text;
  if (m_fill.type == kFillColor) {
    const DWORD c = m_fill.color;
    text.Format(u"Alpha = %d,R = %d,G = %d,B = %d   ", static_cast<int>(c >> 24), static_cast<int>((c >> 16) & 0xFF),
                static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
    text += kColorTip;
  } else if (m_fill.type != kFillVaryColor) {
    const CString path = GetTexturePath();
    // The path as the desktop writes it, the hint straight after it.
    text = path.IsEmpty() ? CString(kNoPictureTip) : ShownPath(path);
    text += kPictureTip;
  }
  return text;
}

int CColorIconCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  // A colour swatch holds a plain colour, so the picker's colours reach it.
  const DWORD style = KindBits();
  if (style & kIconPicture) m_fill.type = 2;
  else if (style & (kIconFixedColor | kIconColor)) m_fill.type = kFillColor;
  m_tooltip.Create(this);
  m_tooltip.SetMaxTipWidth(kTipWidth);
  m_tooltip.Activate(TRUE);
  m_tooltip.AddTool(this, TooltipText());
  return 0;
}

void CColorIconCtrl::OnDestroy() {
  if (IColorIconHost* host = GetColorIconHost()) host->ForgetPaletteTarget(*this);
  CWnd::OnDestroy();
}

BOOL CColorIconCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && m_tooltip.m_hWnd) m_tooltip.RelayEvent(pMsg);
  return CWnd::PreTranslateMessage(pMsg);
}

void DDX_ColorIcon(CDataExchange* pDX, int nIDC, CFillStyle& fill) {
  HWND icon = pDX->PrepareCtrl(nIDC);
  if (!icon) return;
  ::SendMessageW(icon, WM_COLORICON_FILL, pDX->m_bSaveAndValidate ? kColorIconGetFill : kColorIconSetFill,
                 reinterpret_cast<LPARAM>(&fill));
}

// --- notifications and drops ---

LRESULT CColorIconCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COLORICON_FILL) {
    auto* fill = reinterpret_cast<CFillStyle*>(lParam);
    if (!fill) return 0;
    if (wParam == kColorIconSetFill) {
      SetFill(*fill);
      if (IColorIconHost* host = GetColorIconHost()) host->RefreshPaletteTarget();
      return 1;
    }
    if (wParam == kColorIconGetFill) {
      GetFill(*fill);
      return 1;
    }
    return 0;
  }
  if (message == WM_SWATCH_DRAGDROP) return OnSwatchDragDrop(wParam, reinterpret_cast<const CFillStyle*>(lParam));
  return CWnd::WindowProc(message, wParam, lParam);
}

// What each kind of swatch takes is told by the parts the fill carries:
// colours have no pattern part, pictures a path, colour variations a gradient.
BOOL CColorIconCtrl::TakesDroppedFill(const CFillStyle& fill) const {
  const DWORD style = KindBits();
  const int pattern = fill.pattern ? fill.pattern->kind : -1;
  if (style & kIconGradient) return pattern == kFillPartGradient;
  if (style & kIconPicture) return pattern == kFillPartPath;
  return pattern == -1;
}

LRESULT CColorIconCtrl::OnSwatchDragDrop(WPARAM wParam, const CFillStyle* fill) {
  if (!fill) return 0;
  if (wParam == kSwatchQuery) {
    CWnd* capture = GetCapture();
    if (!capture || capture == this) return kSwatchRefuses;
    if (!KindBits()) return kSwatchAccepts;
    return TakesDroppedFill(*fill) ? kSwatchAccepts : kSwatchRefuses;
  }
  if (wParam != kSwatchDrop) return 0;
  if (KindBits() && !TakesDroppedFill(*fill)) return 0;
  SetFill(*fill);
  NotifyFillChanged();
  Click();
  return 1;
}

void CColorIconCtrl::NotifyFillChanged() {
  NMFILLCHANGE record;
  CFillStyle fill;
  GetFill(fill);
  record.kind = fill.type == kFillColor || fill.type == kFillVaryColor ? fill.type : kFillChangePicture;
  record.color = fill.color;
  fill.GetGradient(record.gradient);
  fill.GetPatternImage(record.path);
  SendNotify(m_hWnd, kNotifyFillChanged, record);
}

namespace {

// The owner hears it from this icon, as if the icon had sent it.
template <class Record>
void SendAsFrom(CWnd& icon, const Record& received) {
  Record record = received;
  SendNotify(icon.m_hWnd, received.hdr.code, record);
}

}  // namespace

void CColorIconCtrl::TakeFillChange(const NMFILLCHANGE& record) {
  if (KindBits() && record.kind != m_fill.type) return;
  m_fill.type = record.kind;
  switch (record.kind) {
    case kFillChangeColor: m_fill.color = record.color; break;
    case kFillChangeGradient: m_fill.SetGradient(record.gradient); break;
    case kFillChangePicture: m_fill.SetPatternImage(record.path); break;
    default: break;
  }
  SendAsFrom(*this, record);
}

BOOL CColorIconCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header) return CWnd::OnNotify(wParam, lParam, pResult);
  switch (header->code) {
    case kNotifySetColor:
      m_fill.color = reinterpret_cast<const NMSETCOLOR*>(lParam)->color;
      break;
    case kNotifyColorDragging:
      m_fill.color = reinterpret_cast<const NMCOLORDRAG*>(lParam)->color;
      SendAsFrom(*this, *reinterpret_cast<const NMCOLORDRAG*>(lParam));
      break;
    case kNotifyFillChanged:
      TakeFillChange(*reinterpret_cast<const NMFILLCHANGE*>(lParam));
      break;
    default:
      return CWnd::OnNotify(wParam, lParam, pResult);
  }
  RebuildSwatch();
  return CWnd::OnNotify(wParam, lParam, pResult);
}

// --- clicks ---

void CColorIconCtrl::Click() {
  const DWORD style = KindBits();
  IColorIconHost* host = GetColorIconHost();
  if (style & kIconColor) {
    CRect rect;
    GetWindowRect(&rect);
    if (host) host->OpenColorPicker(*this, m_fill.color, POINT{rect.left, rect.bottom});
    return;
  }
  if (style & kIconFixedColor) return;  // shown, never edited
  if (style & kIconPicture) {
    if (host) host->ChoosePictureFile(*this, (GetStyle() & kFolderBits) != 0);
    NotifyFillChanged();
    return;
  }
  if (host) host->SetPaletteTarget(*this);
}

void CColorIconCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  Click();
  CWnd::OnLButtonDown(nFlags, point);
}

void CColorIconCtrl::OnRButtonDown(UINT nFlags, CPoint point) {
  const DWORD style = KindBits();
  if ((style & kIconPicture) && !(style & kIconFixedColor) && m_fill.pattern) {
    m_bPictureRemoved = !m_bPictureRemoved;
    CString path;
    if (m_fill.GetPatternImage(path) && PictureFileExists(path)) {
      RebuildSwatch();
      NotifyFillChanged();
    }
  }
  CWnd::OnRButtonDown(nFlags, point);
}

// --- the swatch and painting ---

void CColorIconCtrl::RenderSwatch(DWORD* pixels, int width, int height) {
  FillChecker(pixels, width, height);
  const int count = width * height;
  const DWORD style = KindBits();
  if (m_fill.pattern && m_fill.type != kFillColor && !m_bPictureRemoved) {
    CString path;
    if (m_fill.GetPatternImage(path)) {
      if (style && !(style & kIconPicture)) return;
      CPixelBuffer picture(RECT{0, 0, width, height});
      if (!picture.bits) return;
      CFillStyle shown;
      shown.type = 2;
      shown.SetPatternImage(path);
      if (PictureFileExists(path)) RenderFill(shown, picture);
      else picture.Fill(0);
      LayOver(pixels, picture.bits, count);
      picture.Free();
      return;
    }
    if (m_fill.pattern->kind == kFillPartGradient) {
      if (style && !(style & kIconGradient)) return;
      auto* gradient = static_cast<CFillGradientPart*>(m_fill.pattern);
      // A gradient swatch shows the colours, not where the user placed them.
      if (style & kIconGradient) {
        for (CVector2& point : gradient->first.controlPoints) point = CVector2(0.0f, 0.0f);
      }
      std::unique_ptr<DWORD[]> colors(RenderVaryColorFill(SIZE{width, height}, gradient->first));
      if (colors) LayOver(pixels, colors.get(), count);
    }
    return;
  }
  const DWORD color = (m_fill.type == kFillColor && !m_bPictureRemoved) ? m_fill.color : 0;
  for (int i = 0; i < count; ++i) pixels[i] = OverChecker(color, pixels[i]);
}

void CColorIconCtrl::OnPaint() {
  PaintBuffered(*this, [this](CDC& dc, const CRect& client) {
    if (!m_pixels || m_pixelSize != client.Size()) {
      m_pixelSize = client.Size();
      m_pixels = std::make_unique<DWORD[]>(static_cast<size_t>(std::max(1, client.Width() * client.Height())));
      if (client.Width() > 0 && client.Height() > 0) RenderSwatch(m_pixels.get(), client.Width(), client.Height());
    }
    DrawPixels(dc, m_pixels.get(), m_pixelSize);
    dc.Draw3dRect(&client, RGB(0x98, 0x98, 0x98), RGB(0xFF, 0xFF, 0xFF));
    CRect inner = client;
    inner.DeflateRect(1, 1);
    dc.Draw3dRect(&inner, RGB(0, 0, 0), RGB(0, 0, 0));
  });
}

BOOL CColorIconCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

}  // namespace controls
