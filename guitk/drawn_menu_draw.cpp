// Measuring and drawing the items of a CDrawnMenu: the plain and styled
// measures, the classic and styled draws, and the title lines.
//
// Sections: shared pieces · measuring · classic draw · styled draw · titles
#include "guitk/drawn_menu_draw.h"

#include <algorithm>

#include "guitk/drawn_menu.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_draw.h"
#include "guitk/menu_looks.h"

namespace {

constexpr int kTabExtra = 15;       // room between a caption and its accelerator
constexpr int kTitleGrowth = 6;
constexpr int kStyledTextGap = 4;   // the styled text starts this far after the column
constexpr int kStyledRightGap = 15;
constexpr UINT kFirstSystemCommand = 0xF000, kLastSystemCommand = 0xF150;

// --- shared pieces ---

CDrawnMenuItemData* DataOf(ULONG_PTR itemData) {
  auto* object = reinterpret_cast<CObject*>(itemData);
  return object && object->IsKindOf(RUNTIME_CLASS(CDrawnMenuItemData)) ? static_cast<CDrawnMenuItemData*>(object)
                                                                        : nullptr;
}

bool IsSeparator(const CDrawnMenuItemData* data) { return (data->m_nFlags & MF_SEPARATOR) != 0; }
bool IsTitle(const CDrawnMenuItemData* data) { return IsSeparator(data) && (data->m_dwTitleFlags & kTitleLine); }

CString LabelOf(const CString& caption) {
  const int tab = caption.Find(u'\t');
  return tab < 0 ? caption : caption.Left(tab);
}
CString AccelOf(const CString& caption) {
  const int tab = caption.Find(u'\t');
  return tab < 0 ? CString() : caption.Mid(tab + 1);
}

CSize TextSize(CDC* pDC, const CString& text) {
  if (text.IsEmpty()) return CSize(0, pDC->GetTextExtent(u"X", 1).cy);
  return pDC->GetTextExtent(text, text.GetLength());
}

void TitleFont(CFont* font, bool vertical) {
  LOGFONTW lf{};
  lf.lfHeight = 16;
  lf.lfWeight = FW_BOLD;
  if (vertical) lf.lfEscapement = lf.lfOrientation = 900;
  const char16_t face[] = u"Arial";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  font->CreateFontIndirect(&lf);
}

// The item's state from the menu: checked-state bitmap (a radio item) and the like.
MENUITEMINFOW StateOf(CDrawnMenu* menu, UINT itemID, const CDrawnMenuItemData* data) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_CHECKMARKS | MIIM_STATE | MIIM_FTYPE;
  for (int i = 0; i < menu->ItemCount(); ++i) {
    if (menu->ItemData(i) == data) {
      GetMenuItemInfoW(menu->m_hMenu, static_cast<UINT>(i), TRUE, &info);
      return info;
    }
  }
  GetMenuItemInfoW(menu->m_hMenu, itemID, FALSE, &info);
  return info;
}

bool HasPicture(const CDrawnMenuItemData* data) { return data->m_pImages && data->m_nImage >= 0; }

void DrawPicture(CDC* pDC, const CDrawnMenuItemData* data, CPoint at, bool disabled) {
  if (!HasPicture(data)) return;
  HICON icon = ImageList_GetIcon(data->m_pImages->m_hImageList, data->m_nImage, ILD_TRANSPARENT);
  if (!icon) return;
  DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y, 0, 0,
             DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
  DestroyIcon(icon);
}

bool SystemCommand(UINT id) {
  const UINT masked = id & 0xFFF0;
  return masked >= kFirstSystemCommand && masked <= kLastSystemCommand;
}

WCHAR SystemCommandGlyph(UINT id) {
  switch (id & 0xFFF0) {
    case SC_MINIMIZE: return u'0';
    case SC_MAXIMIZE: return u'1';
    case SC_RESTORE: return u'2';
    case SC_CLOSE: return u'r';
    default: return 0;
  }
}

// --- measuring ---

