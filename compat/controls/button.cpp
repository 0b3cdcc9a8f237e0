// The "Button" class: push buttons, check boxes, radio buttons, group boxes
// and owner-drawn buttons, with press tracking under the capture.
//
// Sections: state · drawing · clicking · procedure
#include <algorithm>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

// --- state ---
struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;    // drawn pressed (BST_PUSHED)
  bool focus = false;
  bool tracking = false;  // the mouse holds it
  bool spaceDown = false;
  HFONT font = nullptr;
  HANDLE image = nullptr;
};

constexpr int kCheckBoxSize = 13;
constexpr int kCheckTextGap = 4;
constexpr int kGroupTextIndent = 8;

UINT TypeOf(HWND hwnd) { return StyleOf(hwnd) & BS_TYPEMASK; }

bool IsCheckType(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadioType(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsPushType(UINT type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX; }

// --- drawing ---
UINT TextFormat(DWORD style, UINT type) {
  UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  UINT horizontal = style & BS_CENTER;
  if (!horizontal) horizontal = IsPushType(type) ? BS_CENTER : BS_LEFT;
  if (horizontal == BS_CENTER) format |= DT_CENTER;
  else if (horizontal == BS_RIGHT) format |= DT_RIGHT;
  const UINT vertical = style & BS_VCENTER;
  if (vertical == BS_TOP) format |= DT_TOP;
  else if (vertical == BS_BOTTOM) format |= DT_BOTTOM;
  else format |= DT_VCENTER;
  return format;
}

// The caption, greyed when disabled; the rectangle it took comes back in *drawn.
void DrawCaption(HWND hwnd, HDC hdc, RECT area, UINT format, RECT* drawn) {
  WCHAR text[512];
  const int length = GetWindowTextW(hwnd, text, 512);
  RECT measure = area;
  DrawTextW(hdc, text, length, &measure, format | DT_CALCRECT);
  const int width = measure.right - measure.left, height = measure.bottom - measure.top;
  RECT place = area;
  if (format & DT_CENTER) place.left = (area.left + area.right - width) / 2;
  else if (format & DT_RIGHT) place.left = area.right - width;
  if (format & DT_VCENTER) place.top = (area.top + area.bottom - height) / 2;
  else if (format & DT_BOTTOM) place.top = area.bottom - height;
  place.right = place.left + width;
  place.bottom = place.top + height;
  if (drawn) *drawn = place;
  if (length == 0) return;
  SetBkMode(hdc, TRANSPARENT);
  if (IsWindowEnabled(hwnd)) {
    DrawTextW(hdc, text, length, &place, (format & ~(DT_VCENTER | DT_BOTTOM | DT_CENTER | DT_RIGHT)));
    return;
  }
  // The classic disabled look: a highlight copy one pixel down and right, then the shadow.
  RECT shifted = place;
  OffsetRect(&shifted, 1, 1);
  const UINT plain = format & ~(DT_VCENTER | DT_BOTTOM | DT_CENTER | DT_RIGHT);
  SetTextColor(hdc, GetSysColor(COLOR_3DHIGHLIGHT));
  DrawTextW(hdc, text, length, &shifted, plain);
  SetTextColor(hdc, GetSysColor(COLOR_3DSHADOW));
  DrawTextW(hdc, text, length, &place, plain);
}

void DrawImage(HWND hwnd, HDC hdc, const ButtonState& state, RECT area) {
  const DWORD style = StyleOf(hwnd);
  if ((style & BS_BITMAP) && state.image) {
    BITMAP info{};
    GetObjectW(state.image, sizeof(info), &info);
    HDC source = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(source, state.image);
    BitBlt(hdc, (area.left + area.right - info.bmWidth) / 2, (area.top + area.bottom - info.bmHeight) / 2,
           info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  } else if ((style & BS_ICON) && state.image) {
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    DrawIconEx(hdc, (area.left + area.right - cx) / 2, (area.top + area.bottom - cy) / 2,
               static_cast<HICON>(state.image), cx, cy, 0, nullptr, DI_NORMAL);
  }
}

void PaintPush(HWND hwnd, HDC hdc, const ButtonState& state, RECT client) {
  const DWORD style = StyleOf(hwnd);
  const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  RECT face = client;
  if (isDefault) {
    FrameRect(hdc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&face, -1, -1);
  }
  if (state.pushed && isDefault) {
    // A pressed default button shows a flat shadow frame, not the sunken edge.
    FrameRect(hdc, &face, GetSysColorBrush(COLOR_3DSHADOW));
    RECT inner = face;
    InflateRect(&inner, -1, -1);
    FillRect(hdc, &inner, GetSysColorBrush(COLOR_3DFACE));
  } else {
    DrawFrameControl(hdc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (state.pushed ? DFCS_PUSHED : 0));
  }
  RECT content = client;
  InflateRect(&content, -4, -4);
  if (state.pushed) OffsetRect(&content, 1, 1);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  if (style & (BS_BITMAP | BS_ICON)) DrawImage(hwnd, hdc, state, content);
  else DrawCaption(hwnd, hdc, content, TextFormat(style, style & BS_TYPEMASK), nullptr);
  if (state.focus) {
    RECT focus = client;
    InflateRect(&focus, isDefault ? -4 : -3, isDefault ? -4 : -3);
    DrawFocusRect(hdc, &focus);
  }
}

void PaintCheck(HWND hwnd, HDC hdc, const ButtonState& state, RECT client, UINT type) {
  const DWORD style = StyleOf(hwnd);
  const int boxTop = (client.top + client.bottom - kCheckBoxSize) / 2;
  const bool leftText = (style & BS_LEFTTEXT) != 0;
  RECT box{client.left, boxTop, client.left + kCheckBoxSize, boxTop + kCheckBoxSize};
  RECT text = client;
  text.left += kCheckBoxSize + kCheckTextGap;
  if (leftText) {
    box.left = client.right - kCheckBoxSize;
    box.right = client.right;
    text.left = client.left;
    text.right = box.left - kCheckTextGap;
  }
  UINT frame = IsRadioType(type) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
  if (state.check == BST_CHECKED) frame |= DFCS_CHECKED;
  if (state.check == BST_INDETERMINATE) frame |= DFCS_CHECKED | DFCS_BUTTON3STATE;
  if (state.pushed) frame |= DFCS_PUSHED;
  if (!IsWindowEnabled(hwnd)) frame |= DFCS_INACTIVE;
  DrawFrameControl(hdc, &box, DFC_BUTTON, frame);
  RECT drawn;
  DrawCaption(hwnd, hdc, text, TextFormat(style, type), &drawn);
  if (state.focus) {
    InflateRect(&drawn, 1, 1);
    IntersectRect(&drawn, &drawn, &client);
    DrawFocusRect(hdc, &drawn);
  }
}

void PaintGroup(HWND hwnd, HDC hdc, HBRUSH back, RECT client) {
  WCHAR text[512];
  const int length = GetWindowTextW(hwnd, text, 512);
  SIZE extent{};
  GetTextExtentPoint32W(hdc, u"M", 1, &extent);
  RECT frame = client;
  frame.top += extent.cy / 2;
  DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
  if (length == 0) return;
  RECT label{client.left + kGroupTextIndent, client.top, client.right - kGroupTextIndent, client.top + extent.cy};
  RECT measure = label;
  DrawTextW(hdc, text, length, &measure, DT_SINGLELINE | DT_CALCRECT);
  label.right = std::min(label.right, measure.right + 2);
  label.left -= 2;
  FillRect(hdc, &label, back);
  label.left += 2;
  DrawCaption(hwnd, hdc, label, DT_SINGLELINE | DT_LEFT | DT_TOP, nullptr);
}

void DrawOwner(HWND hwnd, HDC hdc, const ButtonState& state, UINT action) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(ControlId(hwnd));
  item.itemAction = action;
  if (state.pushed) item.itemState |= ODS_SELECTED;
  if (state.focus) item.itemState |= ODS_FOCUS;
  if (!IsWindowEnabled(hwnd)) item.itemState |= ODS_DISABLED;
  item.hwndItem = hwnd;
  item.hDC = hdc;
  GetClientRect(hwnd, &item.rcItem);
  HWND parent = GetParent(hwnd);
  if (parent) SendMessageW(parent, WM_DRAWITEM, static_cast<WPARAM>(item.CtlID), reinterpret_cast<LPARAM>(&item));
}

void Paint(HWND hwnd, HDC hdc, const ButtonState& state, UINT action) {
  const UINT type = TypeOf(hwnd);
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(state.font));
  RECT client;
  GetClientRect(hwnd, &client);
  const bool pushLike = IsPushType(type) || type == BS_OWNERDRAW;
  HBRUSH back = ControlColor(hwnd, hdc, pushLike ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
  if (type == BS_OWNERDRAW) {
    DrawOwner(hwnd, hdc, state, action);
  } else {
    if (!IsPushType(type)) FillRect(hdc, &client, back);
    if (IsPushType(type)) PaintPush(hwnd, hdc, state, client);
    else if (type == BS_GROUPBOX) PaintGroup(hwnd, hdc, back, client);
    else PaintCheck(hwnd, hdc, state, client, type);
  }
  SelectObject(hdc, oldFont);
}

// A state change shows at once, as the platform draws it outside WM_PAINT.
void Redraw(HWND hwnd, const ButtonState& state, UINT action) {
  if (!IsWindowVisible(hwnd)) return;
  if (TypeOf(hwnd) != BS_OWNERDRAW) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  HDC hdc = GetDC(hwnd);
  Paint(hwnd, hdc, state, action);
  ReleaseDC(hwnd, hdc);
}

void SetPushed(HWND hwnd, ButtonState& state, bool pushed) {
  if (state.pushed == pushed) return;
  state.pushed = pushed;
  Redraw(hwnd, state, ODA_SELECT);
  if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, pushed ? BN_HILITE : BN_UNHILITE);
}

// --- clicking ---
void SetCheck(HWND hwnd, ButtonState& state, UINT check) {
  const UINT type = TypeOf(hwnd);
  if (!IsCheckType(type) && !IsRadioType(type)) return;
  if (type != BS_3STATE && type != BS_AUTO3STATE && check == BST_INDETERMINATE) check = BST_CHECKED;
  if (check > BST_INDETERMINATE) check = BST_CHECKED;
  // A radio button takes the tab stop when checked, so Tab lands on the choice.
  if (IsRadioType(type)) {
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    SetWindowLongW(hwnd, GWL_STYLE, check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  if (state.check == check) return;
  state.check = check;
  Redraw(hwnd, state, ODA_SELECT);
}

bool IsAutoRadio(HWND hwnd) {
  return (SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
         (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

// The group runs from the nearest WS_GROUP sibling at or before this button
// to the next WS_GROUP sibling.
void UncheckGroupOthers(HWND hwnd) {
  HWND first = hwnd;
  while (!(GetWindowLongW(first, GWL_STYLE) & WS_GROUP)) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  for (HWND sibling = first; sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling != first && (GetWindowLongW(sibling, GWL_STYLE) & WS_GROUP)) break;
    if (sibling != hwnd && IsAutoRadio(sibling)) SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Click(HWND hwnd, ButtonState& state) {
  switch (TypeOf(hwnd)) {
    case BS_AUTOCHECKBOX: SetCheck(hwnd, state, state.check ? BST_UNCHECKED : BST_CHECKED); break;
    case BS_AUTO3STATE: SetCheck(hwnd, state, (state.check + 1) % 3); break;
    case BS_AUTORADIOBUTTON:
      SetCheck(hwnd, state, BST_CHECKED);
      UncheckGroupOthers(hwnd);
      break;
    default: break;
  }
  NotifyParent(hwnd, BN_CLICKED);
}

void Press(HWND hwnd, ButtonState& state) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!StillAlive(hwnd, state)) return;  // BN_SETFOCUS's handler may have closed the dialog
  SetCapture(hwnd);
  state.tracking = true;
  SetPushed(hwnd, state, true);
}

void Release(HWND hwnd, ButtonState& state, LPARAM lParam) {
  if (!state.tracking) return;
  const bool inside = InClient(hwnd, lParam);
  state.tracking = false;  // before the capture goes, so WM_CAPTURECHANGED finds no press
  ReleaseCapture();
  SetPushed(hwnd, state, false);
  if (inside) Click(hwnd, state);
}

void SetFocusState(HWND hwnd, ButtonState& state, bool focus) {
  state.focus = focus;
  if (!focus && state.spaceDown) {
    state.spaceDown = false;
    SetPushed(hwnd, state, false);
  }
  Redraw(hwnd, state, ODA_FOCUS);
  if (StyleOf(hwnd) & BS_NOTIFY) NotifyParent(hwnd, focus ? BN_SETFOCUS : BN_KILLFOCUS);
}

UINT DialogCode(UINT type) {
  switch (type) {
    case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_PUSHBUTTON: case BS_PUSHBOX: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX: return DLGC_STATIC;
    default: return DLGC_BUTTON;
  }
}

void ChangeStyle(HWND hwnd, ButtonState& state, WPARAM style, BOOL redraw) {
  const LONG old = GetWindowLongW(hwnd, GWL_STYLE);
  SetWindowLongW(hwnd, GWL_STYLE, (old & ~0xFFFF) | static_cast<LONG>(style & 0xFFFF));
  if (redraw) Redraw(hwnd, state, ODA_DRAWENTIRE);
}


}  // namespace

// --- procedure ---
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ButtonState* state = StateForMessage<ButtonState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<ButtonState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCHITTEST:
      if (TypeOf(hwnd) == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_GETDLGCODE: return DialogCode(TypeOf(hwnd));
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, hdc, *state, ODA_DRAWENTIRE); });
    case WM_LBUTTONDBLCLK: {
      const UINT type = TypeOf(hwnd);
      if (IsRadioType(type) || type == BS_OWNERDRAW) NotifyParent(hwnd, BN_DOUBLECLICKED);
      Press(hwnd, *state);
      return 0;
    }
    case WM_LBUTTONDOWN: Press(hwnd, *state); return 0;
    case WM_MOUSEMOVE:
      if (state->tracking) SetPushed(hwnd, *state, InClient(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: Release(hwnd, *state, lParam); return 0;
    case WM_CAPTURECHANGED:
      // Something else took the mouse (a popup opened during the press): no click.
      if (state->tracking) {
        state->tracking = false;
        SetPushed(hwnd, *state, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !(lParam & (1 << 30))) {
        state->spaceDown = true;
        SetPushed(hwnd, *state, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && state->spaceDown) {
        state->spaceDown = false;
        SetPushed(hwnd, *state, false);
        Click(hwnd, *state);
      }
      return 0;
    case WM_SETFOCUS: SetFocusState(hwnd, *state, true); return 0;
    case WM_KILLFOCUS: SetFocusState(hwnd, *state, false); return 0;
    case WM_ENABLE: Redraw(hwnd, *state, ODA_DRAWENTIRE); return 0;
    case WM_SETTEXT: return SetTextAndRedraw(hwnd, wParam, lParam);
    case WM_SETFONT: StoreFont(hwnd, &state->font, wParam, lParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case BM_GETCHECK: return state->check;
    case BM_SETCHECK: SetCheck(hwnd, *state, static_cast<UINT>(wParam)); return 0;
    case BM_GETSTATE:
      return state->check | (state->pushed ? BST_PUSHED : 0) | (state->focus ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(hwnd, *state, wParam != 0); return 0;
    case BM_SETSTYLE: ChangeStyle(hwnd, *state, wParam, static_cast<BOOL>(lParam)); return 0;
    case BM_CLICK:
      if (IsWindowEnabled(hwnd)) Click(hwnd, *state);
      return 0;
    case BM_GETIMAGE: return reinterpret_cast<LRESULT>(state->image);
    case BM_SETIMAGE: {
      HANDLE old = state->image;
      state->image = reinterpret_cast<HANDLE>(lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_NOTIFY: return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace compat::controls
