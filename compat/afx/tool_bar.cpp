// CToolBar: the toolbar common control as a control bar. The bar owns the
// button images (mapped to the button colours, mapped again when they
// change), lays the buttons out in rows for the length it is given and keeps
// them in step with their commands' update handlers.
//
// Sections: creating · images · buttons · layout · idle and painting · CToolCmdUI
#include <algorithm>
#include <cstring>
#include <vector>

#include "compat/afx.h"

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_WM_NCHITTEST()
ON_WM_SYSCOLORCHANGE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// A separator's width; the flat look draws a line in a narrower gap.
constexpr int kSeparatorWidth = 8;
constexpr int kFlatSeparatorWidth = 6;
// The frame a button draws round its image.
constexpr int kButtonExtraX = 7;
constexpr int kButtonExtraY = 7;
constexpr int kUnlimited = 32767;

// The RT_TOOLBAR resource: a version word, the image size, the button count,
// then one id per button (0 for a separator).
struct ToolbarResource {
  WORD version;
  WORD width;
  WORD height;
  WORD count;
};

bool IsSeparator(const TBBUTTON& b) { return (b.fsStyle & TBSTYLE_SEP) != 0; }
bool IsHidden(const TBBUTTON& b) { return (b.fsState & TBSTATE_HIDDEN) != 0; }
// A separator with a command id stands for a control placed on the bar.
bool IsControlSlot(const TBBUTTON& b) { return IsSeparator(b) && b.idCommand != 0; }

}  // namespace

// --- creating ---

CToolBar::CToolBar() {
  m_cyTopBorder = 2;
  m_cyBottomBorder = 2;
}

CToolBar::~CToolBar() {
  if (m_hWnd) DestroyWindow();
  if (m_hImageList) ImageList_Destroy(m_hImageList);
  if (m_hbmImageWell) ::DeleteObject(m_hbmImageWell);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateEx(pParentWnd, 0, dwStyle, CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder),
                  nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID) {
  SetBorders(&rcBorders);
  // The bar places the control itself; the control keeps to its own rectangle.
  dwCtrlStyle |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
  if (dwStyle & CBRS_TOOLTIPS) dwCtrlStyle |= TBSTYLE_TOOLTIPS;
  if (!CreateBar(TOOLBARCLASSNAMEW, dwStyle, dwCtrlStyle, nID, pParentWnd)) return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  SetSizes(m_sizeButton, m_sizeImage);
  return TRUE;
}

void CToolBar::OnDestroy() {
  CControlBar::OnDestroy();
  m_ctrl.m_hWnd = nullptr;
}

CToolBarCtrl& CToolBar::GetToolBarCtrl() const {
  m_ctrl.m_hWnd = m_hWnd;
  return m_ctrl;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
  m_sizeButton = sizeButton;
  const bool newImageSize = sizeImage.cx != m_sizeImage.cx || sizeImage.cy != m_sizeImage.cy;
  m_sizeImage = sizeImage;
  if (!m_hWnd) return;
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
  SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
  if (newImageSize && m_hbmImageWell) MakeImageList();
  Invalidate();
}

void CToolBar::SetHeight(int cyHeight) {
  if (m_dwStyle & CBRS_BORDER_TOP) cyHeight -= 2;
  if (m_dwStyle & CBRS_BORDER_BOTTOM) cyHeight -= 2;
  // An odd pixel goes to the top.
  m_cyBottomBorder = (cyHeight - m_sizeButton.cy) / 2;
  m_cyTopBorder = cyHeight - m_sizeButton.cy - m_cyBottomBorder;
  if (m_cyTopBorder < 0) {
    m_cyTopBorder = 0;
    m_cyBottomBorder = 0;
  }
  if (m_hWnd) SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) { return LoadToolBar(MAKEINTRESOURCEW(nIDResource)); }

