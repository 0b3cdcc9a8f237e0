// Every program template opens as a dialog window: each control is created
// with its class, and a picture of each dialog is written for a person to
// look at. Classes of controls the program does not have yet stand in as
// plain framed windows that show their class name.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "compat/host.h"
#include "compat/rc/res_decoder.h"
#include "compat/win32.h"
#include "controls/custom_controls.h"
#include "res/resource.h"
#include "program_resources.h"

namespace {

using restest::ResourceBytes;
using restest::kAllDialogs;

const char16_t* const kProgramClasses[] = {u"BmpBtnClass",    u"ColorIconCtrl",  u"ColorPalCtrl",  u"ColorBarCtrl",
                                           u"CSliderBarCtrl", u"CurverCtrl",     u"EditCtrl",      u"VaryColorBar",
                                           u"ImageListCtrl",  u"TLCurverCtrl",   u"CSliderCtrlBar", u"SysTabControl32"};

LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextW(dc, name, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(hwnd, &ps);
  return 0;
}

constexpr char16_t kHostClass[] = u"ResTestHost";

void RegisterStandIns() {
  // The program's own controls where they exist; framed stand-ins for the rest.
  controls::RegisterCustomControls(GetModuleHandleW(nullptr));
  WNDCLASSW host{};
  host.lpfnWndProc = DefWindowProcW;
  host.hInstance = GetModuleHandleW(nullptr);
  host.lpszClassName = kHostClass;
  host.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
  RegisterClassW(&host);
  for (const char16_t* name : kProgramClasses) {
    WNDCLASSW existing;
    if (GetClassInfoW(GetModuleHandleW(nullptr), name, &existing)) continue;
    WNDCLASSW wc{};
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
  }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(DialogWindows, EveryTemplateOpensWithEachControlOfItsClass) {
  compat::host::ResetDesktop(1024, 768);
  RegisterStandIns();
  // Child templates open inside a plain frame, as the program hosts them.
  HWND host = CreateWindowExW(0, kHostClass, u"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 700,
                              700, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  for (UINT id : kAllDialogs) {
    const auto decoded = rctest::DecodeDialog(ResourceBytes(id, RT_DIALOG));
    ASSERT_TRUE(decoded.has_value()) << id;
    const bool child = (decoded->style & WS_CHILD) != 0;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), child ? host : nullptr,
                                     QuietDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "template " << id;
    for (const auto& item : decoded->items) {
      if (item.id == 0xFFFF) continue;  // labels share one id
      HWND control = GetDlgItem(dialog, item.id);
      ASSERT_NE(control, nullptr) << id << " control " << item.id;
      if (!item.windowClass.isId) {
        WCHAR name[64] = {};
        GetClassNameW(control, name, 64);
        EXPECT_EQ(std::u16string(name), item.windowClass.name) << id << " control " << item.id;
      }
    }
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    Pump();
    RECT r;
    GetWindowRect(dialog, &r);
    const std::string path = std::string(CALVETTA_RES_PNG_DIR) + "/dialog_" + std::to_string(id) + ".png";
    EXPECT_TRUE(compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &r, path)) << path;
    DestroyWindow(dialog);
  }
  DestroyWindow(host);
}

TEST(DialogWindows, DialogUnitsOfTheProgramFontGiveTheStatedPixels) {
  RegisterStandIns();
  HWND slider = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EDIT_SLIDER), nullptr,
                                   QuietDialogProc, 0);
  ASSERT_NE(slider, nullptr);
  RECT client;
  GetClientRect(slider, &client);
  EXPECT_EQ(client.right, 126);  // 84 x 11 units
  EXPECT_EQ(client.bottom, 18);
  DestroyWindow(slider);
}

namespace {

HHOOK g_menuHook = nullptr;
std::string g_menuPng;
int g_filtered = 0;

// Inside the menu loop: once the popup has drawn, take the picture and close.
LRESULT CALLBACK PictureMenuHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_MENU && ++g_filtered == 2) {
    compat::host::WriteDesktopPng(g_menuPng);
    EndMenu();
  }
  return CallNextHookEx(g_menuHook, code, wParam, lParam);
}

}  // namespace

