// The "Static" class: text, icons, bitmaps, filled and etched rectangles.
// It lets the mouse through unless SS_NOTIFY asks for clicks.
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

struct StaticState {
  HFONT font = nullptr;
  HANDLE image = nullptr;
  UINT imageType = IMAGE_BITMAP;
};

UINT KindOf(DWORD style) { return style & SS_TYPEMASK; }

bool IsTextKind(UINT kind) {
  return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_SIMPLE ||
         kind == SS_LEFTNOWORDWRAP;
}

UINT TextFormat(DWORD style) {
  UINT format = DT_EXPANDTABS;
  switch (KindOf(style)) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_SIMPLE: format |= DT_SINGLELINE; break;
    case SS_LEFTNOWORDWRAP: break;
    default: format |= DT_WORDBREAK; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  if (style & SS_ENDELLIPSIS) format |= DT_END_ELLIPSIS;
  return format;
}

void PaintText(HWND hwnd, HDC hdc, DWORD style, RECT area) {
  WCHAR text[1024];
  const int length = GetWindowTextW(hwnd, text, 1024);
  SetBkMode(hdc, TRANSPARENT);
  if (!IsWindowEnabled(hwnd)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(hdc, text, length, &area, TextFormat(style));
}

void PaintImage(HDC hdc, const StaticState& state, DWORD style, RECT area) {
  if (!state.image) return;
  int width, height;
  if (state.imageType == IMAGE_BITMAP) {
    BITMAP info{};
    GetObjectW(state.image, sizeof(info), &info);
    width = info.bmWidth;
    height = info.bmHeight;
  } else {
    width = GetSystemMetrics(SM_CXICON);
    height = GetSystemMetrics(SM_CYICON);
  }
  int x = area.left, y = area.top;
  if (style & SS_CENTERIMAGE) {
    x = (area.left + area.right - width) / 2;
    y = (area.top + area.bottom - height) / 2;
  }
  if (state.imageType == IMAGE_BITMAP) {
    HDC source = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(source, state.image);
    BitBlt(hdc, x, y, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  } else {
    DrawIconEx(hdc, x, y, static_cast<HICON>(state.image), width, height, 0, nullptr, DI_NORMAL);
  }
}

void FillKind(HDC hdc, UINT kind, RECT area) {
  switch (kind) {
    case SS_BLACKRECT: FillRect(hdc, &area, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYRECT: FillRect(hdc, &area, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITERECT: FillRect(hdc, &area, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(hdc, &area, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYFRAME: FrameRect(hdc, &area, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITEFRAME: FrameRect(hdc, &area, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_ETCHEDHORZ: DrawEdge(hdc, &area, EDGE_ETCHED, BF_TOP); break;
    case SS_ETCHEDVERT: DrawEdge(hdc, &area, EDGE_ETCHED, BF_LEFT); break;
    case SS_ETCHEDFRAME: DrawEdge(hdc, &area, EDGE_ETCHED, BF_RECT); break;
    default: break;
  }
}

void DrawOwner(HWND hwnd, HDC hdc, RECT area) {
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_STATIC;
  item.CtlID = static_cast<UINT>(ControlId(hwnd));
  item.itemAction = ODA_DRAWENTIRE;
  if (!IsWindowEnabled(hwnd)) item.itemState = ODS_DISABLED;
  item.hwndItem = hwnd;
  item.hDC = hdc;
  item.rcItem = area;
  if (HWND parent = GetParent(hwnd))
    SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void Paint(HWND hwnd, HDC hdc, const StaticState& state) {
  const DWORD style = StyleOf(hwnd);
  const UINT kind = KindOf(style);
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(state.font));
  RECT area;
  GetClientRect(hwnd, &area);
  HBRUSH back = ControlColor(hwnd, hdc, WM_CTLCOLORSTATIC);
  if (style & SS_SUNKEN) DrawEdge(hdc, &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if (kind == SS_OWNERDRAW) {
    DrawOwner(hwnd, hdc, area);
  } else if (IsTextKind(kind) || kind == SS_ICON || kind == SS_BITMAP) {
    FillRect(hdc, &area, back);
    if (IsTextKind(kind)) PaintText(hwnd, hdc, style, area);
    else PaintImage(hdc, state, style, area);
  } else {
    FillKind(hdc, kind, area);
  }
  SelectObject(hdc, oldFont);
}

// A template names the picture of SS_ICON and SS_BITMAP in the caption, as
// text, as 0xFFFF and an ordinal, or as "#" and the ordinal's digits (what
// the dialog manager passes for an ordinal).
LPCWSTR ResourceName(LPCWSTR caption) {
  if (!caption || IS_INTRESOURCE(caption)) return caption;
  if (caption[0] == 0xFFFF) return MAKEINTRESOURCEW(caption[1]);
  if (caption[0] == u'#' && caption[1]) {
    unsigned ordinal = 0;
    for (LPCWSTR c = caption + 1; *c; ++c) {
      if (*c < u'0' || *c > u'9' || ordinal > 0xFFFF) return caption;
      ordinal = ordinal * 10 + static_cast<unsigned>(*c - u'0');
    }
    if (ordinal >= 1 && ordinal <= 0xFFFF) return MAKEINTRESOURCEW(ordinal);
  }
  return caption[0] ? caption : nullptr;
}

void SizeToImage(HWND hwnd, const StaticState& state) {
  const DWORD style = StyleOf(hwnd);
  if (!state.image || (style & (SS_CENTERIMAGE | SS_REALSIZEIMAGE))) return;
  int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
  if (state.imageType == IMAGE_BITMAP) {
    BITMAP info{};
    GetObjectW(state.image, sizeof(info), &info);
    width = info.bmWidth;
    height = info.bmHeight;
  }
  SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoadPicture(HWND hwnd, StaticState& state, const CREATESTRUCTW& create) {
  const UINT kind = KindOf(static_cast<DWORD>(create.style));
  LPCWSTR name = ResourceName(create.lpszName);
  if (!name) return;
  if (kind == SS_ICON) {
    state.image = LoadIconW(create.hInstance, name);
    state.imageType = IMAGE_ICON;
  } else if (kind == SS_BITMAP) {
    state.image = LoadBitmapW(create.hInstance, name);
    state.imageType = IMAGE_BITMAP;
  }
  SizeToImage(hwnd, state);
}

HANDLE SetImage(HWND hwnd, StaticState& state, UINT type, HANDLE image) {
  HANDLE old = state.image;
  state.image = image;
  state.imageType = type == IMAGE_BITMAP ? IMAGE_BITMAP : IMAGE_ICON;
  SizeToImage(hwnd, state);
  InvalidateRect(hwnd, nullptr, TRUE);
  return old;
}


}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  StaticState* state = StateForMessage<StaticState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  const DWORD style = StyleOf(hwnd);
  switch (message) {
    case WM_NCCREATE: {
      // The caption of a picture static names a resource, not text to keep.
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const UINT kind = KindOf(static_cast<DWORD>(create->style));
      if (kind == SS_ICON || kind == SS_BITMAP) return TRUE;
      break;
    }
    case WM_CREATE: LoadPicture(hwnd, *state, *reinterpret_cast<const CREATESTRUCTW*>(lParam)); return 0;
    case WM_NCDESTROY:
      DetachState<StaticState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCHITTEST: return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, hdc, *state); });
    case WM_LBUTTONDOWN:
      if (style & SS_NOTIFY) NotifyParent(hwnd, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (style & SS_NOTIFY) NotifyParent(hwnd, STN_DBLCLK);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      if (style & SS_NOTIFY) NotifyParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
      return 0;
    case WM_SETTEXT: return SetTextAndRedraw(hwnd, wParam, lParam);
    case WM_SETFONT: StoreFont(hwnd, &state->font, wParam, lParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case STM_SETICON: return reinterpret_cast<LRESULT>(SetImage(hwnd, *state, IMAGE_ICON, reinterpret_cast<HANDLE>(wParam)));
    case STM_GETICON: return state->imageType == IMAGE_ICON ? reinterpret_cast<LRESULT>(state->image) : 0;
    case STM_SETIMAGE: return reinterpret_cast<LRESULT>(SetImage(hwnd, *state, static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam)));
    case STM_GETIMAGE: return state->imageType == wParam ? reinterpret_cast<LRESULT>(state->image) : 0;
    case WM_NOTIFY: return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace compat::controls