BOOL CToolBar::LoadToolBar(LPCTSTR lpszResourceName) {
  HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_TOOLBAR);
  HRSRC found = ::FindResourceW(module, lpszResourceName, RT_TOOLBAR);
  if (!found) return FALSE;
  HGLOBAL loaded = ::LoadResource(module, found);
  const auto* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
  const DWORD size = ::SizeofResource(module, found);
  if (!data || size < sizeof(ToolbarResource)) return FALSE;
  ToolbarResource header;
  std::memcpy(&header, data, sizeof(header));
  // A damaged resource names more buttons than it holds.
  if (header.version != 1 || sizeof(header) + header.count * sizeof(WORD) > size) return FALSE;
  std::vector<UINT> ids(header.count);
  for (WORD i = 0; i < header.count; ++i) {
    WORD id;
    std::memcpy(&id, data + sizeof(header) + i * sizeof(WORD), sizeof(id));
    ids[i] = id;
  }
  if (!SetButtons(ids.data(), static_cast<int>(ids.size()))) return FALSE;
  SetSizes(CSize(header.width + kButtonExtraX, header.height + kButtonExtraY), CSize(header.width, header.height));
  return LoadBitmap(lpszResourceName);
}

// --- images ---

BOOL CToolBar::LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEW(nIDResource)); }

BOOL CToolBar::LoadBitmap(LPCTSTR lpszResourceName) {
  HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
  HRSRC found = ::FindResourceW(module, lpszResourceName, RT_BITMAP);
  if (!found) return FALSE;
  HBITMAP bitmap = AfxLoadSysColorBitmap(module, found);
  if (!bitmap) return FALSE;
  m_hInstImageWell = module;
  m_hRsrcImageWell = found;
  return SetBitmap(bitmap);
}

BOOL CToolBar::SetBitmap(HBITMAP hbmImageWell) {
  if (!hbmImageWell) return FALSE;
  if (m_hbmImageWell && m_hbmImageWell != hbmImageWell) ::DeleteObject(m_hbmImageWell);
  m_hbmImageWell = hbmImageWell;
  MakeImageList();
  return TRUE;
}

// Cuts the bitmap into images of the image size; face-coloured pixels let the
// button's own face show through.
void CToolBar::MakeImageList() {
  if (!m_hWnd || m_sizeImage.cx <= 0 || m_sizeImage.cy <= 0) return;
  BITMAP info{};
  if (!::GetObjectW(m_hbmImageWell, sizeof(info), &info)) return;
  const int count = std::max(1, static_cast<int>(info.bmWidth / m_sizeImage.cx));
  HIMAGELIST images = ImageList_Create(m_sizeImage.cx, m_sizeImage.cy, ILC_COLOR24 | ILC_MASK, count, 0);
  if (!images) return;
  ImageList_AddMasked(images, m_hbmImageWell, ::GetSysColor(COLOR_BTNFACE));
  auto shown = reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST));
  // A program that set a list of its own keeps it.
  if (!shown || shown == m_hImageList) SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  if (m_hImageList && m_hImageList != images) ImageList_Destroy(m_hImageList);
  m_hImageList = images;
  Invalidate();
}

void CToolBar::OnSysColorChange() {
  // The bitmap's greys follow the button colours now in force.
  if (m_hInstImageWell && m_hRsrcImageWell) {
    if (HBITMAP mapped = AfxLoadSysColorBitmap(m_hInstImageWell, m_hRsrcImageWell)) SetBitmap(mapped);
  }
  Default();
  Invalidate();
}

// --- buttons ---

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
  if (!m_hWnd || nIDCount < 0) return FALSE;
  while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
  const int separator = (GetStyle() & TBSTYLE_FLAT) ? kFlatSeparatorWidth : kSeparatorWidth;
  int image = 0;
  for (int i = 0; i < nIDCount; ++i) {
    TBBUTTON button{};
    button.idCommand = lpIDArray ? static_cast<int>(lpIDArray[i]) : 0;
    button.fsState = TBSTATE_ENABLED;  // a separator too: its style word reads plain
    if (button.idCommand == ID_SEPARATOR) {
      button.fsStyle = TBSTYLE_SEP;
      button.iBitmap = separator;
    } else {
      button.fsStyle = TBSTYLE_BUTTON;
      button.iBitmap = image++;
    }
    if (!SendMessage(TB_INSERTBUTTONW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) return FALSE;
  }
  m_nCount = nIDCount;
  return TRUE;
}

