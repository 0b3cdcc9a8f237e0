// Measuring and drawing menu items in the classic look: popup items (check
// column, caption, accelerator column, submenu arrow, etched separators) and
// the titles of the menu bar. Owner-drawn items go to the owner instead.
#include <algorithm>
#include <utility>

#include "compat/win32/gdi.h"
#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

constexpr int kAcceleratorGap = 16;  // between the longest caption and the accelerator column
constexpr int kBarTitlePadding = 6;  // on each side of a bar title
constexpr int kTextPadding = 4;      // right of the check column

int CheckColumn() { return GetSystemMetrics(SM_CXMENUCHECK) + kTextPadding; }
int ArrowColumn() { return GetSystemMetrics(SM_CXMENUCHECK) + kTextPadding; }
bool Separator(const MenuItem& item) { return (item.type & MFT_SEPARATOR) && !(item.type & MFT_OWNERDRAW); }
bool Grayed(const MenuItem& item) { return (item.state & (MF_GRAYED | MF_DISABLED)) != 0; }

SIZE TextSize(HDC hdc, const std::u16string& text) {
  RECT r{0, 0, 0, 0};
  if (!text.empty()) DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE MeasureOwnerDrawn(HWND owner, const MenuItem& item) {
  MEASUREITEMSTRUCT mis{ODT_MENU, 0, item.id, 0, static_cast<UINT>(GetSystemMetrics(SM_CYMENU)), item.data};
  if (owner) SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  // The platform leaves room for a check mark beside whatever the owner asks for.
  return SIZE{static_cast<LONG>(mis.itemWidth) + GetSystemMetrics(SM_CXMENUCHECK), static_cast<LONG>(mis.itemHeight)};
}

// Draws the item's caption: left part with its mnemonic, accelerator right-aligned.
void DrawCaption(HDC hdc, const MenuItem& item, RECT text, COLORREF color) {
  SetTextColor(hdc, color);
  const std::u16string label = LabelOf(item.text), accel = AcceleratorOf(item.text);
  const UINT common = DT_SINGLELINE | DT_VCENTER;
  DrawTextW(hdc, label.c_str(), static_cast<int>(label.size()), &text, common | DT_LEFT);
  if (!accel.empty()) DrawTextW(hdc, accel.c_str(), static_cast<int>(accel.size()), &text, common | DT_RIGHT | DT_NOPREFIX);
}

void DrawGlyph(HDC hdc, RECT box, char16_t glyph, COLORREF color) {
  HFONT marlett = CreateFontW(box.bottom - box.top, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, u"Marlett");
  HGDIOBJ old = SelectObject(hdc, marlett);
  SetTextColor(hdc, color);
  DrawTextW(hdc, &glyph, 1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  SelectObject(hdc, old);
  DeleteObject(marlett);
}

void DrawCheckBitmap(HDC hdc, HBITMAP bitmap, const RECT& box) {
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof(info), &info)) return;
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const int x = box.left + (box.right - box.left - info.bmWidth) / 2;
  const int y = box.top + (box.bottom - box.top - info.bmHeight) / 2;
  BitBlt(hdc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCAND);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DrawOwnerItem(HDC hdc, HWND owner, HMENU menu, const MenuItem& item, UINT state) {
  DRAWITEMSTRUCT dis{ODT_MENU, 0, item.id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(menu), hdc, item.rect, item.data};
  if (owner) SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
}

}  // namespace

HFONT MenuFont(bool bold) {
  static const auto fonts = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT normal = CreateFontIndirectW(&metrics.lfMenuFont);
    metrics.lfMenuFont.lfWeight = FW_BOLD;
    return std::pair{normal, CreateFontIndirectW(&metrics.lfMenuFont)};
  }();
  return bold ? fonts.second : fonts.first;
}

PopupMetrics LayoutPopup(HMENU menu, HWND owner, std::vector<MenuItem>* items) {
  HDC hdc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(hdc, MenuFont());
  const int rowHeight = GetSystemMetrics(SM_CYMENU);
  // Measure: heights, caption widths and the common accelerator column.
  std::vector<SIZE> sizes(items->size());
  int accelWidth = 0;
  for (size_t i = 0; i < items->size(); ++i) {
    const MenuItem& item = (*items)[i];
    if (item.type & MFT_OWNERDRAW) {
      sizes[i] = MeasureOwnerDrawn(owner, item);
    } else if (Separator(item)) {
      sizes[i] = SIZE{0, rowHeight / 2};
    } else {
      SelectObject(hdc, MenuFont((item.state & MFS_DEFAULT) != 0));
      sizes[i] = SIZE{CheckColumn() + TextSize(hdc, LabelOf(item.text)).cx + ArrowColumn(), rowHeight};
      accelWidth = std::max<int>(accelWidth, TextSize(hdc, AcceleratorOf(item.text)).cx);
    }
  }
  const int accelColumn = accelWidth ? accelWidth + kAcceleratorGap : 0;
  // Place: columns break at MFT_MENUBREAK / MFT_MENUBARBREAK.
  PopupMetrics result;
  size_t columnStart = 0;
  int x = 0, y = 0, columnWidth = 0;
  auto closeColumn = [&](size_t end) {
    for (size_t k = columnStart; k < end; ++k) (*items)[k].rect.right = x + columnWidth;
    result.width = x + columnWidth;
    x += columnWidth;
    columnWidth = 0;
    y = 0;
    columnStart = end;
  };
  for (size_t i = 0; i < items->size(); ++i) {
    MenuItem& item = (*items)[i];
    if (i > columnStart && (item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK))) closeColumn(i);
    const bool plain = !(item.type & MFT_OWNERDRAW) && !Separator(item);
    columnWidth = std::max<int>(columnWidth, sizes[i].cx + (plain ? accelColumn : 0));
    item.rect = RECT{x, y, x, y + sizes[i].cy};
    y += sizes[i].cy;
    result.height = std::max(result.height, y);
  }
  closeColumn(items->size());
  SelectObject(hdc, oldFont);
  ReleaseDC(nullptr, hdc);
  StoreRects(menu, *items);
  return result;
}

