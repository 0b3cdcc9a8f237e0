// The toolkit's drawing helpers.
#include "guitk/kit_draw.h"

#include <cmath>

#include "guitk/kit_colors.h"
#include "guitk/kit_resources.h"

namespace {

constexpr int kBands = 256;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);
constexpr int kFrameGlyphWidth = 9;

bool Themed(int style) { return g_kitTheme && style != kKitStyleFlat; }

// The theme's caption pair of the current scheme; false for none.
bool CaptionPair(COLORREF* first, COLORREF* second) {
  switch (GetKitScheme()) {
    case KitScheme::Blue: *first = RGB(222, 234, 253), *second = RGB(141, 178, 223); return true;
    case KitScheme::Olive: *first = RGB(243, 251, 221), *second = RGB(179, 194, 138); return true;
    case KitScheme::Silver: *first = RGB(248, 248, 250), *second = RGB(165, 160, 184); return true;
    case KitScheme::None: return false;
  }
  return false;
}

COLORREF Less30(COLORREF c) { return KitAddChannels(c, -30); }

// Band i of n over a length: from trunc(i * length / n) to trunc((i + 1) * length / n).
void FillBands(CDC* pDC, const RECT& rect, COLORREF from, COLORREF to, bool vertical) {
  const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  const double steps[3] = {(GetRValue(to) - GetRValue(from)) / double(kBands),
                           (GetGValue(to) - GetGValue(from)) / double(kBands),
                           (GetBValue(to) - GetBValue(from)) / double(kBands)};
  for (int i = 0; i < kBands; ++i) {
    const int start = static_cast<int>(static_cast<long long>(i) * length / kBands);
    const int end = static_cast<int>(static_cast<long long>(i + 1) * length / kBands);
    if (end <= start) continue;
    const COLORREF band = RGB(GetRValue(from) + static_cast<int>(std::trunc(steps[0] * i)),
                              GetGValue(from) + static_cast<int>(std::trunc(steps[1] * i)),
                              GetBValue(from) + static_cast<int>(std::trunc(steps[2] * i)));
    const RECT r = vertical ? RECT{rect.left, rect.top + start, rect.right, rect.top + end}
                            : RECT{rect.left + start, rect.top, rect.left + end, rect.bottom};
    pDC->FillSolidRect(&r, band);
  }
}

}  // namespace

// --- the gradient drawer ---

CKitGradient::~CKitGradient() { Discard(); }

void CKitGradient::Discard() {
  if (!m_memory) return;
  ::SelectObject(m_memory->m_hDC, m_oldBitmap);
  ::DeleteObject(m_bitmap);
  delete m_memory;
  m_memory = nullptr;
  m_bitmap = nullptr;
}

void CKitGradient::Draw(CDC* pDC, COLORREF from, COLORREF to, bool vertical) {
  Discard();
  m_memory = new CDC;
  m_memory->CreateCompatibleDC(pDC);
  m_bitmap = ::CreateCompatibleBitmap(pDC->m_hDC, m_width, m_height);
  m_oldBitmap = ::SelectObject(m_memory->m_hDC, m_bitmap);
  FillBands(m_memory, RECT{0, 0, m_width, m_height}, from, to, vertical);
}

void CKitGradient::DrawVertical(CDC* pDC, int r1, int g1, int b1, int r2, int g2, int b2) {
  Draw(pDC, RGB(r1, g1, b1), RGB(r2, g2, b2), true);
}

void CKitGradient::DrawAcross(CDC* pDC, int r1, int g1, int b1, int r2, int g2, int b2) {
  Draw(pDC, RGB(r1, g1, b1), RGB(r2, g2, b2), false);
}

void CKitGradient::DrawCaptionGradient(CDC* pDC, int style, COLORREF color) {
  COLORREF first, second;
  if (!Themed(style)) Draw(pDC, RGB(250, 250, 249), Less30(color), true);
  else if (CaptionPair(&first, &second)) Draw(pDC, first, second, true);
}

void CKitGradient::DrawHorizontal(CDC* pDC, int style, COLORREF color) {
  COLORREF first, second;
  const COLORREF lighter = KitAddChannels(color, 10);
  if (!Themed(style)) Draw(pDC, lighter, Less30(lighter), false);
  else if (CaptionPair(&first, &second)) Draw(pDC, first, second, false);
}

void CKitGradient::DrawReverseHorizontal(CDC* pDC, int style, COLORREF color) {
  COLORREF first, second;
  const COLORREF lighter = KitAddChannels(color, 10);
  if (!Themed(style)) Draw(pDC, Less30(lighter), lighter, false);
  else if (CaptionPair(&first, &second)) Draw(pDC, second, first, false);
}

