// The popup menu manager: converting popups to owner-drawn items and back,
// the frame's accelerator texts, measuring, drawing and mnemonics.
//
// Sections: construction · toolbars · the frame's messages · converting ·
// accelerator texts · measuring and drawing · mnemonics
#include "guitk/popup_menu_manager.h"

#include <algorithm>

#include "guitk/drawn_menu_draw.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_draw.h"
#include "guitk/toolbar_pictures.h"

IMPLEMENT_DYNAMIC(CPopupMenuManager, CSubclassWnd)

namespace {

constexpr int kImageGrowth = 10;
constexpr int kButtonPadding = 4;
constexpr int kCheckInset = 5;
constexpr int kMeasureExtra = 40;
constexpr UINT kFirstSystemCommand = 0xF000;
constexpr DWORD kEmbossRop = 0xB8074A;  // PSDPxax: the pattern where the source is black
constexpr COLORREF kThemedSelection = 0xBAE6FC;
constexpr COLORREF kSilverNearest = 0xC9BEBC;
constexpr int kRadioDiscSize = 4;

struct KeyRename {
  const char16_t* system;
  const char16_t* shown;
};
// The keypad names the system gives to the navigation keys.
constexpr KeyRename kKeyRenames[] = {{u"Num 7", u"Home"}, {u"Num 1", u"End"}, {u"Num 9", u"PgUp"},
                                     {u"Num 3", u"PgDn"}, {u"Num 0", u"Ins"}, {u"Num Del", u"Del"}};

CString KeyName(const ACCEL& accel) {
  if (!(accel.fVirt & FVIRTKEY)) return CString(static_cast<WCHAR>(accel.key));
  WCHAR name[64] = {};
  const UINT scan = MapVirtualKeyW(accel.key, 0);
  GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64);
  for (const KeyRename& rename : kKeyRenames) {
    if (wcscmp(name, rename.system) == 0) return rename.shown;
  }
  return name;
}

CString CaptionOf(HMENU menu, UINT position) {
  WCHAR text[512] = {};
  GetMenuStringW(menu, position, text, 512, MF_BYPOSITION);
  return text;
}

CString WithoutAccelerator(const CString& caption) {
  const int tab = caption.Find(u'\t');
  return tab < 0 ? caption : caption.Left(tab);
}

WCHAR MnemonicOf(const CString& caption) {
  for (int i = 0; i + 1 < caption.GetLength(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] != u'&') return static_cast<WCHAR>(towupper(caption[i + 1]));
    ++i;
  }
  return 0;
}

}  // namespace

// --- construction ---

CPopupMenuManager::CPopupMenuManager() { RedrawRadioDot(); }

CPopupMenuManager::~CPopupMenuManager() {
  RestoreAll();
  for (ItemRecord* record : m_records) delete record;
}

// The radio items' shared check bitmap becomes a white square with a black
// disc at its centre, which the drawing below lays over the selection.
void CPopupMenuManager::RedrawRadioDot() {
  HBITMAP dot = compat::afx::MenuRadioDot();
  BITMAP info{};
  if (!dot || !GetObjectW(dot, sizeof(info), &info)) return;
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, dot);
  RECT all{0, 0, info.bmWidth, info.bmHeight};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(BLACK_BRUSH));
  HGDIOBJ oldPen = SelectObject(memory, GetStockObject(BLACK_PEN));
  const int x = (info.bmWidth - kRadioDiscSize) / 2, y = (info.bmHeight - kRadioDiscSize) / 2;
  Ellipse(memory, x, y, x + kRadioDiscSize, y + kRadioDiscSize);
  SelectObject(memory, oldPen);
  SelectObject(memory, oldBrush);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void CPopupMenuManager::Install(CWnd* pFrame) {
  m_pFrame = pFrame;
  HookWindow(pFrame ? pFrame->m_hWnd : nullptr);
}

void CPopupMenuManager::Clear() {
  m_images.DeleteImageList();
  m_commandImages.clear();
  m_imageSize = m_buttonSize = CSize(0, 0);
  m_toolbarIds.clear();
  m_font.DeleteObject();
  m_accels.clear();
  m_accelLast.clear();
  m_haveAccels = false;
  m_hAccelSource = nullptr;
}

