// The toolbar: a row (or rows) of image buttons from bitmaps the program adds,
// clicked into WM_COMMAND, checked alone or in groups, with a drop-down part,
// hot tracking in the flat look and its own tooltips asked of the parent.
//
// Sections: images · layout · buttons and states · mouse · painting ·
// records and tooltips · messages
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "compat/controls/common_paint.h"
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr int kSeparatorWidth = 8;
// Bounds on what a message may ask for, so that a wild count or size cannot
// make the image list allocate without end.
constexpr int kMaxImages = 4096;
constexpr int kMaxBitmapSide = 1024;
constexpr int kDropArrowWidth = 14;
// Programs subclass toolbars and run timers of their own on them: an id of ours they will not pick.
constexpr UINT_PTR kHotTimer = 0x7B01;
constexpr UINT kHotCheckMs = 100;

struct Button {
  int image = 0;
  int command = 0;
  BYTE state = 0;
  BYTE style = 0;
  DWORD_PTR data = 0;
  INT_PTR string = 0;
  RECT rect{};
};

// A bitmap added with TB_ADDBITMAP, kept so that a later bitmap size can cut
// the images again.
struct Source {
  HBITMAP bitmap = nullptr;
  int count = 0;
  bool owned = false;  // loaded from a resource; a program's bitmap stays the program's
  COLORREF transparent = 0;
};

struct Toolbar {
  std::vector<Button> buttons;
  std::vector<Source> sources;
  HIMAGELIST ownImages = nullptr;  // cut from the added bitmaps
  HIMAGELIST setImages = nullptr;  // the program's, once set
  SIZE bitmap{16, 15};
  SIZE button{24, 22};
  int imageCount = 0;
  DWORD extended = 0;
  size_t buttonStructSize = sizeof(TBBUTTON);  // older callers pass a shorter record
  HWND tooltips = nullptr;
  bool ownTooltips = false;  // made by the toolbar, destroyed with it
  HWND notify = nullptr;
  HFONT font = nullptr;
  int hot = -1;
  int pressed = -1;  // the button held by the mouse
  bool pressedInside = false;
};

Toolbar* Get(HWND hwnd) { return StateOf<Toolbar>(hwnd); }

HIMAGELIST Images(const Toolbar& tb) { return tb.setImages ? tb.setImages : tb.ownImages; }

bool IsSeparator(const Button& b) { return (b.style & TBSTYLE_SEP) != 0; }
bool IsHidden(const Button& b) { return (b.state & TBSTATE_HIDDEN) != 0; }
bool IsEnabled(const Button& b) { return (b.state & TBSTATE_ENABLED) != 0; }
bool HasDropArrow(const Toolbar& tb, const Button& b) {
  return (b.style & TBSTYLE_DROPDOWN) && (tb.extended & TBSTYLE_EX_DRAWDDARROWS);
}

int IndexOfCommand(const Toolbar& tb, WPARAM command) {
  for (size_t i = 0; i < tb.buttons.size(); ++i)
    if (tb.buttons[i].command == static_cast<int>(command)) return static_cast<int>(i);
  return -1;
}

// --- images ---

// Cuts every added bitmap again at the current bitmap size. The images keep
// their indices: a bitmap narrower than its count pads with empty images.
void RebuildImages(Toolbar& tb) {
  if (tb.ownImages) ImageList_Destroy(tb.ownImages);
  tb.ownImages = ImageList_Create(tb.bitmap.cx, tb.bitmap.cy, ILC_COLOR24 | ILC_MASK, std::max(tb.imageCount, 1), 4);
  int expected = 0;
  for (const Source& s : tb.sources) {
    if (s.bitmap) ImageList_AddMasked(tb.ownImages, s.bitmap, s.transparent);
    expected += s.count;
    if (ImageList_GetImageCount(tb.ownImages) != expected)
      ImageList_SetImageCount(tb.ownImages, static_cast<UINT>(expected));
  }
}

// A toolbar bitmap resource with its greys mapped to the button colours, as
// every toolbar bitmap is drawn.
HBITMAP LoadToolbarBitmap(HINSTANCE module, UINT_PTR id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data) return nullptr;
  const ColorMapping map[] = {{RGB(0, 0, 0), GetSysColor(COLOR_BTNTEXT)},
                              {RGB(128, 128, 128), GetSysColor(COLOR_BTNSHADOW)},
                              {RGB(192, 192, 192), GetSysColor(COLOR_BTNFACE)},
                              {RGB(255, 255, 255), GetSysColor(COLOR_BTNHIGHLIGHT)}};
  return BitmapWithMappedColors(data, SizeofResource(module, found), map, std::size(map));
}

