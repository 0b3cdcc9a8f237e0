// The Direct3D 9 object: display mode and device creation. Any creation
// flags are accepted; the device is never a "pure" one, so its states read back.
#include <atomic>

#include "compat/d3d9/device.h"
#include "compat/d3d9_present.h"

namespace compat::d3d9 {

namespace {

std::atomic<UINT> g_displayWidth{1024}, g_displayHeight{768};

class Direct3D final : public RefCounted<IDirect3D9> {
 public:
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
    *mode = D3DDISPLAYMODE{g_displayWidth.load(), g_displayHeight.load(), 60, D3DFMT_X8R8G8B8};
    return D3D_OK;
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != D3DADAPTER_DEFAULT || !params) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS pp = *params;
    // A zero size means the window's size; the display size stands in for it.
    if (pp.BackBufferWidth == 0) pp.BackBufferWidth = g_displayWidth.load();
    if (pp.BackBufferHeight == 0) pp.BackBufferHeight = g_displayHeight.load();
    if (pp.BackBufferFormat == D3DFMT_UNKNOWN) pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    if (pp.BackBufferWidth > kMaxSurfaceSide || pp.BackBufferHeight > kMaxSurfaceSide ||
        !IsColourFormat(pp.BackBufferFormat))
      return D3DERR_INVALIDCALL;
    if (pp.BackBufferCount == 0) pp.BackBufferCount = 1;
    *params = pp;
    try {
      *device = new Device(this, focusWindow, pp);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return D3D_OK;
  }

 private:
  ~Direct3D() override = default;
  friend class RefCounted<IDirect3D9>;
};

}  // namespace

}  // namespace compat::d3d9

IDirect3D9* Direct3DCreate9(UINT) {
  try {
    return new compat::d3d9::Direct3D;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace compat {

void SetD3DDisplaySize(UINT width, UINT height) {
  if (width == 0 || height == 0) return;
  d3d9::g_displayWidth.store(width);
  d3d9::g_displayHeight.store(height);
}

}  // namespace compat