void Measure(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel, int heightPad) {
  CDrawnMenuItemData* data = DataOf(mis->itemData);
  if (!data) return;
  if (IsSeparator(data) && !IsTitle(data)) {
    mis->itemHeight = 3;
    return;
  }
  CDC* pDC = CDC::FromHandle(GetDC(nullptr));
  if (IsTitle(data)) {
    CFont font;
    TitleFont(&font, false);
    CFont* old = pDC->SelectObject(&font);
    const CSize size = TextSize(pDC, data->m_strText);
    pDC->SelectObject(old);
    const int larger = (data->m_dwTitleFlags & kTitleLarger) ? kTitleGrowth : 0;
    if (data->m_dwTitleFlags & kTitleVertical) {
      mis->itemHeight = 0;
      mis->itemWidth = static_cast<UINT>(std::max(0, size.cy * 3 / 4 - GetSystemMetrics(SM_CXMENUCHECK) + larger));
    } else {
      mis->itemWidth = static_cast<UINT>(size.cx * 3 / 4);
      mis->itemHeight = static_cast<UINT>(size.cy * 3 / 4 + larger);
    }
  } else {
    CFont* old = pDC->SelectObject(GetKitMenuFont((data->m_nFlags & 0x20) != 0));
    const CString label = LabelOf(data->m_strText), accel = AccelOf(data->m_strText);
    int width = TextSize(pDC, label).cx + (accel.IsEmpty() ? 0 : TextSize(pDC, accel).cx);
    pDC->SelectObject(old);
    if (!topLevel) width += 2 * menu->m_nIconWidth + 2;
    if (data->m_strText.Find(u'\t') >= 0) width += kTabExtra;
    mis->itemWidth = static_cast<UINT>(width);
    mis->itemHeight = static_cast<UINT>(std::max(GetSystemMetrics(SM_CYMENU), menu->m_nIconHeight + heightPad));
    if (menu->m_bSystemMenu && SystemCommand(static_cast<UINT>(data->m_nID)))
      mis->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
  }
  ReleaseDC(nullptr, pDC->m_hDC);
}

// --- classic draw ---

