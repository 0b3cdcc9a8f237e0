// CNumEdit: text and value, the character filter, key and mouse stepping,
// commits, and the field's messages.
#include "controls/num_edit.h"

#include <charconv>
#include <cmath>
#include <string>

namespace controls {

BEGIN_MESSAGE_MAP(CNumEdit, CEdit)
ON_WM_CREATE()
ON_CONTROL_REFLECT(EN_CHANGE, OnChange)
ON_WM_CHAR()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_KILLFOCUS()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_RBUTTONDOWN()
ON_MESSAGE(NEM_SETRANGE, OnSetRange)
ON_MESSAGE(NEM_GETRANGE, OnGetRange)
ON_MESSAGE(NEM_STEPUP, OnStepUp)
ON_MESSAGE(NEM_STEPDOWN, OnStepDown)
ON_MESSAGE(NEM_SETFORMAT, OnSetFormat)
ON_MESSAGE(NEM_GETFORMAT, OnGetFormat)
ON_MESSAGE(NEM_FLAGS, OnFlags)
END_MESSAGE_MAP()

namespace {

// Only one field can hold the mouse, so the drag state is the process's.
struct MouseDrag {
  CPoint last;
  bool buttonDown = false;
  bool dragging = false;
};
MouseDrag g_drag;

// Keeps the format's decimals within what a double can show.
constexpr int kMaxDecimals = 20;

}  // namespace

// --- text and value ---

CString FormatNumber(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  char buffer[400];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return CString(u"0");
  return CString(std::u16string(buffer, end).c_str());
}

double ParseNumber(const CString& text) {
  std::string narrow;
  for (char16_t c : text.Native()) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  size_t at = narrow.find_first_not_of(" \t\r\n\f\v");
  if (at == std::string::npos) return 0.0;
  if (narrow[at] == '+') ++at;
  double value = 0.0;
  auto [end, error] = std::from_chars(narrow.data() + at, narrow.data() + narrow.size(), value);
  (void)end;
  if (error != std::errc() || std::isnan(value)) return 0.0;
  return value;
}

void CNumEdit::WriteText() { SetWindowText(FormatNumber(m_dValue, m_nDecimals)); }

void CNumEdit::ReadText() {
  CString text;
  GetWindowText(text);
  double value = ParseNumber(text);
  if (value > m_dMax) value = m_dMax;
  if (value < m_dMin) value = m_dMin;
  m_dValue = value;
}

void CNumEdit::SetValue(double value) {
  if (value > m_dMax) {
    value = m_dMax;
  } else if (value < m_dMin) {
    value = m_dMin;
  }
  m_dValue = value;
  m_bSetByProgram = 1;
  WriteText();
  m_bSetByProgram = 0;
}

void CNumEdit::Report(UINT message) {
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  ::SendMessageW(owner ? owner : ::GetParent(m_hWnd), message, 0, 0);
}

int CNumEdit::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CEdit::OnCreate(lpCreateStruct) == -1) return -1;
  WriteText();  // the first change, not reported
  return 0;
}

void CNumEdit::OnChange() {
  ReadText();
  if (!m_bSkipFirstChange && !m_bSetByProgram) Report(NEM_CHANGING);
  m_bSkipFirstChange = 0;
  m_bSetByProgram = 0;
}

// --- stepping ---

void CNumEdit::Step(double delta) {
  double value = m_dValue + delta;
  if (delta >= 0 && value >= m_dMax) value = m_dMax;
  if (delta < 0 && value <= m_dMin) value = m_dMin;
  m_dValue = value;
  WriteText();
  Report(NEM_CHANGING);
  SetModify(TRUE);
}

LRESULT CNumEdit::OnStepUp(WPARAM, LPARAM lParam) {
  Step(static_cast<double>(static_cast<int>(lParam)) * m_dStep);
  return 1;
}

LRESULT CNumEdit::OnStepDown(WPARAM, LPARAM lParam) {
  Step(-static_cast<double>(static_cast<int>(lParam)) * m_dStep);
  return 1;
}

// --- typing and committing ---

void CNumEdit::OnChar(UINT nChar, UINT, UINT) {
  CString text;
  GetWindowText(text);
  int start = 0;
  int end = 0;
  GetSel(start, end);
  bool pass = false;
  if ((nChar >= '0' && nChar <= '9') || nChar == VK_BACK) {
    pass = true;
  } else if (nChar == '.') {
    pass = text.Native().find(u'.') == std::u16string::npos;
  } else if (nChar == '-') {
    pass = start == 0 && (end == 0 || end == text.GetLength());
  } else if (nChar == '/') {
    SetValue(m_dMin > 0 ? m_dMin : 0.0);
    Report(NEM_COMMITTED);
  }
  if (pass) Default();
}