void CKitGradient::DrawActiveCaption(CDC* pDC, int style, bool vertical) {
  if (Themed(style)) {
    const COLORREF pale = RGB(248, 248, 205), warm = RGB(249, 200, 102);
    Draw(pDC, vertical ? pale : warm, vertical ? warm : pale, vertical);
    return;
  }
  const COLORREF base = style == kKitStyleGradient ? GetPressedColor() : GetShadowColor(kKitStyleFlat);
  Draw(pDC, base, Less30(base), vertical);
}

void CKitGradient::DrawLightBand(CDC* pDC, int style, COLORREF color) {
  if (!Themed(style)) {
    const COLORREF lighter = KitAddChannels(color, 10);
    Draw(pDC, Less30(lighter), lighter, true);
    return;
  }
  switch (GetKitScheme()) {
    case KitScheme::Blue: Draw(pDC, RGB(216, 228, 243), RGB(255, 255, 255), true); break;
    case KitScheme::Olive: Draw(pDC, RGB(233, 237, 220), RGB(255, 255, 255), true); break;
    case KitScheme::Silver: Draw(pDC, RGB(234, 233, 239), RGB(255, 255, 255), true); break;
    case KitScheme::None: break;
  }
}

void CKitGradient::CopyTo(CDC* pDC, int x, int y, int width, int height, int xSrc, int ySrc, DWORD rop) {
  if (m_memory) pDC->BitBlt(x, y, width, height, m_memory, xSrc, ySrc, rop);
}

void KitFillVerticalGradient(CDC* pDC, const RECT& rect, COLORREF top, COLORREF bottom) {
  FillBands(pDC, rect, top, bottom, true);
}

void KitFillHorizontalGradient(CDC* pDC, const RECT& rect, COLORREF left, COLORREF right) {
  FillBands(pDC, rect, left, right, false);
}

// --- the check mark ---

void KitDrawCheckMark(CDC* pDC, const RECT& rect) {
  CPen pen(PS_SOLID, 1, GetThemeBaseColor());
  CPen* old = pDC->SelectObject(&pen);
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom, h = b - t;
  for (int stroke = 0; stroke < 3; ++stroke) {
    pDC->MoveTo(l + 1, t + h / 2 + 1 - stroke);
    pDC->LineTo(l + 3, b - 2 - stroke);
    pDC->LineTo(r - 1, t + 2 - stroke);
  }
  pDC->SelectObject(old);
}

// --- the caption button ---

void CKitCaptionButton::SetData(int imageIndex, LPCTSTR tipText) {
  m_nImage = imageIndex;
  m_strTip = tipText ? tipText : u"";
}

BOOL CKitCaptionButton::SetImageList(UINT bitmapId, int cx, int grow, COLORREF maskColor) {
  m_images.DeleteImageList();
  return m_images.Create(bitmapId, cx, grow, maskColor);
}

void CKitCaptionButton::Paint(CDC* pDC, int state, const RECT& rect, int fillMode, BOOL white, COLORREF fill) {
  CRect r(rect);
  if (fillMode != kNoFill && m_bEnabled) {
    COLORREF brush = fill;
    if (m_bFlat && state == Hot) brush = GetHotColor();
    else if (m_bFlat && state == Pressed) brush = GetPressedColor();
    pDC->FillSolidRect(&r, brush);
  }
  if (m_bEnabled && state != Normal) {
    COLORREF topLeft = GetSysColor(state == Hot ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    COLORREF bottomRight = GetSysColor(state == Hot ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    if (m_bFlat) topLeft = bottomRight = GetThemeBaseColor();
    pDC->Draw3dRect(&r, topLeft, bottomRight);
  }
  if (!m_images.GetSafeHandle()) return;
  const int image = m_nImage + (white ? 1 : 0);
  IMAGEINFO info{};
  if (!m_images.GetImageInfo(image, &info)) return;
  const int cx = info.rcImage.right - info.rcImage.left, cy = info.rcImage.bottom - info.rcImage.top;
  if (m_bFlat) {
    const CPoint at(r.left + (r.Width() - cx) / 2 + 1, r.top + (r.Height() - cy) / 2 + 1);
    m_images.Draw(pDC, image, at, m_bEnabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND25));
  } else {
    m_images.Draw(pDC, image, CPoint(r.left + 1, r.top + 2), ILD_TRANSPARENT);
  }
}

// --- the glyph store ---

KitGlyphStore& GetKitGlyphStore() {
  static KitGlyphStore store;
  if (!store.images.GetSafeHandle()) {
    store.images.Create(kKitFrameGlyphs, kFrameGlyphWidth, 0, kGlyphMask);
    store.thumbWidth = GetSystemMetrics(SM_CXHTHUMB);
    CBitmap caption;
    BITMAP info{};
    if (caption.LoadBitmap(kKitCaptionGlyphs) && caption.GetBitmap(&info)) {
      store.captionGlyphWidth = info.bmWidth;
      store.captionGlyphHeight = info.bmHeight;
    }
  }
  return store;
}