int AddBitmap(Toolbar& tb, int count, const TBADDBITMAP* add) {
  if (!add || count < 0 || count > kMaxImages - tb.imageCount) return -1;
  const bool resource = add->hInst != nullptr;
  HBITMAP bitmap = resource ? LoadToolbarBitmap(add->hInst, add->nID) : reinterpret_cast<HBITMAP>(add->nID);
  if (!bitmap) return -1;
  const int first = tb.imageCount;
  // A resource's face grey is mapped to the face colour; a program's bitmap keeps the classic grey.
  const COLORREF transparent = resource ? GetSysColor(COLOR_BTNFACE) : RGB(192, 192, 192);
  tb.sources.push_back(Source{bitmap, count, resource, transparent});
  tb.imageCount += count;
  RebuildImages(tb);
  return first;
}

// --- layout ---

int ButtonWidth(const Toolbar& tb, const Button& b) {
  if (IsSeparator(b)) return b.image > 0 ? b.image : kSeparatorWidth;
  return tb.button.cx + (HasDropArrow(tb, b) ? kDropArrowWidth : 0);
}

// Each button but a separator is a tool of the toolbar's tooltip under its
// command id, its text asked of the parent.
void ToolMessage(HWND hwnd, const Toolbar& tb, const Button& b, UINT message) {
  if (!tb.tooltips || IsSeparator(b)) return;
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = hwnd;
  ti.uId = static_cast<UINT_PTR>(b.command);
  ti.rect = b.rect;
  ti.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tb.tooltips, message, 0, reinterpret_cast<LPARAM>(&ti));
}

int TopMargin(HWND hwnd) { return (StyleOf(hwnd) & CCS_NODIVIDER) ? 0 : 2; }

// Places the buttons in rows: a row breaks after a TBSTATE_WRAP button, and in
// a wrapable toolbar where the next button would pass the right edge.
int Layout(HWND hwnd, Toolbar& tb) {
  RECT client;
  GetClientRect(hwnd, &client);
  const bool wrapable = (StyleOf(hwnd) & TBSTYLE_WRAPABLE) != 0;
  int x = 0;
  int y = TopMargin(hwnd);
  for (size_t i = 0; i < tb.buttons.size(); ++i) {
    Button& b = tb.buttons[i];
    if (IsHidden(b)) {
      b.rect = RECT{x, y, x, y};
      continue;
    }
    const int w = ButtonWidth(tb, b);
    if (wrapable && x > 0 && x + w > client.right && !IsSeparator(b)) {
      x = 0;
      y += tb.button.cy;
    }
    b.rect = RECT{x, y, x + w, y + tb.button.cy};
    x += w;
    if (b.state & TBSTATE_WRAP) {
      x = 0;
      // A wrapped separator leaves a gap of two thirds of its width between the rows.
      y += tb.button.cy + (IsSeparator(b) ? w * 2 / 3 : 0);
    }
  }
  for (const Button& b : tb.buttons) ToolMessage(hwnd, tb, b, TTM_NEWTOOLRECTW);
  return (x > 0 ? y + tb.button.cy : y) - TopMargin(hwnd);
}