void CToolBar::_GetButton(int nIndex, TBBUTTON* pButton) const {
  *pButton = TBBUTTON{};
  SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pButton));
  pButton->fsState ^= TBSTATE_ENABLED;
}

void CToolBar::_SetButton(int nIndex, TBBUTTON* pButton) {
  TBBUTTON now;
  _GetButton(nIndex, &now);
  if (now.iBitmap == pButton->iBitmap && now.idCommand == pButton->idCommand && now.fsState == pButton->fsState &&
      now.fsStyle == pButton->fsStyle && now.dwData == pButton->dwData) {
    return;
  }
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_IMAGE | TBIF_STATE | TBIF_STYLE | TBIF_LPARAM;
  info.idCommand = pButton->idCommand;
  info.iImage = pButton->iBitmap;
  info.fsState = static_cast<BYTE>(pButton->fsState ^ TBSTATE_ENABLED);
  info.fsStyle = pButton->fsStyle;
  info.lParam = pButton->dwData;
  SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
  const int count = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
  for (int i = 0; i < count; ++i) {
    if (GetItemID(i) == nIDFind) return i;
  }
  return -1;
}

UINT CToolBar::GetItemID(int nIndex) const {
  TBBUTTON button;
  _GetButton(nIndex, &button);
  return static_cast<UINT>(button.idCommand);
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  *lpRect = RECT{};
  SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
  TBBUTTON button;
  _GetButton(nIndex, &button);
  return MAKELONG(button.fsStyle, button.fsState);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle) {
  TBBUTTON button;
  _GetButton(nIndex, &button);
  button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
  button.fsState = static_cast<BYTE>(HIWORD(nStyle));
  _SetButton(nIndex, &button);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const {
  TBBUTTON button;
  _GetButton(nIndex, &button);
  nID = static_cast<UINT>(button.idCommand);
  nStyle = MAKELONG(button.fsStyle, button.fsState);
  iImage = button.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
  TBBUTTON button;
  _GetButton(nIndex, &button);
  button.idCommand = static_cast<int>(nID);
  button.iBitmap = iImage;
  button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
  button.fsState = static_cast<BYTE>(HIWORD(nStyle));
  _SetButton(nIndex, &button);
}

INT_PTR CToolBar::OnToolHitTest(CPoint point, TOOLINFOW* pTI) const {
  const int index = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
  if (index < 0) return -1;
  TBBUTTON button;
  _GetButton(index, &button);
  if (IsSeparator(button)) return -1;
  if (pTI) {
    pTI->hwnd = m_hWnd;
    pTI->uId = static_cast<UINT_PTR>(button.idCommand);
    GetItemRect(index, &pTI->rect);
    pTI->lpszText = LPSTR_TEXTCALLBACKW;
  }
  return button.idCommand;
}

// --- layout ---

CSize CToolBar::CalcSize(TBBUTTON* pData, int nCount) {
  CPoint at(0, 0);
  CSize extent(0, 0);
  for (int i = 0; i < nCount; ++i) {
    const TBBUTTON& b = pData[i];
    if (IsHidden(b)) continue;
    const int width = IsSeparator(b) ? b.iBitmap : m_sizeButton.cx;
    const bool wraps = (b.fsState & TBSTATE_WRAP) != 0;
    if (IsSeparator(b)) {
      // A wrapped separator is a gap between rows; any other a gap along its row.
      if (wraps) {
        extent.cy = std::max(extent.cy, at.y + m_sizeButton.cy + b.iBitmap * 2 / 3);
      } else {
        extent.cx = std::max(extent.cx, at.x + b.iBitmap);
      }
    } else {
      extent.cx = std::max(extent.cx, at.x + width);
      extent.cy = std::max(extent.cy, at.y + m_sizeButton.cy);
    }
    at.x += width;
    if (wraps) {
      at.x = 0;
      at.y += m_sizeButton.cy;
      if (IsSeparator(b)) at.y += b.iBitmap * 2 / 3;
    }
  }
  return extent;
}

int CToolBar::WrapToolBar(TBBUTTON* pData, int nCount, int nWidth) {
  int rows = 1;
  int x = 0;
  for (int i = 0; i < nCount; ++i) {
    pData[i].fsState &= ~TBSTATE_WRAP;
    if (IsHidden(pData[i])) continue;
    const int dx = IsSeparator(pData[i]) ? pData[i].iBitmap : m_sizeButton.cx;
    if (x + dx <= nWidth) {
      x += dx;
      continue;
    }
    // Too long: the row breaks at the last separator of this row, else after
    // the button before (never at a hidden button or a control's slot).
    int at = -1;
    for (int j = i; j >= 0 && !(pData[j].fsState & TBSTATE_WRAP); --j) {
      if (IsSeparator(pData[j]) && !IsControlSlot(pData[j]) && !IsHidden(pData[j])) {
        at = j;
        break;
      }
    }
    if (at < 0) {
      for (int j = i - 1; j >= 0 && !(pData[j].fsState & TBSTATE_WRAP); --j) {
        if (IsHidden(pData[j]) || IsControlSlot(pData[j])) continue;
        at = j;
        break;
      }
    }
    if (at < 0) {
      x += dx;  // nothing in this row to break at: it stays too long
      continue;
    }
    pData[at].fsState |= TBSTATE_WRAP;
    ++rows;
    i = at;  // the next row starts after the break
    x = 0;
  }
  return rows;
}

void CToolBar::SizeToolBar(TBBUTTON* pData, int nCount, int nLength, BOOL bVert) {
  if (!bVert) {
    // The narrowest wrap width that gives as many rows as nLength does.
    int widest = nLength;
    const int rows = WrapToolBar(pData, nCount, widest);
    int narrowest = 0;
    if (WrapToolBar(pData, nCount, narrowest) != rows) {
      while (narrowest < widest) {
        const int middle = (narrowest + widest) / 2;
        if (WrapToolBar(pData, nCount, middle) == rows) {
          widest = middle;
        } else if (narrowest == middle) {
          WrapToolBar(pData, nCount, widest);
          break;
        } else {
          narrowest = middle;
        }
      }
    }
    // Wrapped again at the width the rows came to, so each row is as full as it can be.
    WrapToolBar(pData, nCount, CalcSize(pData, nCount).cx);
    return;
  }
  // A height: search the wrap widths between one button a row and one row.
  WrapToolBar(pData, nCount, 0);
  CSize low = CalcSize(pData, nCount);
  WrapToolBar(pData, nCount, kUnlimited);
  CSize high = CalcSize(pData, nCount);
  while (low.cx < high.cx) {
    WrapToolBar(pData, nCount, (low.cx + high.cx) / 2);
    const CSize middle = CalcSize(pData, nCount);
    if (nLength < middle.cy) {
      if (low == middle) {
        WrapToolBar(pData, nCount, high.cx);
        return;
      }
      low = middle;
    } else if (nLength > middle.cy) {
      if (high == middle) {
        WrapToolBar(pData, nCount, low.cx);
        return;
      }
      high = middle;
    } else {
      return;
    }
  }
}

CSize CToolBar::CalcLayout(DWORD dwMode, int nLength) {
  CSize result(0, 0);
  const int count = m_hWnd ? static_cast<int>(SendMessage(TB_BUTTONCOUNT)) : 0;
  if (count > 0) {
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) _GetButton(i, &buttons[static_cast<size_t>(i)]);
    TBBUTTON* data = buttons.data();
    if (!(m_dwStyle & CBRS_SIZE_FIXED)) {
      const bool dynamic = (m_dwStyle & CBRS_SIZE_DYNAMIC) != 0;
      if (dynamic && (dwMode & LM_MRUWIDTH)) {
        SizeToolBar(data, count, static_cast<int>(m_nMRUWidth));
      } else if (dynamic && (dwMode & LM_HORZDOCK)) {
        SizeToolBar(data, count, kUnlimited);
      } else if (dynamic && (dwMode & LM_VERTDOCK)) {
        SizeToolBar(data, count, 0);
      } else if (dynamic && nLength != -1) {
        // The length is the bar's; the buttons have it less the borders.
        CRect inside(0, 0, 0, 0);
        CalcInsideRect(inside, (dwMode & LM_HORZ) != 0);
        const bool vertical = (dwMode & LM_LENGTHY) != 0;
        SizeToolBar(data, count, nLength + (vertical ? inside.Height() : inside.Width()), vertical);
      } else if (dynamic && (m_dwStyle & CBRS_FLOATING)) {
        SizeToolBar(data, count, static_cast<int>(m_nMRUWidth));
      } else {
        SizeToolBar(data, count, (dwMode & LM_HORZ) ? kUnlimited : 0);
      }
    }
    result = CalcSize(data, count);
    if ((dwMode & LM_COMMIT) && (m_dwStyle & CBRS_FLOATING) && (m_dwStyle & CBRS_SIZE_DYNAMIC)) {
      m_nMRUWidth = static_cast<UINT>(result.cx);
    }
    for (int i = 0; i < count; ++i) _SetButton(i, &data[i]);
  }
  // The bar's size: the buttons' extent and the borders round them.
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, (dwMode & LM_HORZ) != 0);
  result.cx -= inside.Width();
  result.cy -= inside.Height();
  const CSize edge = CControlBar::CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZ) != 0);
  result.cx = std::max(result.cx, edge.cx);
  result.cy = std::max(result.cy, edge.cy);
  return result;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  return CalcLayout((bStretch ? LM_STRETCH : 0) | (bHorz ? LM_HORZ : 0));
}