void CPopupMenuManager::Refresh() {
  const std::vector<UINT> toolbars = m_toolbarIds;
  Clear();
  for (UINT id : toolbars) LoadToolbar(id);
}

CFont* CPopupMenuManager::MenuFont() {
  if (!m_font.m_hObject) {
    LOGFONTW lf{};
    GetKitMenuFont()->GetLogFont(&lf);
    m_font.CreateFontIndirect(&lf);
  }
  return &m_font;
}

// --- toolbars ---

BOOL CPopupMenuManager::LoadToolbar(UINT nID) {
  CBitmap strip;
  if (!strip.Attach(KitLoadToolbarBitmap(nID))) return FALSE;
  KitToolbarResource toolbar;
  if (!KitReadToolbarResource(nID, &toolbar)) return FALSE;
  const CSize size(toolbar.imageWidth, toolbar.imageHeight);
  if (!m_images.GetSafeHandle()) {
    m_imageSize = size;
    m_buttonSize = CSize(size.cx + kButtonPadding, size.cy + kButtonPadding);
    if (!m_images.Create(size.cx, size.cy, ILC_COLOR32 | ILC_MASK, 0, kImageGrowth)) return FALSE;
  } else if (size != m_imageSize) {
    return FALSE;
  }
  int next = m_images.GetImageCount();
  if (m_images.Add(&strip, GetFaceColor(kKitStyleFlat)) < 0) return FALSE;
  for (WORD id : toolbar.ids) {
    if (id == 0) continue;
    auto it = m_commandImages.find(id);
    if (it == m_commandImages.end() || it->second < 0) m_commandImages[id] = next;
    ++next;
  }
  m_toolbarIds.push_back(nID);
  return TRUE;
}

int CPopupMenuManager::ImageOf(UINT nCommand) const {
  auto it = m_commandImages.find(static_cast<WORD>(nCommand));
  return it == m_commandImages.end() ? -1 : it->second;
}

// --- the frame's messages ---

LRESULT CPopupMenuManager::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MEASUREITEM:
      if (OnMeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (OnDrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam))) return TRUE;
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      Refresh();
      break;
    case WM_INITMENUPOPUP:
      CSubclassWnd::WindowProc(message, wParam, lParam);
      OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      break;
    case WM_MENUCHAR:
      if (LRESULT answer = OnMenuChar(LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(lParam))))
        return answer;
      break;
    default:
      break;
  }
  return CSubclassWnd::WindowProc(message, wParam, lParam);
}

void CPopupMenuManager::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
  if (!pPopupMenu) return;
  if (m_bShowAccelerators) {
    HACCEL table = FrameAccelerators();
    if (table != m_hAccelSource || !m_haveAccels) RebuildAccelerators(table);
  }
  ConvertMenu(pPopupMenu->m_hMenu, m_bShowImages, bSysMenu);
}

void CPopupMenuManager::OnMenuSelect(UINT, UINT nFlags, HMENU hSysMenu) {
  if (nFlags == 0xFFFF && !hSysMenu) RestoreAll();
}

// --- converting ---

CPopupMenuManager::ItemRecord* CPopupMenuManager::RecordOf(ULONG_PTR itemData) const {
  auto* record = reinterpret_cast<ItemRecord*>(itemData);
  return m_records.count(record) ? record : nullptr;
}

CString CPopupMenuManager::GetItemCaption(HMENU hMenu, UINT nPosition) const {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  if (!GetMenuItemInfoW(hMenu, nPosition, TRUE, &info)) return CString();
  const ItemRecord* record = RecordOf(info.dwItemData);
  return record ? record->caption : CString();
}

BOOL CPopupMenuManager::IsOwnRecord(ULONG_PTR itemData) const { return RecordOf(itemData) != nullptr; }

