// The status bar: a strip along the bottom of its parent cut into parts, each
// with its text in a sunken (or raised, or borderless) frame, or one simple
// text over all of it; a size grip in the corner.
#include <algorithm>
#include <string>
#include <vector>

#include "compat/controls/common_paint.h"
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr int kMaxParts = 256;
constexpr int kBorderH = 0;  // left of the first part
constexpr int kBorderV = 2;  // above and below the parts
constexpr int kBetween = 2;  // between parts
constexpr int kTextIndent = 3;

struct Part {
  std::u16string text;
  UINT flags = 0;
  LPARAM data = 0;  // what an owner-drawn part was given
};

struct StatusBar {
  std::vector<int> rights{-1};  // each part's right edge, -1 to the end
  std::vector<Part> parts{Part{}};
  Part simple;
  bool simpleMode = false;
  int minHeight = 0;
  HFONT font = nullptr;
};

int Height(HWND hwnd, const StatusBar& sb) {
  const int text = LineHeight(hwnd, sb.font) + 2 * kBorderV + 2;
  return std::max(text + 1, sb.minHeight + 2 * kBorderV);
}

bool HasGrip(HWND hwnd) {
  if (!(StyleOf(hwnd) & SBARS_SIZEGRIP)) return false;
  HWND parent = GetParent(hwnd);
  return !parent || !IsZoomed(parent);
}

RECT PartRect(HWND hwnd, const StatusBar& sb, int index) {
  RECT client;
  GetClientRect(hwnd, &client);
  RECT r{kBorderH, kBorderV, client.right, client.bottom};
  if (sb.simpleMode) return r;
  if (index > 0) r.left = sb.rights[index - 1] + kBetween;
  const int right = sb.rights[index];
  r.right = (right < 0 || right > client.right) ? client.right : right;
  if (r.left > r.right) r.left = r.right;
  return r;
}