CSize CToolBar::CalcDynamicLayout(int nLength, DWORD dwMode) {
  // A docked bar asked for its own size answers with its fixed layout.
  if (nLength == -1 && !(dwMode & (LM_MRUWIDTH | LM_COMMIT)) && (dwMode & (LM_HORZDOCK | LM_VERTDOCK))) {
    return CalcFixedLayout((dwMode & LM_STRETCH) != 0, (dwMode & LM_HORZDOCK) != 0);
  }
  return CalcLayout(dwMode, nLength);
}

// --- idle and painting ---

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
  CToolCmdUI state;
  state.m_pOther = this;
  state.m_nIndexMax = static_cast<UINT>(SendMessage(TB_BUTTONCOUNT));
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
    TBBUTTON button;
    _GetButton(static_cast<int>(state.m_nIndex), &button);
    if (IsSeparator(button)) continue;
    state.m_nID = static_cast<UINT>(button.idCommand);
    // The toolbar's own update handlers first, then the frame's route.
    if (CWnd::OnCmdMsg(state.m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr)) continue;
    state.DoUpdate(pTarget, bDisableIfNoHndler);
  }
}

// The control draws the buttons into the paint DC, so a derived bar can draw over them.
void CToolBar::DoPaint(CDC* pDC) { DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(pDC->m_hDC), 0); }

