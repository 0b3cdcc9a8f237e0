// The tab control: one row of tabs over a framed page; the program shows the
// page for the selected tab. A click or Left/Right asks the parent
// (TCN_SELCHANGING, which may refuse) and then tells it (TCN_SELCHANGE).
#include <algorithm>
#include <string>
#include <vector>

#include "compat/controls/common_paint.h"
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr int kRowTop = 2;      // the selected tab rises into this margin
constexpr int kLeftIndent = 2;
constexpr int kTextPadding = 6;
constexpr int kMinTabWidth = 24;
constexpr int kPageMargin = 4;  // the frame and its gap, round the page

struct Item {
  std::u16string text;
  LPARAM param = 0;
  int image = -1;
};

struct TabControl {
  std::vector<Item> items;
  std::vector<RECT> rects;
  int selected = -1;
  bool focus = false;
  HFONT font = nullptr;
};

int TabHeight(HWND hwnd, const TabControl& tc) { return LineHeight(hwnd, tc.font) + 6; }

int RowBottom(HWND hwnd, const TabControl& tc) { return kRowTop + TabHeight(hwnd, tc); }

void Layout(HWND hwnd, TabControl& tc) {
  ControlDc dc(hwnd, FontOrDefault(tc.font));
  tc.rects.clear();
  int x = kLeftIndent;
  const int h = TabHeight(hwnd, tc);
  for (const Item& item : tc.items) {
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), item.text.c_str(), static_cast<int>(item.text.size()), &size);
    const int w = std::max(kMinTabWidth, static_cast<int>(size.cx) + 2 * kTextPadding);
    tc.rects.push_back(RECT{x, kRowTop, x + w, kRowTop + h});
    x += w;
  }
}

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

int HitTest(const TabControl& tc, POINT p) {
  for (size_t i = 0; i < tc.rects.size(); ++i)
    if (PtInRect(&tc.rects[i], p)) return static_cast<int>(i);
  return -1;
}

LRESULT Notify(HWND hwnd, UINT code) {
  NMHDR hdr{};
  hdr.code = code;
  return SendNotifyTo(GetParent(hwnd), hwnd, &hdr);
}

// The user picks a tab: the parent may refuse while the old page is current.
void Choose(HWND hwnd, TabControl& tc, int index) {
  if (index < 0 || index >= static_cast<int>(tc.items.size()) || index == tc.selected) return;
  if (Notify(hwnd, TCN_SELCHANGING)) return;
  if (StateOf<TabControl>(hwnd) != &tc) return;
  tc.selected = index;
  Redraw(hwnd);
  Notify(hwnd, TCN_SELCHANGE);
}

void DrawTab(HDC hdc, const RECT& tab, bool selected, const std::u16string& text, bool focus) {
  RECT r = tab;
  if (selected) {
    r.left -= 2;
    r.right += 2;
    r.top -= 2;
    r.bottom += 1;  // over the page frame's top line
  }
  RECT body{r.left + 1, r.top + 1, r.right - 1, r.bottom};
  FillRect(hdc, &body, GetSysColorBrush(COLOR_BTNFACE));
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  HGDIOBJ old = SelectObject(hdc, light);
  // Left side and top with a cut corner, in the highlight.
  MoveToEx(hdc, r.left, r.bottom - 1, nullptr);
  LineTo(hdc, r.left, r.top + 2);
  LineTo(hdc, r.left + 2, r.top);
  LineTo(hdc, r.right - 2, r.top);
  // Right side: shadow inside, dark shadow outside, with its own cut corner.
  SelectObject(hdc, shadow);
  MoveToEx(hdc, r.right - 2, r.top + 1, nullptr);
  LineTo(hdc, r.right - 2, r.bottom);
  SelectObject(hdc, dark);
  MoveToEx(hdc, r.right - 1, r.top + 2, nullptr);
  LineTo(hdc, r.right - 1, r.bottom);
  SelectObject(hdc, old);
  DeleteObject(light);
  DeleteObject(shadow);
  DeleteObject(dark);
  RECT label = tab;
  if (selected) OffsetRect(&label, 0, -1);
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (selected && focus) {
    RECT f = label;
    InflateRect(&f, -3, -3);
    DrawFocusRect(hdc, &f);
  }
}

void Paint(HWND hwnd, const TabControl& tc, HDC hdc) {
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH back = ControlColor(hwnd, hdc, WM_CTLCOLORDLG);
  FillRect(hdc, &client, back ? back : GetSysColorBrush(COLOR_BTNFACE));
  RECT page{client.left, RowBottom(hwnd, tc), client.right, client.bottom};
  FillRect(hdc, &page, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(hdc, &page, EDGE_RAISED, BF_RECT);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(tc.font));
  for (size_t i = 0; i < tc.items.size(); ++i)
    if (static_cast<int>(i) != tc.selected) DrawTab(hdc, tc.rects[i], false, tc.items[i].text, false);
  if (tc.selected >= 0) DrawTab(hdc, tc.rects[tc.selected], true, tc.items[tc.selected].text, tc.focus);
  SelectObject(hdc, oldFont);
}