void CPopupMenuManager::ConvertMenu(HMENU hMenu, BOOL bConvert, BOOL bSysMenu) {
  const int count = GetMenuItemCount(hMenu);
  for (int i = 0; i < count; ++i) {
    const UINT position = static_cast<UINT>(i);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!GetMenuItemInfoW(hMenu, position, TRUE, &info)) continue;
    ItemRecord* record = RecordOf(info.dwItemData);
    if (info.dwItemData && !record) continue;  // another owner's item
    if (!bConvert) {
      if (!record) continue;
      MENUITEMINFOW back{};
      back.cbSize = sizeof(back);
      back.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
      back.fType = record->type;
      back.dwItemData = 0;
      back.dwTypeData = const_cast<LPWSTR>(static_cast<LPCWSTR>(record->original));
      SetMenuItemInfoW(hMenu, position, TRUE, &back);
      m_records.erase(record);
      delete record;
      continue;
    }
    if (bSysMenu && info.wID >= kFirstSystemCommand) continue;
    if (!record && !(info.fType & MFT_OWNERDRAW)) {
      record = new ItemRecord;
      m_records.insert(record);
      record->original = CaptionOf(hMenu, position);
      record->caption = record->original;
      record->type = info.fType;
      record->image = info.hSubMenu ? -1 : ImageOf(info.wID);
      MENUITEMINFOW drawn{};
      drawn.cbSize = sizeof(drawn);
      drawn.fMask = MIIM_FTYPE | MIIM_DATA;
      drawn.fType = info.fType | MFT_OWNERDRAW;
      drawn.dwItemData = reinterpret_cast<ULONG_PTR>(record);
      SetMenuItemInfoW(hMenu, position, TRUE, &drawn);
    }
    if (record && m_bShowAccelerators && m_haveAccels && !info.hSubMenu)
      record->caption = WithoutAccelerator(record->caption) + AcceleratorText(info.wID);
  }
  if (bConvert && std::find(m_converted.begin(), m_converted.end(), hMenu) == m_converted.end())
    m_converted.push_back(hMenu);
}

void CPopupMenuManager::RestoreAll() {
  std::vector<HMENU> converted;
  converted.swap(m_converted);
  for (HMENU menu : converted) {
    if (IsMenu(menu)) ConvertMenu(menu, FALSE, FALSE);
  }
}

// --- accelerator texts ---

HACCEL CPopupMenuManager::FrameAccelerators() const {
  auto* frame = dynamic_cast<CFrameWnd*>(m_pFrame);
  return frame ? frame->m_hAccelTable : nullptr;
}

void CPopupMenuManager::RebuildAccelerators(HACCEL table) {
  m_hAccelSource = table;
  m_accels.clear();
  m_accelLast.clear();
  m_haveAccels = false;
  const int count = table ? CopyAcceleratorTableW(table, nullptr, 0) : 0;
  if (count <= 0) return;
  std::vector<ACCEL> copy(static_cast<size_t>(count));
  copy.resize(static_cast<size_t>(std::max(0, CopyAcceleratorTableW(table, copy.data(), count))));
  for (size_t i = 0; i < copy.size(); ++i) {
    auto last = m_accelLast.find(copy[i].cmd);
    const int link = last == m_accelLast.end() ? 0 : static_cast<int>(i - last->second);
    m_accels.push_back(AccelEntry{copy[i].fVirt, copy[i].key, link});
    m_accelLast[copy[i].cmd] = i;
  }
  m_haveAccels = true;
}

CString CPopupMenuManager::AcceleratorText(UINT nCommand) {
  if (!m_haveAccels) RebuildAccelerators(FrameAccelerators());
  auto it = m_accelLast.find(static_cast<WORD>(nCommand));
  if (it == m_accelLast.end()) return CString();
  CString text;
  size_t index = it->second;
  for (bool first = true;; first = false) {
    const AccelEntry& entry = m_accels[index];
    text += first ? u"\t" : u", ";
    if (entry.flags & FALT) text += u"Alt+";
    if (entry.flags & FCONTROL) text += u"Ctrl+";
    if (entry.flags & FSHIFT) text += u"Shift+";
    text += KeyName(ACCEL{entry.flags, entry.key, 0});
    if (entry.link == 0) break;
    index -= static_cast<size_t>(entry.link);
  }
  return text;
}

// --- measuring and drawing ---