TEST(DialogWindows, EveryMenuOpensAndIsPictured) {
  compat::host::ResetDesktop(1024, 768);
  RegisterStandIns();
  HWND owner = CreateWindowExW(0, kHostClass, u"Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  SetForegroundWindow(owner);
  g_menuHook = SetWindowsHookExW(WH_MSGFILTER, PictureMenuHook, nullptr, GetCurrentThreadId());
  const UINT menus[] = {IDR_MAINFRAME, IDR_LINE_POINT_MENU, IDR_IMAGE_MENU, IDR_CURVE_KIND_MENU,
                        IDR_TIMELINE_POINT_MENU, IDR_SWATCH_MENU};
  for (UINT id : menus) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(menu, nullptr) << id;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      HMENU popup = GetSubMenu(menu, i);
      ASSERT_NE(popup, nullptr) << id;
      g_menuPng = std::string(CALVETTA_RES_PNG_DIR) + "/menu_" + std::to_string(id) + "_" + std::to_string(i) + ".png";
      g_filtered = 0;
      for (int k = 0; k < 4; ++k) PostMessageW(owner, WM_NULL, 0, 0);
      TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY, 40 + 40 * i, 40, 0, owner, nullptr);
      EXPECT_GE(g_filtered, 2) << id << " popup " << i;
    }
    DestroyMenu(menu);
  }
  UnhookWindowsHookEx(g_menuHook);
  DestroyWindow(owner);
}

TEST(DialogWindows, EveryPictureIsDrawnForAPersonToSee) {
  compat::host::ResetDesktop(1024, 768);
  RegisterStandIns();
  HWND board = CreateWindowExW(0, kHostClass, u"Pictures", WS_POPUP | WS_VISIBLE, 0, 0, 700, 300, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(board, nullptr);
  UpdateWindow(board);
  HDC dc = GetDC(board);
  const UINT bitmaps[] = {IDR_MAINFRAME,         IDB_CAPTION_GLYPHS,      IDB_FRAME_GLYPHS,     IDB_ALPHA_TRACK,
                          IDB_TIMELINE_REMOVE_POINT, IDB_TIMELINE_RESET_POINTS, IDB_TIMELINE_PLAY, IDB_TIMELINE_STOP,
                          IDB_TIMELINE_FIRST,    IDB_TIMELINE_PREVIOUS,   IDB_TIMELINE_NEXT,    IDB_TIMELINE_LAST,
                          IDB_TIMELINE_LOOP,     IDB_TIMELINE_MESH,       IDB_LIST_INSERT,      IDB_LIST_INSERT_DOWN,
                          IDB_LIST_DELETE,       IDB_LIST_DELETE_DOWN,    IDB_LIST_UP,          IDB_LIST_UP_DOWN,
                          IDB_LIST_DOWN,         IDB_LIST_DOWN_DOWN,      IDB_LIST_BROWSE,      IDB_LIST_BROWSE_DOWN};
  int x = 8, y = 8, rowHeight = 0;
  for (UINT id : bitmaps) {
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(bitmap, nullptr) << id;
    BITMAP info;
    GetObjectW(bitmap, sizeof info, &info);
    if (x + info.bmWidth * 2 > 690) {
      x = 8;
      y += rowHeight + 8;
      rowHeight = 0;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    StretchBlt(dc, x, y, info.bmWidth * 2, info.bmHeight * 2, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    x += info.bmWidth * 2 + 8;
    rowHeight = std::max(rowHeight, static_cast<int>(info.bmHeight) * 2);
  }
  x = 8;
  y += rowHeight + 16;
  for (UINT id : {IDC_FILL_DRAG, IDC_DROP_ACCEPTED, IDC_DROP_REFUSED, IDC_POINT_DELETE, IDC_LINE_MOVE, IDC_ROTATE,
                  IDC_SEGMENT}) {
    HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(cursor, nullptr) << id;
    DrawIconEx(dc, x, y, cursor, 0, 0, 0, nullptr, DI_NORMAL);
    x += 72;
  }
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(icon, nullptr);
  DrawIconEx(dc, x, y, icon, 48, 48, 0, nullptr, DI_NORMAL);
  ReleaseDC(board, dc);
  RECT r;
  GetWindowRect(board, &r);
  EXPECT_TRUE(compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &r,
                                            std::string(CALVETTA_RES_PNG_DIR) + "/pictures.png"));
  DestroyWindow(board);
}