// Between the window's rectangle and the page's: FALSE gives the page inside
// the window, TRUE the window round a page.
void AdjustRect(HWND hwnd, const TabControl& tc, BOOL larger, RECT* r) {
  const int top = RowBottom(hwnd, tc) + kPageMargin - 2;
  if (larger) {
    r->left -= kPageMargin;
    r->right += kPageMargin;
    r->top -= top;
    r->bottom += kPageMargin;
  } else {
    r->left += kPageMargin;
    r->right -= kPageMargin;
    r->top += top;
    r->bottom -= kPageMargin;
  }
}

void ReadItem(Item& item, const TCITEMW& in) {
  if ((in.mask & TCIF_TEXT) && in.pszText) item.text = in.pszText;
  if (in.mask & TCIF_PARAM) item.param = in.lParam;
  if (in.mask & TCIF_IMAGE) item.image = in.iImage;
}

}  // namespace

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TabControl* tc = StateForMessage<TabControl>(hwnd, message);
  if (!tc) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<TabControl>(hwnd);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, *tc, hdc); });
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      StoreFont(hwnd, &tc->font, wParam, lParam);
      Layout(hwnd, *tc);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tc->font);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      tc->focus = message == WM_SETFOCUS;
      Redraw(hwnd);
      return 0;
    case WM_LBUTTONDOWN: {
      const int index = HitTest(*tc, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (index < 0) return 0;
      if (!(StyleOf(hwnd) & TCS_FOCUSNEVER)) SetFocus(hwnd);
      if (StateOf<TabControl>(hwnd) == tc) Choose(hwnd, *tc, index);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_LEFT) Choose(hwnd, *tc, tc->selected - 1);
      if (wParam == VK_RIGHT) Choose(hwnd, *tc, tc->selected + 1);
      return 0;
    case TCM_INSERTITEMW: {
      const auto* in = reinterpret_cast<const TCITEMW*>(lParam);
      if (!in) return -1;
      const int at = std::clamp(static_cast<int>(wParam), 0, static_cast<int>(tc->items.size()));
      Item item;
      ReadItem(item, *in);
      tc->items.insert(tc->items.begin() + at, item);
      if (tc->selected < 0) {
        tc->selected = 0;
      } else if (at <= tc->selected) {
        ++tc->selected;
      }
      Layout(hwnd, *tc);
      Redraw(hwnd);
      return at;
    }
    case TCM_SETITEMW: {
      const int index = static_cast<int>(wParam);
      const auto* in = reinterpret_cast<const TCITEMW*>(lParam);
      if (!in || index < 0 || index >= static_cast<int>(tc->items.size())) return FALSE;
      ReadItem(tc->items[index], *in);
      Layout(hwnd, *tc);
      Redraw(hwnd);
      return TRUE;
    }
    case TCM_GETITEMW: {
      const int index = static_cast<int>(wParam);
      auto* out = reinterpret_cast<TCITEMW*>(lParam);
      if (!out || index < 0 || index >= static_cast<int>(tc->items.size())) return FALSE;
      const Item& item = tc->items[index];
      if ((out->mask & TCIF_TEXT) && out->pszText) CopyText(item.text, out->pszText, static_cast<size_t>(std::max(out->cchTextMax, 0)));
      if (out->mask & TCIF_PARAM) out->lParam = item.param;
      if (out->mask & TCIF_IMAGE) out->iImage = item.image;
      return TRUE;
    }
    case TCM_DELETEITEM: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(tc->items.size())) return FALSE;
      tc->items.erase(tc->items.begin() + index);
      if (index == tc->selected) {
        tc->selected = -1;
      } else if (index < tc->selected) {
        --tc->selected;
      }
      Layout(hwnd, *tc);
      Redraw(hwnd);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      tc->items.clear();
      tc->selected = -1;
      Layout(hwnd, *tc);
      Redraw(hwnd);
      return TRUE;
    case TCM_GETITEMCOUNT:
      return static_cast<LRESULT>(tc->items.size());
    case TCM_GETCURSEL:
      return tc->selected;
    case TCM_SETCURSEL: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(tc->items.size())) return -1;
      const int before = tc->selected;
      tc->selected = index;
      if (before != index) Redraw(hwnd);
      return before;
    }
    case TCM_GETITEMRECT: {
      const int index = static_cast<int>(wParam);
      if (!lParam || index < 0 || index >= static_cast<int>(tc->rects.size())) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = tc->rects[index];
      return TRUE;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (!info) return -1;
      const int index = HitTest(*tc, info->pt);
      info->flags = index < 0 ? TCHT_NOWHERE : TCHT_ONITEMLABEL;
      return index;
    }
    case TCM_ADJUSTRECT:
      if (lParam) AdjustRect(hwnd, *tc, static_cast<BOOL>(wParam), reinterpret_cast<RECT*>(lParam));
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace compat::controls