BOOL CPopupMenuManager::OnMeasureItem(LPMEASUREITEMSTRUCT mis) {
  if (!mis || mis->CtlType != ODT_MENU) return FALSE;
  ItemRecord* record = RecordOf(mis->itemData);
  if (!record) return FALSE;
  if (record->type & MFT_SEPARATOR) {
    mis->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU) / 2);
    mis->itemWidth = 0;
    return TRUE;
  }
  CWindowDC dc(nullptr);
  CFont* old = dc.SelectObject(MenuFont());
  CRect r(0, 0, 0, 0);
  dc.DrawText(record->caption, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS);
  dc.SelectObject(old);
  mis->itemHeight = static_cast<UINT>(std::max<int>(GetSystemMetrics(SM_CYMENU), r.Height()) + 2);
  mis->itemWidth = static_cast<UINT>(r.Width() + 2 * m_buttonSize.cx + kMeasureExtra - GetSystemMetrics(SM_CXMENUCHECK));
  return TRUE;
}

void CPopupMenuManager::DrawImage(CDC* pDC, int image, CPoint at, bool disabled) {
  if (!disabled) {
    m_images.Draw(pDC, image, at, ILD_TRANSPARENT);
    return;
  }
  if (m_bSystemDisabledLook) {
    HICON icon = ImageList_GetIcon(m_images.m_hImageList, image, ILD_TRANSPARENT);
    DrawStateW(pDC->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, at.x, at.y, 0, 0, DST_ICON | DSS_DISABLED);
    DestroyIcon(icon);
    return;
  }
  // Embossed: the picture black on white, laid down light and then dark.
  const int cx = m_imageSize.cx, cy = m_imageSize.cy;
  CDC colour;
  colour.CreateCompatibleDC(pDC);
  CBitmap colourBits;
  colourBits.CreateCompatibleBitmap(pDC, cx, cy);
  CBitmap* oldColour = colour.SelectObject(&colourBits);
  colour.FillSolidRect(0, 0, cx, cy, RGB(255, 255, 255));
  m_images.Draw(&colour, image, CPoint(0, 0), ILD_TRANSPARENT);
  CDC mask;
  mask.CreateCompatibleDC(pDC);
  CBitmap maskBits;
  if (m_bColorMask) maskBits.CreateCompatibleBitmap(pDC, cx, cy);
  else maskBits.CreateBitmap(cx, cy, 1, 1, nullptr);
  CBitmap* oldMask = mask.SelectObject(&maskBits);
  colour.SetBkColor(RGB(255, 255, 255));
  mask.BitBlt(0, 0, cx, cy, &colour, 0, 0, SRCCOPY);
  if (m_bColorMask) {
    // A colour mask keeps only pure white as white.
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx; ++x)
        if (mask.GetPixel(x, y) != RGB(255, 255, 255)) mask.SetPixelV(x, y, 0);
  }
  const COLORREF oldText = pDC->SetTextColor(RGB(0, 0, 0));
  const COLORREF oldBack = pDC->SetBkColor(RGB(255, 255, 255));
  CBrush light(GetSysColor(COLOR_3DHILIGHT)), dark(GetSysColor(COLOR_3DSHADOW));
  CBrush* oldBrush = pDC->SelectObject(&light);
  pDC->BitBlt(at.x + 1, at.y + 1, cx, cy, &mask, 0, 0, kEmbossRop);
  pDC->SelectObject(&dark);
  pDC->BitBlt(at.x, at.y, cx, cy, &mask, 0, 0, kEmbossRop);
  pDC->SelectObject(oldBrush);
  pDC->SetTextColor(oldText);
  pDC->SetBkColor(oldBack);
  mask.SelectObject(oldMask);
  colour.SelectObject(oldColour);
}