void Relayout(HWND hwnd, Toolbar& tb) {
  Layout(hwnd, tb);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void AddTool(HWND hwnd, Toolbar& tb, const Button& b) { ToolMessage(hwnd, tb, b, TTM_ADDTOOLW); }
void RemoveTool(HWND hwnd, Toolbar& tb, const Button& b) { ToolMessage(hwnd, tb, b, TTM_DELTOOLW); }

// --- buttons and states ---

// A caller's button record of the size it declared; fields past it read as zero.
TBBUTTON ReadButton(const BYTE* record, size_t size) {
  TBBUTTON b{};
  std::memcpy(&b, record, std::min(size, sizeof(b)));
  return b;
}

BOOL InsertButton(HWND hwnd, Toolbar& tb, int at, const TBBUTTON* src) {
  if (!src) return FALSE;
  Button b;
  b.image = src->iBitmap;
  b.command = src->idCommand;
  b.state = src->fsState;
  b.style = src->fsStyle;
  b.data = src->dwData;
  b.string = src->iString;
  if (at < 0 || at > static_cast<int>(tb.buttons.size())) at = static_cast<int>(tb.buttons.size());
  tb.buttons.insert(tb.buttons.begin() + at, b);
  if (tb.hot >= at) tb.hot = -1;
  AddTool(hwnd, tb, b);
  Relayout(hwnd, tb);
  return TRUE;
}

void Redraw(HWND hwnd, const Toolbar& tb, int index) {
  if (index >= 0 && index < static_cast<int>(tb.buttons.size())) InvalidateRect(hwnd, &tb.buttons[index].rect, TRUE);
}

// Sets or clears state bits of one button; checking a check-group button
// unchecks the rest of its run, which separators and other styles end.
void SetState(HWND hwnd, Toolbar& tb, int index, BYTE bits, bool on) {
  Button& b = tb.buttons[index];
  const BYTE before = b.state;
  b.state = on ? (b.state | bits) : (b.state & ~bits);
  if ((bits & TBSTATE_CHECKED) && on && (b.style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP) {
    auto inGroup = [&](int i) { return (tb.buttons[i].style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP; };
    for (int i = index - 1; i >= 0 && inGroup(i); --i) {
      if (tb.buttons[i].state & TBSTATE_CHECKED) {
        tb.buttons[i].state &= ~TBSTATE_CHECKED;
        Redraw(hwnd, tb, i);
      }
    }
    for (int i = index + 1; i < static_cast<int>(tb.buttons.size()) && inGroup(i); ++i) {
      if (tb.buttons[i].state & TBSTATE_CHECKED) {
        tb.buttons[i].state &= ~TBSTATE_CHECKED;
        Redraw(hwnd, tb, i);
      }
    }
  }
  if ((before ^ b.state) & TBSTATE_HIDDEN) {
    Relayout(hwnd, tb);
  } else if (before != b.state) {
    Redraw(hwnd, tb, index);
  }
}

// Changes one state bit of the button with this command id; FALSE for an id
// not on the toolbar.
LRESULT CommandState(HWND hwnd, Toolbar& tb, WPARAM command, BYTE bits, bool on) {
  const int index = IndexOfCommand(tb, command);
  if (index < 0) return FALSE;
  SetState(hwnd, tb, index, bits, on);
  return TRUE;
}

// --- mouse ---

int HitTest(const Toolbar& tb, POINT p) {
  for (size_t i = 0; i < tb.buttons.size(); ++i) {
    const Button& b = tb.buttons[i];
    if (!IsHidden(b) && !IsSeparator(b) && PtInRect(&b.rect, p)) return static_cast<int>(i);
  }
  return -1;
}

HWND NotifyTarget(HWND hwnd, const Toolbar& tb) { return tb.notify ? tb.notify : GetParent(hwnd); }

LRESULT SendNotify(HWND hwnd, const Toolbar& tb, NMHDR* hdr) { return SendNotifyTo(NotifyTarget(hwnd, tb), hwnd, hdr); }

void SetHot(HWND hwnd, Toolbar& tb, int index) {
  if (index == tb.hot) return;
  Redraw(hwnd, tb, tb.hot);
  tb.hot = index;
  Redraw(hwnd, tb, tb.hot);
  if (index >= 0) {
    SetTimer(hwnd, kHotTimer, kHotCheckMs, nullptr);
  } else {
    KillTimer(hwnd, kHotTimer);
  }
}

void RelayToTooltips(HWND hwnd, const Toolbar& tb, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!tb.tooltips) return;
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetMessageTime();
  GetCursorPos(&msg.pt);
  SendMessageW(tb.tooltips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void DropDown(HWND hwnd, Toolbar& tb, int index) {
  Button& b = tb.buttons[index];
  b.state |= TBSTATE_PRESSED;
  Redraw(hwnd, tb, index);
  UpdateWindow(hwnd);
  NMTOOLBARW nm{};
  nm.hdr.code = TBN_DROPDOWN;
  nm.iItem = b.command;
  nm.tbButton.iBitmap = b.image;
  nm.tbButton.idCommand = b.command;
  nm.tbButton.fsState = b.state;
  nm.tbButton.fsStyle = b.style;
  nm.tbButton.dwData = b.data;
  nm.tbButton.iString = b.string;
  nm.rcButton = b.rect;
  const int command = b.command;
  SendNotify(hwnd, tb, &nm.hdr);
  // The handler may have changed the buttons while its menu ran.
  if (Toolbar* now = Get(hwnd)) {
    const int at = IndexOfCommand(*now, static_cast<WPARAM>(command));
    if (at >= 0) {
      now->buttons[at].state &= ~TBSTATE_PRESSED;
      Redraw(hwnd, *now, at);
    }
  }
}

void OnButtonDown(HWND hwnd, Toolbar& tb, POINT p) {
  const int index = HitTest(tb, p);
  if (index < 0 || !IsEnabled(tb.buttons[index])) return;
  Button& b = tb.buttons[index];
  const bool arrowOnly = HasDropArrow(tb, b);
  if ((b.style & TBSTYLE_DROPDOWN) && (!arrowOnly || p.x >= b.rect.right - kDropArrowWidth)) {
    DropDown(hwnd, tb, index);
    return;
  }
  tb.pressed = index;
  tb.pressedInside = true;
  b.state |= TBSTATE_PRESSED;
  Redraw(hwnd, tb, index);
  SetCapture(hwnd);
}

void OnButtonUp(HWND hwnd, Toolbar& tb) {
  if (tb.pressed < 0) return;
  const int index = tb.pressed;
  const bool inside = tb.pressedInside;
  tb.pressed = -1;
  if (GetCapture() == hwnd) ReleaseCapture();
  Button& b = tb.buttons[index];
  b.state &= ~TBSTATE_PRESSED;
  Redraw(hwnd, tb, index);
  if (!inside || !IsEnabled(b)) return;
  if (b.style & TBSTYLE_CHECK) {
    const bool group = (b.style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP;
    // A checked button of a group stays checked: one of the group always is.
    if (!(group && (b.state & TBSTATE_CHECKED))) SetState(hwnd, tb, index, TBSTATE_CHECKED, !(b.state & TBSTATE_CHECKED));
  }
  SendMessageW(NotifyTarget(hwnd, tb), WM_COMMAND, MAKEWPARAM(b.command, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
}

void OnMouseMove(HWND hwnd, Toolbar& tb, POINT p) {
  if (tb.pressed >= 0) {
    const bool inside = PtInRect(&tb.buttons[tb.pressed].rect, p) != 0;
    if (inside != tb.pressedInside) {
      tb.pressedInside = inside;
      SetState(hwnd, tb, tb.pressed, TBSTATE_PRESSED, inside);
    }
    return;
  }
  const int index = HitTest(tb, p);
  SetHot(hwnd, tb, (index >= 0 && IsEnabled(tb.buttons[index])) ? index : -1);
}

// Leaving the toolbar sends no message: the hot button is checked on a timer.
void CheckHot(HWND hwnd, Toolbar& tb) {
  POINT p;
  GetCursorPos(&p);
  if (WindowFromPoint(p) != hwnd) {
    SetHot(hwnd, tb, -1);
    return;
  }
  ScreenToClient(hwnd, &p);
  OnMouseMove(hwnd, tb, p);
}

// --- painting ---

// The disabled look: the image's dark ink embossed, highlight below right and
// shadow on top, from its mask.
void DrawDisabledImage(HDC hdc, HIMAGELIST images, int image, int x, int y, SIZE size) {
  HDC mem = CreateCompatibleDC(hdc);
  HBITMAP bits = CreateCompatibleBitmap(hdc, size.cx, size.cy * 2);
  HGDIOBJ old = SelectObject(mem, bits);
  ImageList_Draw(images, image, mem, 0, 0, ILD_NORMAL);
  ImageList_Draw(images, image, mem, 0, size.cy, ILD_MASK);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  std::vector<bool> ink(static_cast<size_t>(size.cx * size.cy));
  for (int row = 0; row < size.cy; ++row) {
    for (int col = 0; col < size.cx; ++col) {
      const COLORREF c = GetPixel(mem, col, row);
      const bool opaque = GetPixel(mem, col, size.cy + row) == RGB(0, 0, 0);
      ink[static_cast<size_t>(row * size.cx + col)] = opaque && c != highlight && c != face;
    }
  }
  SelectObject(mem, old);
  DeleteObject(bits);
  DeleteDC(mem);
  for (int pass = 0; pass < 2; ++pass) {
    const int d = pass == 0 ? 1 : 0;
    const COLORREF colour = pass == 0 ? highlight : shadow;
    for (int row = 0; row < size.cy; ++row)
      for (int col = 0; col < size.cx; ++col)
        if (ink[static_cast<size_t>(row * size.cx + col)]) SetPixel(hdc, x + col + d, y + row + d, colour);
  }
}

void DrawDropArrow(HDC hdc, const RECT& r, bool enabled, int offset) {
  const int cx = (r.left + r.right) / 2 + offset;
  const int cy = (r.top + r.bottom) / 2 - 1 + offset;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
  HGDIOBJ old = SelectObject(hdc, pen);
  for (int i = 0; i < 3; ++i) {
    MoveToEx(hdc, cx - 2 + i, cy + i, nullptr);
    LineTo(hdc, cx + 3 - i, cy + i);
  }
  SelectObject(hdc, old);
  DeleteObject(pen);
}

void DrawSeparator(HDC hdc, HWND hwnd, const Button& b) {
  if (!(StyleOf(hwnd) & TBSTYLE_FLAT)) return;
  const int x = (b.rect.left + b.rect.right) / 2 - 1;
  RECT line{x, b.rect.top + 1, x + 2, b.rect.bottom - 1};
  DrawEdge(hdc, &line, EDGE_ETCHED, BF_LEFT);
}

void DrawButton(HDC hdc, HWND hwnd, const Toolbar& tb, int index) {
  const Button& b = tb.buttons[index];
  if (IsHidden(b)) return;
  if (IsSeparator(b)) {
    DrawSeparator(hdc, hwnd, b);
    return;
  }
  const bool flat = (StyleOf(hwnd) & TBSTYLE_FLAT) != 0;
  const bool enabled = IsEnabled(b);
  const bool down = (b.state & (TBSTATE_PRESSED | TBSTATE_CHECKED)) != 0;
  const bool hot = index == tb.hot && enabled;
  RECT face = b.rect;
  RECT arrow = b.rect;
  if (HasDropArrow(tb, b)) {
    face.right -= kDropArrowWidth;
    arrow.left = face.right;
  }
  if ((b.state & TBSTATE_CHECKED) && !(b.state & TBSTATE_PRESSED) && !hot) {
    RECT inner = face;
    InflateRect(&inner, -1, -1);
    FillDitheredFace(hdc, inner);
  }
  if (down) {
    DrawEdge(hdc, &face, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
  } else if (hot || !flat) {
    DrawEdge(hdc, &face, flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
  }
  if (face.right != b.rect.right) {
    if (down || hot || !flat) DrawEdge(hdc, &arrow, flat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);
    DrawDropArrow(hdc, arrow, enabled, 0);
  }
  HIMAGELIST images = Images(tb);
  if (!images || b.image < 0 || b.image >= ImageList_GetImageCount(images)) return;
  int cx = 0, cy = 0;
  ImageList_GetIconSize(images, &cx, &cy);
  const int offset = down ? 1 : 0;
  const int x = face.left + (face.right - face.left - cx) / 2 + offset;
  const int y = face.top + (face.bottom - face.top - cy) / 2 + offset;
  // An indeterminate button shows its image greyed as a disabled one does.
  if (!enabled || (b.state & TBSTATE_INDETERMINATE)) {
    DrawDisabledImage(hdc, images, b.image, x, y, SIZE{cx, cy});
  } else {
    ImageList_Draw(images, b.image, hdc, x, y, ILD_TRANSPARENT);
  }
}

void Paint(HWND hwnd, const Toolbar& tb, HDC hdc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (!(StyleOf(hwnd) & CCS_NODIVIDER)) {
    RECT top{client.left, client.top, client.right, client.top + 2};
    DrawEdge(hdc, &top, EDGE_ETCHED, BF_TOP);
  }
  for (size_t i = 0; i < tb.buttons.size(); ++i) DrawButton(hdc, hwnd, tb, static_cast<int>(i));
}

// Without CCS_NORESIZE the toolbar takes its parent's width and its rows' height,
// along the top or the bottom.
void AutoSize(HWND hwnd, Toolbar& tb) {
  const DWORD style = StyleOf(hwnd);
  HWND parent = GetParent(hwnd);
  if ((style & CCS_NORESIZE) || !parent) {
    Relayout(hwnd, tb);
    return;
  }
  RECT pr, now;
  GetClientRect(parent, &pr);
  GetClientRect(hwnd, &now);
  // The rows wrap at the parent's width, so take that width before counting them.
  SetWindowPos(hwnd, nullptr, 0, 0, pr.right, now.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  const int height = Layout(hwnd, tb) + TopMargin(hwnd);
  const int y = (style & CCS_BOTTOM) == CCS_BOTTOM ? pr.bottom - height : 0;
  SetWindowPos(hwnd, nullptr, 0, y, pr.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Relayout(hwnd, tb);
}

// --- records and tooltips ---

void CopyButton(const Button& b, TBBUTTON* out) {
  *out = TBBUTTON{};
  out->iBitmap = b.image;
  out->idCommand = b.command;
  out->fsState = b.state;
  out->fsStyle = b.style;
  out->dwData = b.data;
  out->iString = b.string;
}

LRESULT GetButtonInfo(const Toolbar& tb, WPARAM which, TBBUTTONINFOW* info) {
  if (!info) return -1;
  const int index = (info->dwMask & TBIF_BYINDEX) ? static_cast<int>(which) : IndexOfCommand(tb, which);
  if (index < 0 || index >= static_cast<int>(tb.buttons.size())) return -1;
  const Button& b = tb.buttons[index];
  if (info->dwMask & TBIF_COMMAND) info->idCommand = b.command;
  if (info->dwMask & TBIF_IMAGE) info->iImage = b.image;
  if (info->dwMask & TBIF_STATE) info->fsState = b.state;
  if (info->dwMask & TBIF_STYLE) info->fsStyle = b.style;
  if (info->dwMask & TBIF_LPARAM) info->lParam = b.data;
  if (info->dwMask & TBIF_SIZE) info->cx = static_cast<WORD>(b.rect.right - b.rect.left);
  if ((info->dwMask & TBIF_TEXT) && info->pszText && info->cchText > 0) info->pszText[0] = 0;
  return index;
}

LRESULT SetButtonInfo(HWND hwnd, Toolbar& tb, WPARAM which, const TBBUTTONINFOW* info) {
  if (!info) return FALSE;
  const int index = (info->dwMask & TBIF_BYINDEX) ? static_cast<int>(which) : IndexOfCommand(tb, which);
  if (index < 0 || index >= static_cast<int>(tb.buttons.size())) return FALSE;
  Button& b = tb.buttons[index];
  const bool retool = (info->dwMask & TBIF_COMMAND) != 0;
  if (retool) RemoveTool(hwnd, tb, b);
  if (info->dwMask & TBIF_COMMAND) b.command = info->idCommand;
  if (info->dwMask & TBIF_IMAGE) b.image = info->iImage;
  if (info->dwMask & TBIF_STATE) b.state = info->fsState;
  if (info->dwMask & TBIF_STYLE) b.style = info->fsStyle;
  if (info->dwMask & TBIF_LPARAM) b.data = info->lParam;
  if ((info->dwMask & TBIF_SIZE) && IsSeparator(b)) b.image = info->cx;
  if (retool) AddTool(hwnd, tb, b);
  Relayout(hwnd, tb);
  return TRUE;
}

void CreateTooltips(HWND hwnd, Toolbar& tb) {
  tb.tooltips = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, nullptr,
                                nullptr);
  tb.ownTooltips = tb.tooltips != nullptr;
}

void Destroy(HWND hwnd, Toolbar& tb) {
  KillTimer(hwnd, kHotTimer);
  // Only the tooltip window the toolbar made itself is its own to destroy.
  if (tb.ownTooltips && IsWindow(tb.tooltips)) DestroyWindow(tb.tooltips);
  tb.tooltips = nullptr;
  tb.ownTooltips = false;
  if (tb.ownImages) ImageList_Destroy(tb.ownImages);
  tb.ownImages = nullptr;
  for (Source& s : tb.sources)
    if (s.owned) DeleteObject(s.bitmap);
  tb.sources.clear();
}

}  // namespace

// --- messages ---

LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Toolbar* tb = StateForMessage<Toolbar>(hwnd, message);
  if (!tb) return DefWindowProcW(hwnd, message, wParam, lParam);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_CREATE:
      tb->notify = GetParent(hwnd);
      if (StyleOf(hwnd) & TBSTYLE_TOOLTIPS) CreateTooltips(hwnd, *tb);
      AutoSize(hwnd, *tb);
      return 0;
    case WM_DESTROY:
      Destroy(hwnd, *tb);
      return 0;
    case WM_NCDESTROY:
      Destroy(hwnd, *tb);
      DetachState<Toolbar>(hwnd);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, *tb, hdc); });
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Relayout(hwnd, *tb);
      return 0;
    case WM_SETFONT:
      StoreFont(hwnd, &tb->font, wParam, lParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tb->font);
    case WM_MOUSEMOVE:
      RelayToTooltips(hwnd, *tb, message, wParam, lParam);
      OnMouseMove(hwnd, *tb, at);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      RelayToTooltips(hwnd, *tb, message, wParam, lParam);
      OnButtonDown(hwnd, *tb, at);
      return 0;
    case WM_LBUTTONUP:
      RelayToTooltips(hwnd, *tb, message, wParam, lParam);
      OnButtonUp(hwnd, *tb);
      return 0;
    case WM_CAPTURECHANGED:
      if (tb->pressed >= 0 && reinterpret_cast<HWND>(lParam) != hwnd) {
        tb->buttons[tb->pressed].state &= ~TBSTATE_PRESSED;
        Redraw(hwnd, *tb, tb->pressed);
        tb->pressed = -1;
      }
      return 0;
    case WM_TIMER:
      if (wParam == kHotTimer) CheckHot(hwnd, *tb);
      return 0;
    case WM_NOTIFY: {
      // The tooltip asks for a button's text: the parent knows it by command id.
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr && hdr->hwndFrom == tb->tooltips && tb->tooltips)
        return SendMessageW(NotifyTarget(hwnd, *tb), WM_NOTIFY, wParam, lParam);
      return 0;
    }
    case TB_BUTTONSTRUCTSIZE:
      // The fields up to the state and style bytes at least; anything longer is read as ours.
      if (wParam >= offsetof(TBBUTTON, bReserved)) tb->buttonStructSize = std::min(static_cast<size_t>(wParam), sizeof(TBBUTTON));
      return 0;
    case TB_ADDBITMAP:
      return AddBitmap(*tb, static_cast<int>(wParam), reinterpret_cast<const TBADDBITMAP*>(lParam));
    case TB_ADDBUTTONSW: {
      const auto* list = reinterpret_cast<const BYTE*>(lParam);
      if (!list) return FALSE;
      for (WPARAM i = 0; i < wParam; ++i) {
        const TBBUTTON b = ReadButton(list + i * tb->buttonStructSize, tb->buttonStructSize);
        InsertButton(hwnd, *tb, -1, &b);
      }
      return TRUE;
    }
    case TB_INSERTBUTTONW: {
      if (!lParam) return FALSE;
      const TBBUTTON b = ReadButton(reinterpret_cast<const BYTE*>(lParam), tb->buttonStructSize);
      return InsertButton(hwnd, *tb, static_cast<int>(wParam), &b);
    }
    case TB_DELETEBUTTON: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(tb->buttons.size())) return FALSE;
      RemoveTool(hwnd, *tb, tb->buttons[index]);
      tb->buttons.erase(tb->buttons.begin() + index);
      tb->hot = -1;
      if (tb->pressed >= 0) {
        tb->pressed = -1;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      Relayout(hwnd, *tb);
      return TRUE;
    }
    case TB_BUTTONCOUNT:
      return static_cast<LRESULT>(tb->buttons.size());
    case TB_GETBUTTON: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(tb->buttons.size()) || !lParam) return FALSE;
      CopyButton(tb->buttons[index], reinterpret_cast<TBBUTTON*>(lParam));
      return TRUE;
    }
    case TB_GETITEMRECT: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= static_cast<int>(tb->buttons.size()) || !lParam) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = tb->buttons[index].rect;
      return TRUE;
    }
    case TB_GETRECT: {
      const int index = IndexOfCommand(*tb, wParam);
      if (index < 0 || !lParam) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = tb->buttons[index].rect;
      return TRUE;
    }
    case TB_COMMANDTOINDEX:
      return IndexOfCommand(*tb, wParam);
    case TB_HITTEST: {
      if (!lParam) return -1;
      const int index = HitTest(*tb, *reinterpret_cast<const POINT*>(lParam));
      return index;
    }
    case TB_ENABLEBUTTON:
      return CommandState(hwnd, *tb, wParam, TBSTATE_ENABLED, LOWORD(lParam) != 0);
    case TB_CHECKBUTTON:
      return CommandState(hwnd, *tb, wParam, TBSTATE_CHECKED, LOWORD(lParam) != 0);
    case TB_PRESSBUTTON:
      return CommandState(hwnd, *tb, wParam, TBSTATE_PRESSED, LOWORD(lParam) != 0);
    case TB_HIDEBUTTON:
      return CommandState(hwnd, *tb, wParam, TBSTATE_HIDDEN, LOWORD(lParam) != 0);
    case TB_INDETERMINATE:
      return CommandState(hwnd, *tb, wParam, TBSTATE_INDETERMINATE, LOWORD(lParam) != 0);
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN: {
      const int index = IndexOfCommand(*tb, wParam);
      if (index < 0) return -1;
      const BYTE bit = message == TB_ISBUTTONENABLED   ? TBSTATE_ENABLED
                       : message == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                       : message == TB_ISBUTTONPRESSED ? TBSTATE_PRESSED
                                                       : TBSTATE_HIDDEN;
      return (tb->buttons[index].state & bit) ? TRUE : FALSE;
    }
    case TB_SETSTATE: {
      const int index = IndexOfCommand(*tb, wParam);
      if (index < 0) return FALSE;
      const BYTE before = tb->buttons[index].state;
      tb->buttons[index].state = static_cast<BYTE>(LOWORD(lParam));
      if ((before ^ tb->buttons[index].state) & TBSTATE_HIDDEN) {
        Relayout(hwnd, *tb);
      } else {
        Redraw(hwnd, *tb, index);
      }
      return TRUE;
    }
    case TB_GETSTATE: {
      const int index = IndexOfCommand(*tb, wParam);
      return index < 0 ? -1 : tb->buttons[index].state;
    }
    case TB_GETBUTTONINFOW:
      return GetButtonInfo(*tb, wParam, reinterpret_cast<TBBUTTONINFOW*>(lParam));
    case TB_SETBUTTONINFOW:
      return SetButtonInfo(hwnd, *tb, wParam, reinterpret_cast<const TBBUTTONINFOW*>(lParam));
    case TB_SETBUTTONSIZE:
      if (LOWORD(lParam) > 0) tb->button.cx = LOWORD(lParam);
      if (HIWORD(lParam) > 0) tb->button.cy = HIWORD(lParam);
      Relayout(hwnd, *tb);
      return TRUE;
    case TB_GETBUTTONSIZE:
      return MAKELONG(tb->button.cx, tb->button.cy);
    case TB_SETBITMAPSIZE: {
      const SIZE size{LOWORD(lParam), HIWORD(lParam)};
      if (size.cx <= 0 || size.cy <= 0 || size.cx > kMaxBitmapSide || size.cy > kMaxBitmapSide) return FALSE;
      if (size.cx != tb->bitmap.cx || size.cy != tb->bitmap.cy) {
        tb->bitmap = size;
        if (!tb->sources.empty()) RebuildImages(*tb);
      }
      Relayout(hwnd, *tb);
      return TRUE;
    }
    case TB_SETIMAGELIST: {
      HIMAGELIST before = Images(*tb);
      tb->setImages = reinterpret_cast<HIMAGELIST>(lParam);
      Relayout(hwnd, *tb);
      return reinterpret_cast<LRESULT>(before);
    }
    case TB_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(Images(*tb));
    case TB_SETEXTENDEDSTYLE: {
      const DWORD before = tb->extended;
      tb->extended = static_cast<DWORD>(lParam);
      Relayout(hwnd, *tb);
      return before;
    }
    case TB_GETEXTENDEDSTYLE:
      return tb->extended;
    case TB_AUTOSIZE:
      AutoSize(hwnd, *tb);
      return 0;
    case TB_SETTOOLTIPS:
      if (tb->ownTooltips && IsWindow(tb->tooltips) && tb->tooltips != reinterpret_cast<HWND>(wParam))
        DestroyWindow(tb->tooltips);
      tb->ownTooltips = false;
      tb->tooltips = reinterpret_cast<HWND>(wParam);
      for (const Button& b : tb->buttons) AddTool(hwnd, *tb, b);
      return 0;
    case TB_GETTOOLTIPS:
      return reinterpret_cast<LRESULT>(tb->tooltips);
    case TB_SETPARENT: {
      HWND before = NotifyTarget(hwnd, *tb);
      tb->notify = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(before);
    }
    case TB_SETSTYLE:
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(lParam));
      Relayout(hwnd, *tb);
      return 0;
    case TB_GETSTYLE:
      return StyleOf(hwnd);
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace compat::controls