void CNumEdit::Commit() {
  ReadText();
  WriteText();
}

void CNumEdit::OnKillFocus(CWnd* pNewWnd) {
  CEdit::OnKillFocus(pNewWnd);
  EndMouseDrag();
  if (!GetModify()) return;
  Commit();
  if (m_nFlags & NEF_COMMIT_ON_FOCUS) Report(NEM_COMMITTED);
}

BOOL CNumEdit::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && pMsg->hwnd == m_hWnd && GetModify()) {
    Commit();
    Report(NEM_COMMITTED);
    SetModify(FALSE);
  }
  return CEdit::PreTranslateMessage(pMsg);
}

// --- keys ---

void CNumEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar != VK_UP && nChar != VK_DOWN) {
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
    return;
  }
  if (!m_bKeySequence) {
    Report(NEM_CHANGEBEGINS);
    m_bKeySequence = 1;
  }
  Step(nChar == VK_UP ? m_dStep : -m_dStep);
}

void CNumEdit::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar != VK_UP && nChar != VK_DOWN) {
    CEdit::OnKeyUp(nChar, nRepCnt, nFlags);
    return;
  }
  SetSel(0, -1);
  SendMessage(EM_SCROLLCARET);
  m_bKeySequence = 0;
  if (m_nFlags & NEF_COMMIT_ON_KEYUP) Report(NEM_COMMITTED);
}

// --- mouse drag ---

void CNumEdit::EndMouseDrag() {
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  g_drag = MouseDrag{};
}

void CNumEdit::OnLButtonDown(UINT nFlags, CPoint point) {
  SetCapture();
  SetFocus();
  g_drag.last = point;
  g_drag.buttonDown = true;
  ::SetCursor(::LoadCursorW(nullptr, IDC_SIZENS));
  CEdit::OnLButtonDown(nFlags, point);
}

void CNumEdit::OnMouseMove(UINT nFlags, CPoint point) {
  if (!g_drag.buttonDown) {
    CEdit::OnMouseMove(nFlags, point);
    return;
  }
  if (!g_drag.dragging) {
    CRect client;
    GetClientRect(&client);
    if (point.y >= 0 && point.y <= client.Height()) {
      CEdit::OnMouseMove(nFlags, point);
      return;
    }
    Report(NEM_CHANGEBEGINS);
    g_drag.dragging = true;
    g_drag.last = point;
    return;
  }
  // One message gives at most one step, however far the pointer went.
  const int rise = g_drag.last.y - point.y;
  if (rise > 1 || rise < -1) {
    g_drag.last = point;
    Step(rise > 0 ? m_dStep : -m_dStep);
  }
}

void CNumEdit::OnLButtonUp(UINT nFlags, CPoint point) {
  CEdit::OnLButtonUp(nFlags, point);
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (g_drag.dragging) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    g_drag.dragging = false;
    if (m_nFlags & NEF_COMMIT_ON_DRAG) {
      Report(NEM_COMMITTED);
      SetModify(FALSE);
    }
  }
  g_drag.buttonDown = false;
}

void CNumEdit::OnRButtonDown(UINT, CPoint) {}

// --- the field's messages ---

LRESULT CNumEdit::OnSetRange(WPARAM, LPARAM lParam) {
  const auto* range = reinterpret_cast<const double*>(lParam);
  if (!range) return 0;
  m_dMax = range[0];
  m_dMin = range[1];
  return 1;
}

LRESULT CNumEdit::OnGetRange(WPARAM, LPARAM lParam) {
  auto* range = reinterpret_cast<double*>(lParam);
  if (!range) return 0;
  range[0] = m_dMax;
  range[1] = m_dMin;
  return 1;
}

LRESULT CNumEdit::OnSetFormat(WPARAM, LPARAM lParam) {
  const auto* format = reinterpret_cast<const NUMEDITFORMAT*>(lParam);
  if (!format) return 0;
  m_nWidth = format->width;
  m_nDecimals = format->decimals < 0 ? 0 : (format->decimals > kMaxDecimals ? kMaxDecimals : format->decimals);
  return 1;
}

LRESULT CNumEdit::OnGetFormat(WPARAM, LPARAM lParam) {
  auto* format = reinterpret_cast<NUMEDITFORMAT*>(lParam);
  if (!format) return 0;
  format->width = m_nWidth;
  format->decimals = m_nDecimals;
  return 1;
}

LRESULT CNumEdit::OnFlags(WPARAM wParam, LPARAM lParam) {
  if (wParam == 0) {
    m_nFlags = static_cast<int>(lParam);
    return 1;
  }
  if (wParam == 1 && lParam) {
    *reinterpret_cast<int*>(lParam) = m_nFlags;
    return 1;
  }
  return 0;
}

}  // namespace controls
