// A presented back buffer lands in the window's client area on the desktop.
#include <gtest/gtest.h>

#include "compat/d3d9.h"
#include "compat/d3d9_present.h"
#include "compat/host.h"
#include "compat/win32.h"
#include "compat/win32/window_present.h"

namespace {

uint32_t DesktopPixel(int x, int y) { return compat::host::DesktopSurface()->Row(y)[x] & 0xFFFFFF; }

TEST(PresentToWindow, TheBackBufferRegionAppearsInTheClientArea) {
  compat::ResetDesktop();
  compat::SetD3DPresentTarget(&compat::PresentToWindow);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"PresentTestWindow";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, u"PresentTestWindow", u"", WS_POPUP | WS_VISIBLE, 40, 30, 64, 48, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 128;
  pp.BackBufferHeight = 96;
  pp.BackBufferFormat = D3DFMT_A8R8G8B8;
  pp.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0), D3D_OK);
  const RECT region = {0, 0, 64, 48};
  ASSERT_EQ(device->Present(&region, &region, window, nullptr), D3D_OK);
  EXPECT_EQ(DesktopPixel(40, 30), 0x336699u);
  EXPECT_EQ(DesktopPixel(40 + 63, 30 + 47), 0x336699u);
  EXPECT_NE(DesktopPixel(40 + 64, 30 + 48), 0x336699u);  // nothing outside the window
  device->Release();
  d3d->Release();
  DestroyWindow(window);
}

}  // namespace