// --- CToolCmdUI ---

void CToolCmdUI::Enable(BOOL bOn) {
  m_bEnableChanged = TRUE;
  auto* bar = static_cast<CToolBar*>(m_pOther);
  UINT style = bar->GetButtonStyle(static_cast<int>(m_nIndex)) & ~TBBS_DISABLED;
  if (!bOn) {
    style |= TBBS_DISABLED;
    style &= ~TBBS_PRESSED;  // a button that goes grey under the pointer does not stay down
  }
  bar->SetButtonStyle(static_cast<int>(m_nIndex), style);
}

void CToolCmdUI::SetCheck(int nCheck) {
  auto* bar = static_cast<CToolBar*>(m_pOther);
  UINT style = bar->GetButtonStyle(static_cast<int>(m_nIndex)) & ~(TBBS_CHECKED | TBBS_INDETERMINATE);
  if (nCheck == 1) style |= TBBS_CHECKED;
  if (nCheck == 2) style |= TBBS_INDETERMINATE;
  bar->SetButtonStyle(static_cast<int>(m_nIndex), style | TBBS_CHECKBOX);
}

void CToolCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

// The borders and the gripper are the bar's too: a press there drags it.
LRESULT CToolBar::OnNcHitTest(CPoint) { return HTCLIENT; }