void ClassicBarItem(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data) {
  CRect r(dis->rcItem);
  pDC->FillSolidRect(&r, GetSysColor(GetMenuColorIndex()));
  if (dis->itemState & ODS_HOTLIGHT) pDC->DrawEdge(&r, BDR_RAISEDINNER, BF_RECT);
  if (dis->itemState & ODS_SELECTED) pDC->DrawEdge(&r, BDR_SUNKENOUTER, BF_RECT);
  pDC->SetTextColor(GetSysColor((dis->itemState & ODS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  CFont* old = pDC->SelectObject(GetKitMenuFont());
  CString label = LabelOf(data->m_strText);
  pDC->DrawText(label, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  pDC->SelectObject(old);
  (void)menu;
}

void ClassicPopupItem(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data, bool barLineHighlight) {
  CRect r(dis->rcItem);
  const bool selected = (dis->itemState & ODS_SELECTED) != 0;
  const bool grayed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = (dis->itemState & ODS_CHECKED) != 0;
  const COLORREF back = GetSysColor(COLOR_MENU);
  pDC->FillSolidRect(&r, back);
  if (IsSeparator(data)) {
    CRect line(r.left, r.top + r.Height() / 2, r.right, r.bottom);
    pDC->DrawEdge(&line, EDGE_ETCHED, BF_TOP);
    return;
  }
  const int iw = menu->m_nIconWidth, ih = menu->m_nIconHeight;
  const bool picture = HasPicture(data);
  if (selected) {
    CRect fill = r;
    if (picture || checked) fill.left += iw + 6;
    pDC->FillSolidRect(&fill, GetSysColor(COLOR_HIGHLIGHT));
    if (barLineHighlight) pDC->Draw3dRect(&fill, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
  }
  CRect box(r.left + 3, r.top + (r.Height() - ih) / 4 + 1, r.left + 3 + iw, r.top + (r.Height() - ih) / 4 + 1 + ih);
  box.InflateRect(2, 2);
  const bool framed = GetWindowsVersionCode() >= 2;
  const WCHAR systemGlyph = menu->m_bSystemMenu ? SystemCommandGlyph(static_cast<UINT>(data->m_nID)) : 0;
  if (systemGlyph) {
    // A maximised child's system commands show the caption buttons' glyphs.
    CRect raised = box;
    if (selected) {
      DrawMarlettGlyph(pDC, box, systemGlyph, GetSysColor(COLOR_GRAYTEXT), FALSE);
      raised.OffsetRect(-2, -2);
    }
    DrawMarlettGlyph(pDC, raised, systemGlyph, GetSysColor(COLOR_MENUTEXT), FALSE);
  } else if (checked && !picture) {
    if (framed) pDC->DrawEdge(&box, BDR_SUNKENOUTER, BF_RECT);
    const MENUITEMINFOW info = StateOf(menu, dis->itemID, data);
    const COLORREF glyph = GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    DrawMarlettGlyph(pDC, box, info.hbmpChecked ? u'i' : u'b', glyph, (dis->itemState & ODS_DEFAULT) != 0);
  } else if (picture) {
    if (framed && checked) pDC->Draw3dRect(&box, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
    else if (framed && selected) pDC->Draw3dRect(&box, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
    DrawPicture(pDC, data, CPoint(box.left + 2, box.top + 2), grayed);
  }
  CRect text(r.left + iw + 8, r.top, r.right - 4, r.bottom);
  pDC->SetBkMode(TRANSPARENT);
  CFont* old = pDC->SelectObject(GetKitMenuFont((dis->itemState & ODS_DEFAULT) != 0));
  if (grayed && !selected) {
    CRect light = text;
    light.OffsetRect(1, 1);
    pDC->SetTextColor(GetSysColor(COLOR_3DHILIGHT));
    DrawMenuCaption(pDC, data->m_strText, light);
  }
  pDC->SetTextColor(grayed ? (selected ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_GRAYTEXT))
                           : GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  DrawMenuCaption(pDC, data->m_strText, text);
  pDC->SelectObject(old);
}

using ItemPainter = void (*)(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data);

// Titles go to the look's title routine; every other item to the painter,
// with the DC's state kept.
void DrawWith(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, ItemPainter painter) {
  CDrawnMenuItemData* data = DataOf(dis->itemData);
  if (!data) return;
  if (IsTitle(data)) {
    GetCurrentMenuLook()->m_pfnTitle(menu, dis);
    return;
  }
  CDC* pDC = CDC::FromHandle(dis->hDC);
  const int saved = pDC->SaveDC();
  painter(pDC, menu, dis, data);
  pDC->RestoreDC(saved);
}

void ClassicPlainPopupItem(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data) {
  ClassicPopupItem(pDC, menu, dis, data, false);
}
void ClassicHighlightedPopupItem(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data) {
  ClassicPopupItem(pDC, menu, dis, data, true);
}

// --- styled draw ---

void StyledPopupItem(CDC* pDC, CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data) {
  CRect r(dis->rcItem);
  const bool selected = (dis->itemState & ODS_SELECTED) != 0;
  const bool grayed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = (dis->itemState & ODS_CHECKED) != 0;
  const int iw = menu->m_nIconWidth;
  const COLORREF select = KitMenuSelectColor();
  pDC->FillSolidRect(&r, KitMenuBackColor());
  const CRect column(r.left, r.top, r.left + iw + 8, r.bottom);
  pDC->FillSolidRect(&column, KitMenuColumnColor());
  CRect text(column.right + kStyledTextGap, r.top, r.right - kStyledRightGap, r.bottom);
  if (IsSeparator(data)) {
    pDC->FillSolidRect(text.left, r.top + r.Height() / 2, r.right - text.left, 1, GetSysColor(COLOR_GRAYTEXT));
    return;
  }
  const COLORREF frame = GetSysColor(COLOR_HIGHLIGHT);
  if (selected && !grayed) KitFramedFill(pDC, r, select, frame);
  const CPoint at(r.left + 3, r.top + 4);
  const bool picture = HasPicture(data);
  if (checked) {
    CRect box(column.left + 1, column.top + 1, column.right - 1, column.bottom - 1);
    KitFramedFill(pDC, box, KitLightShadow(selected ? select : KitMenuColumnColor()), frame);
    if (!picture) {
      const MENUITEMINFOW info = StateOf(menu, dis->itemID, data);
      const bool shared = menu->m_pSharedImages && (menu->m_nUncheckedImage > 0 || (selected && menu->m_nCheckedImage > 0));
      if (shared) menu->m_pSharedImages->Draw(pDC, selected ? 1 : 0, at, ILD_TRANSPARENT);
      else DrawMarlettGlyph(pDC, box, info.hbmpChecked ? u'i' : u'b', GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT),
                            (dis->itemState & ODS_DEFAULT) != 0);
    }
  }
  if (picture) {
    if (selected && !grayed) {
      HICON icon = ImageList_GetIcon(data->m_pImages->m_hImageList, data->m_nImage, ILD_TRANSPARENT);
      CBrush silhouette(KitLightShadow(select));
      DrawStateW(pDC->m_hDC, static_cast<HBRUSH>(silhouette.m_hObject), nullptr, reinterpret_cast<LPARAM>(icon), 0,
                 at.x + 1, at.y + 1, 0, 0, DST_ICON | DSS_MONO);
      DestroyIcon(icon);
      DrawPicture(pDC, data, CPoint(at.x - 1, at.y - 1), false);
    } else {
      DrawPicture(pDC, data, at, grayed);
    }
  }
  pDC->SetBkMode(TRANSPARENT);
  CFont* old = pDC->SelectObject(GetKitMenuFont((dis->itemState & ODS_DEFAULT) != 0));
  pDC->SetTextColor(GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  DrawMenuCaption(pDC, data->m_strText, text);
  pDC->SelectObject(old);
}

// The open item's shadow: the 4 columns right of it darkened like the right
// edge of a popup's shadow (the darkest next to the item, the first rows
// fading in).
void BarItemShadow(CDC* pDC, const CRect& item) {
  for (int i = 1; i <= 4; ++i) {
    const int x = item.right + 4 - i;
    for (int y = item.top; y < item.bottom; ++y) {
      const int row = y - item.top;
      const int k = row < 4 ? 0 : row < 8 ? 3 * (row - 3) * i : 15 * i;
      if (k) pDC->SetPixelV(x, y, KitDarken(pDC->GetPixel(x, y), k));
    }
  }
}

void StyledBarItem(CDC* pDC, CDrawnMenu*, LPDRAWITEMSTRUCT dis, CDrawnMenuItemData* data) {
  CRect r(dis->rcItem);
  pDC->FillSolidRect(&r, GetSysColor(GetMenuColorIndex()));
  if (dis->itemState & (ODS_SELECTED | ODS_HOTLIGHT)) {
    KitFramedFill(pDC, r, (dis->itemState & ODS_SELECTED) ? KitMenuColumnColor() : KitMenuSelectColor(),
                  GetSysColor(COLOR_HIGHLIGHT));
  }
  if (dis->itemState & ODS_SELECTED) BarItemShadow(pDC, r);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetSysColor((dis->itemState & (ODS_INACTIVE | ODS_GRAYED)) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  CFont* old = pDC->SelectObject(GetKitMenuFont());
  pDC->DrawText(LabelOf(data->m_strText), &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  pDC->SelectObject(old);
}

}  // namespace

void DrawMenuCaption(CDC* pDC, const CString& caption, RECT rect, UINT extraFormat) {
  const UINT format = DT_SINGLELINE | DT_VCENTER | extraFormat;
  CString label = LabelOf(caption), accel = AccelOf(caption);
  pDC->DrawText(label, &rect, format | DT_LEFT);
  if (!accel.IsEmpty()) pDC->DrawText(accel, &rect, format | DT_RIGHT | DT_NOPREFIX);
}

void KitFramedFill(CDC* pDC, const RECT& rect, COLORREF fill, COLORREF frame) {
  CBrush brush(fill);
  CPen pen(PS_SOLID, 1, frame);
  CBrush* oldBrush = pDC->SelectObject(&brush);
  CPen* oldPen = pDC->SelectObject(&pen);
  pDC->Rectangle(&rect);
  pDC->SelectObject(oldPen);
  pDC->SelectObject(oldBrush);
}

void DrawMarlettGlyph(CDC* pDC, const RECT& box, WCHAR glyph, COLORREF color, BOOL bold) {
  CFont font;
  font.CreateFont(std::max<int>(1, box.bottom - box.top - 4), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                  SYMBOL_CHARSET, 0, 0, 0, 0, u"Marlett");
  CFont* old = pDC->SelectObject(&font);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(color);
  RECT r = box;
  pDC->DrawText(&glyph, 1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  pDC->SelectObject(old);
}

CFont* GetKitMenuFont(BOOL bold) {
  static CFont fonts[2];
  CFont& font = fonts[bold ? 1 : 0];
  if (!font.m_hObject) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    font.CreateFontIndirect(&metrics.lfMenuFont);
  }
  return &font;
}

void PlainMeasure(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel) { Measure(menu, mis, topLevel, 4); }
void StyledMeasure(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel) { Measure(menu, mis, topLevel, 8); }
void ClassicDraw(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine) {
  DrawWith(menu, dis, barLine ? &ClassicBarItem : &ClassicPlainPopupItem);
}
void ClassicDrawBarLine(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine) {
  DrawWith(menu, dis, barLine ? &ClassicBarItem : &ClassicHighlightedPopupItem);
}
void StyledDraw(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine) {
  DrawWith(menu, dis, barLine ? &StyledBarItem : &StyledPopupItem);
}

// --- titles ---

void DrawMenuTitle(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis) {
  (void)menu;
  CDrawnMenuItemData* data = DataOf(dis->itemData);
  if (!data) return;
  CDC* pDC = CDC::FromHandle(dis->hDC);
  const int saved = pDC->SaveDC();
  const DWORD flags = data->m_dwTitleFlags;
  const bool vertical = (flags & kTitleVertical) != 0;
  CRect r(dis->rcItem);
  if (vertical) r.right += GetSystemMetrics(SM_CXMENUCHECK);
  const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
  if (flags & kTitleRounded) {
    CBrush brush(caption);
    CPen pen(PS_SOLID, 1, caption);
    CBrush* oldBrush = pDC->SelectObject(&brush);
    CPen* oldPen = pDC->SelectObject(&pen);
    pDC->RoundRect(&r, CPoint(10, 10));
    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldBrush);
  } else {
    pDC->FillSolidRect(&r, (flags & kTitleOtherFill) ? GetSysColor(COLOR_GRADIENTACTIVECAPTION) : caption);
  }
  if (flags & kTitleRaised) pDC->Draw3dRect(&r, GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
  CFont font;
  TitleFont(&font, vertical);
  CFont* old = pDC->SelectObject(&font);
  pDC->SetBkMode(TRANSPARENT);
  pDC->SetTextColor(GetSysColor(COLOR_CAPTIONTEXT));
  const COLORREF light = GetSysColor(COLOR_3DHILIGHT), dark = GetSysColor(COLOR_3DSHADOW);
  if (vertical) {
    const CSize size = pDC->GetTextExtent(data->m_strText, data->m_strText.GetLength());
    const int y = (flags & kTitleCentred) ? r.top + (r.Height() + size.cx) / 2 : r.bottom - 4;
    pDC->TextOut(r.left + 2, y, data->m_strText);
    if (flags & kTitleLarger) {
      pDC->Draw3dRect(r.left + 20, r.top + 5, 2, r.Height() - 10, light, dark);
      pDC->Draw3dRect(r.left + 23, r.top + 5, 2, r.Height() - 10, dark, light);
    }
  } else {
    pDC->DrawText(data->m_strText, &r, DT_SINGLELINE | DT_VCENTER | ((flags & kTitleCentred) ? DT_CENTER : DT_LEFT));
    if (flags & kTitleLarger) {
      pDC->Draw3dRect(r.left + 2, r.bottom - 7, r.Width() - 4, 2, light, dark);
      pDC->Draw3dRect(r.left + 12, r.bottom - 4, r.Width() - 24, 2, dark, light);
    }
  }
  pDC->SelectObject(old);
  pDC->RestoreDC(saved);
}