void DrawPopupItem(HDC hdc, HWND owner, HMENU menu, const MenuItem& item, bool selected) {
  RECT r = item.rect;
  if (item.type & MFT_OWNERDRAW) {
    UINT state = selected ? ODS_SELECTED : 0;
    if (item.state & MF_GRAYED) state |= ODS_GRAYED;
    if (item.state & MF_DISABLED) state |= ODS_DISABLED;
    if (item.state & MF_CHECKED) state |= ODS_CHECKED;
    if (item.state & MFS_DEFAULT) state |= ODS_DEFAULT;
    DrawOwnerItem(hdc, owner, menu, item, state);
    return;
  }
  if (Separator(item)) {
    FillRect(hdc, &r, GetSysColorBrush(COLOR_MENU));
    RECT line{r.left + 1, r.top + (r.bottom - r.top) / 2 - 1, r.right - 1, r.bottom};
    DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  FillRect(hdc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  const COLORREF textColor = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  const COLORREF color = Grayed(item) ? GetSysColor(COLOR_GRAYTEXT) : textColor;
  SetBkMode(hdc, TRANSPARENT);
  RECT check{r.left, r.top, r.left + CheckColumn(), r.bottom};
  HBITMAP bitmap = (item.state & MF_CHECKED) ? item.checked : item.unchecked;
  if (bitmap) DrawCheckBitmap(hdc, bitmap, check);
  else if (item.state & MF_CHECKED) DrawGlyph(hdc, RECT{check.left + 3, check.top + 3, check.right - 1, check.bottom - 3},
                                              (item.type & MFT_RADIOCHECK) ? u'h' : u'a', color);
  if (item.submenu) DrawGlyph(hdc, RECT{r.right - ArrowColumn(), r.top + 1, r.right - 1, r.bottom - 1}, u'8', color);
  HGDIOBJ oldFont = SelectObject(hdc, MenuFont((item.state & MFS_DEFAULT) != 0));
  RECT text{check.right, r.top, r.right - ArrowColumn(), r.bottom};
  if (Grayed(item) && !selected) {
    // Grey text is embossed: a light copy one pixel down and right first.
    DrawCaption(hdc, item, RECT{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1}, GetSysColor(COLOR_3DHILIGHT));
  }
  DrawCaption(hdc, item, text, color);
  SelectObject(hdc, oldFont);
}

void LayoutBar(HMENU menu, const RECT& strip, std::vector<MenuItem>* items) {
  HDC hdc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(hdc, MenuFont());
  int x = strip.left;
  for (MenuItem& item : *items) {
    const int width = TextSize(hdc, LabelOf(item.text)).cx + 2 * kBarTitlePadding;
    item.rect = RECT{x, strip.top, std::min<int>(x + width, strip.right), strip.bottom};
    x = item.rect.right;
  }
  SelectObject(hdc, oldFont);
  ReleaseDC(nullptr, hdc);
  StoreRects(menu, *items);
}

void DrawBarItem(HDC hdc, HWND owner, HMENU menu, const MenuItem& item, bool pressed) {
  RECT r = item.rect;
  if (item.type & MFT_OWNERDRAW) {
    DrawOwnerItem(hdc, owner, menu, item, pressed ? ODS_SELECTED : 0);
    return;
  }
  FillRect(hdc, &r, GetSysColorBrush(COLOR_MENU));
  if (pressed) DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
  HGDIOBJ oldFont = SelectObject(hdc, MenuFont());
  SetBkMode(hdc, TRANSPARENT);
  const std::u16string label = LabelOf(item.text);
  if (pressed) OffsetRect(&r, 1, 1);
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
  if (Grayed(item)) {
    RECT light = r;
    OffsetRect(&light, 1, 1);
    SetTextColor(hdc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(hdc, label.c_str(), static_cast<int>(label.size()), &light, format);
  }
  SetTextColor(hdc, GetSysColor(Grayed(item) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  DrawTextW(hdc, label.c_str(), static_cast<int>(label.size()), &r, format);
  SelectObject(hdc, oldFont);
}

}  // namespace compat::menus