BOOL CPopupMenuManager::OnDrawItem(LPDRAWITEMSTRUCT dis) {
  if (!dis || dis->CtlType != ODT_MENU) return FALSE;
  ItemRecord* record = RecordOf(dis->itemData);
  if (!record) return FALSE;
  CDC* pDC = CDC::FromHandle(dis->hDC);
  const int saved = pDC->SaveDC();
  CRect r(dis->rcItem);
  const bool gradient = m_nDrawStyle == kKitStyleGradient;
  if (record->type & MFT_SEPARATOR) {
    pDC->FillSolidRect(&r, KitMenuBackColor());
    pDC->DrawEdge(&r, EDGE_ETCHED, BF_TOP);
    pDC->RestoreDC(saved);
    return TRUE;
  }
  const bool selected = (dis->itemState & ODS_SELECTED) != 0;
  const bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = (dis->itemState & ODS_CHECKED) != 0;
  const CRect column(r.left, r.top, r.left + m_buttonSize.cx + 4, r.bottom);
  if (gradient) KitFillHorizontalGradient(pDC, column, GetLightenedFaceColor(), GetFaceColor(kKitStyleGradient));
  else pDC->FillSolidRect(&column, KitMenuColumnColor());
  pDC->FillSolidRect(column.right, r.top, r.right - column.right, r.Height(), KitMenuBackColor());
  const COLORREF selection = (gradient && g_kitTheme) ? kThemedSelection : KitMenuSelectColor();
  if (selected && !disabled) {
    COLORREF frame = GetThemeBaseColor();
    if (gradient && GetNearestColor(pDC->m_hDC, GetThemeBaseColor()) == kSilverNearest) frame = GetShadowColor(kKitStyleGradient);
    KitFramedFill(pDC, r, selection, frame);
  }
  const CRect box(CPoint(r.left, r.top + (r.Height() - m_buttonSize.cy) / 2), m_buttonSize);
  if (checked) {
    CRect frameBox = box;
    frameBox.InflateRect(1, 1);
    pDC->FillSolidRect(&frameBox, selection);
    CBrush edge(GetThemeBaseColor());
    pDC->FrameRect(&frameBox, &edge);
    CRect mark = box;
    mark.DeflateRect(kCheckInset, kCheckInset);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoW(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, FALSE, &info);
    if (record->image < 0 && info.hbmpChecked) {
      CDC dot;
      dot.CreateCompatibleDC(pDC);
      BITMAP bits{};
      GetObjectW(info.hbmpChecked, sizeof(bits), &bits);
      HGDIOBJ old = SelectObject(dot.m_hDC, info.hbmpChecked);
      pDC->BitBlt(box.left + (box.Width() - bits.bmWidth) / 2, box.top + (box.Height() - bits.bmHeight) / 2, bits.bmWidth,
                  bits.bmHeight, &dot, 0, 0, SRCAND);
      SelectObject(dot.m_hDC, old);
    } else if (record->image < 0) {
      KitDrawCheckMark(pDC, mark);
    }
  }
  if (record->image >= 0 && m_images.GetSafeHandle()) {
    const CPoint at(box.left + (box.Width() - m_imageSize.cx) / 2, box.top + (box.Height() - m_imageSize.cy) / 2);
    DrawImage(pDC, record->image, at, disabled);
  }
  CRect text(column.right + 4, r.top, r.right - 12, r.bottom);
  pDC->SetBkMode(TRANSPARENT);
  CFont* oldFont = pDC->SelectObject(MenuFont());
  if (disabled) {
    CRect light = text;
    light.OffsetRect(1, 1);
    pDC->SetTextColor(GetSysColor(COLOR_3DHILIGHT));
    DrawMenuCaption(pDC, record->caption, light);
  }
  pDC->SetTextColor(GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  DrawMenuCaption(pDC, record->caption, text);
  pDC->SelectObject(oldFont);
  pDC->RestoreDC(saved);
  return TRUE;
}

// --- mnemonics ---

LRESULT CPopupMenuManager::OnMenuChar(UINT nChar, UINT, CMenu* pMenu) {
  if (!pMenu) return 0;
  const WCHAR wanted = static_cast<WCHAR>(towupper(static_cast<wint_t>(nChar)));
  std::vector<int> matches;
  int highlighted = -1;
  const int count = GetMenuItemCount(pMenu->m_hMenu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_STATE;
    GetMenuItemInfoW(pMenu->m_hMenu, static_cast<UINT>(i), TRUE, &info);
    if (info.fState & MFS_HILITE) highlighted = i;
    ItemRecord* record = RecordOf(info.dwItemData);
    if (record && MnemonicOf(record->caption) == wanted) matches.push_back(i);
  }
  if (matches.empty()) return 0;
  if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
  for (int position : matches) {
    if (position > highlighted) return MAKELRESULT(position, MNC_SELECT);
  }
  return MAKELRESULT(matches[0], MNC_SELECT);
}