// Tabs align the text: before the first it is left, after one centred, after two right.
void DrawPartText(HDC hdc, const RECT& box, const std::u16string& text) {
  std::u16string pieces[3];
  int which = 0;
  for (char16_t c : text) {
    if (c == u'\t' && which < 2) {
      ++which;
      continue;
    }
    pieces[which] += c;
  }
  const UINT formats[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  RECT r = box;
  r.left += kTextIndent;
  r.right -= kTextIndent;
  for (int i = 0; i < 3; ++i) {
    if (pieces[i].empty()) continue;
    DrawTextW(hdc, pieces[i].c_str(), static_cast<int>(pieces[i].size()), &r,
              formats[i] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

void PaintPart(HWND hwnd, HDC hdc, const Part& part, RECT r, int index) {
  if (!(part.flags & SBT_NOBORDERS)) DrawEdge(hdc, &r, (part.flags & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  InflateRect(&r, -1, -1);
  if (part.flags & SBT_OWNERDRAW) {
    DRAWITEMSTRUCT dis{};
    dis.CtlID = static_cast<UINT>(ControlId(hwnd));
    dis.itemID = static_cast<UINT>(index);
    dis.hwndItem = hwnd;
    dis.hDC = hdc;
    dis.rcItem = r;
    dis.itemData = static_cast<ULONG_PTR>(part.data);
    SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  DrawPartText(hdc, r, part.text);
}

void Paint(HWND hwnd, const StatusBar& sb, HDC hdc) {
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(sb.font));
  if (sb.simpleMode) {
    PaintPart(hwnd, hdc, sb.simple, PartRect(hwnd, sb, 0), SB_SIMPLEID);
  } else {
    for (size_t i = 0; i < sb.parts.size(); ++i) PaintPart(hwnd, hdc, sb.parts[i], PartRect(hwnd, sb, static_cast<int>(i)), static_cast<int>(i));
  }
  if (HasGrip(hwnd)) {
    const int size = GetSystemMetrics(SM_CXVSCROLL);
    RECT grip{client.right - size, client.bottom - size, client.right, client.bottom};
    DrawFrameControl(hdc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  }
  SelectObject(hdc, oldFont);
}

// Along the bottom (or top) of the parent at the bar's height, unless CCS_NORESIZE.
void Place(HWND hwnd, const StatusBar& sb) {
  const DWORD style = StyleOf(hwnd);
  HWND parent = GetParent(hwnd);
  if ((style & CCS_NORESIZE) || !parent) return;
  RECT pr;
  GetClientRect(parent, &pr);
  const int height = Height(hwnd, sb);
  const int y = (style & CCS_BOTTOM) == CCS_TOP ? 0 : pr.bottom - height;
  RECT now;
  GetWindowRect(hwnd, &now);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&now), 2);
  if (now.left == 0 && now.top == y && now.right == pr.right && now.bottom == y + height) return;
  SetWindowPos(hwnd, nullptr, 0, y, pr.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

Part* PartFor(StatusBar& sb, WPARAM index) {
  const int i = static_cast<int>(index & 0xFF);
  if (i == SB_SIMPLEID) return &sb.simple;
  if (i >= static_cast<int>(sb.parts.size())) return nullptr;
  return &sb.parts[i];
}

LRESULT TextInfo(const Part& part) {
  const WORD flags = static_cast<WORD>(part.flags & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW));
  if (part.flags & SBT_OWNERDRAW) return 0;
  return MAKELONG(static_cast<WORD>(part.text.size()), flags);
}

LRESULT SetParts(HWND hwnd, StatusBar& sb, WPARAM count, const int* rights) {
  if (count == 0 || count > kMaxParts || !rights) return FALSE;
  sb.rights.assign(rights, rights + count);
  sb.parts.resize(count);
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

}  // namespace

LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  StatusBar* sb = StateForMessage<StatusBar>(hwnd, message);
  if (!sb) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName) sb->parts[0].text = cs->lpszName;
      Place(hwnd, *sb);
      return 0;
    }
    case WM_NCDESTROY:
      DetachState<StatusBar>(hwnd);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, *sb, hdc); });
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      // The parent forwards its own WM_SIZE: the bar follows the parent's edge.
      Place(hwnd, *sb);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_NCHITTEST: {
      if (HasGrip(hwnd)) {
        RECT client;
        GetClientRect(hwnd, &client);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &p);
        const int size = GetSystemMetrics(SM_CXVSCROLL);
        if (p.x >= client.right - size && p.y >= client.bottom - size) return HTBOTTOMRIGHT;
      }
      return HTCLIENT;
    }
    case WM_NCLBUTTONDOWN:
      // A press in the grip sizes the window the bar lies in, as a press on
      // that window's own lower right corner would; the bar is not sized.
      if (wParam == HTBOTTOMRIGHT && HasGrip(hwnd)) return SendMessageW(GetParent(hwnd), message, wParam, lParam);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFONT:
      StoreFont(hwnd, &sb->font, wParam, lParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(sb->font);
    case WM_SETTEXT:
      sb->parts[0].text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(sb->parts[0].text.size());
    case WM_GETTEXT:
      return CopyText(sb->parts[0].text, reinterpret_cast<LPWSTR>(lParam), wParam);
    case SB_SETPARTS:
      return SetParts(hwnd, *sb, wParam, reinterpret_cast<const int*>(lParam));
    case SB_GETPARTS: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (out) {
        const size_t n = std::min(static_cast<size_t>(wParam), sb->rights.size());
        std::copy_n(sb->rights.begin(), n, out);
      }
      return static_cast<LRESULT>(sb->rights.size());
    }
    case SB_GETBORDERS: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out) return FALSE;
      out[0] = kBorderH;
      out[1] = kBorderV;
      out[2] = kBetween;
      return TRUE;
    }
    case SB_SETMINHEIGHT:
      sb->minHeight = static_cast<int>(wParam);
      return 0;
    case SB_SIMPLE:
      if (sb->simpleMode != (wParam != 0)) {
        sb->simpleMode = wParam != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case SB_ISSIMPLE:
      return sb->simpleMode;
    case SB_GETRECT: {
      const int index = static_cast<int>(wParam);
      if (!lParam || index < 0 || (!sb->simpleMode && index >= static_cast<int>(sb->parts.size()))) return FALSE;
      *reinterpret_cast<RECT*>(lParam) = PartRect(hwnd, *sb, sb->simpleMode ? 0 : index);
      return TRUE;
    }
    case SB_SETTEXTW: {
      Part* part = PartFor(*sb, wParam);
      if (!part) return FALSE;
      part->flags = static_cast<UINT>(wParam & 0xFF00);
      part->data = lParam;
      part->text = (part->flags & SBT_OWNERDRAW) || !lParam ? u"" : reinterpret_cast<LPCWSTR>(lParam);
      const int index = static_cast<int>(wParam & 0xFF);
      if (index == SB_SIMPLEID ? sb->simpleMode : !sb->simpleMode) {
        RECT r = PartRect(hwnd, *sb, index == SB_SIMPLEID ? 0 : index);
        InvalidateRect(hwnd, &r, TRUE);
      }
      return TRUE;
    }
    case SB_GETTEXTLENGTHW: {
      const Part* part = PartFor(*sb, wParam);
      return part ? TextInfo(*part) : 0;
    }
    case SB_GETTEXTW: {
      const Part* part = PartFor(*sb, wParam);
      if (!part) return 0;
      if (part->flags & SBT_OWNERDRAW) return part->data;
      if (auto* out = reinterpret_cast<LPWSTR>(lParam)) {
        std::copy(part->text.begin(), part->text.end(), out);
        out[part->text.size()] = 0;
      }
      return TextInfo(*part);
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace compat::controls
