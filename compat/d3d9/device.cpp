// Device creation, render targets, viewport and the state tables. States
// persist exactly as last set; the device never resets them between passes.
#include "compat/d3d9/device.h"

#include <algorithm>
#include <cstring>

namespace compat::d3d9 {

namespace {

D3DMATRIX Identity() {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

}  // namespace

Device::Device(IDirect3D9* factory, HWND window, const D3DPRESENT_PARAMETERS& params)
    : window_(window), params_(params) {
  factory_.Reset(factory);
  backBuffer_.Adopt(new Surface(params.BackBufferWidth, params.BackBufferHeight, params.BackBufferFormat,
                                D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT));
  renderTarget_.Reset(backBuffer_.Get());
  if (params.EnableAutoDepthStencil) {
    autoDepthStencil_.Adopt(new Surface(params.BackBufferWidth, params.BackBufferHeight,
                                        params.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT));
    depthStencil_.Reset(autoDepthStencil_.Get());
  }
  viewport_ = D3DVIEWPORT9{0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
  world_ = view_ = projection_ = Identity();
  SetDefaultStates();
}

void Device::SetDefaultStates() {
  DWORD* rs = renderStates_;
  rs[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = 4;      // LESSEQUAL
  rs[D3DRS_ALPHAFUNC] = 8;  // ALWAYS
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
  for (int s = 0; s < kMaxTextureStages; ++s) {
    DWORD* ts = stageStates_[s];
    ts[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
    ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  for (auto& ss : samplerStates_) {
    ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    ss[D3DSAMP_MAXANISOTROPY] = 1;
  }
}

// --- targets ---

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (index != 0 || !surface || !AsSurface(surface)->HasPixels()) return D3DERR_INVALIDCALL;
  renderTarget_.Reset(surface);
  // Setting render target 0 makes the viewport the whole new target.
  Surface* s = AsSurface(surface);
  viewport_ = D3DVIEWPORT9{0, 0, s->Width(), s->Height(), 0.0f, 1.0f};
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (index != 0) return D3DERR_NOTFOUND;
  if (!renderTarget_) return D3DERR_NOTFOUND;
  *surface = renderTarget_.Get();
  (*surface)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  depthStencil_.Reset(surface);
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = depthStencil_.Get();
  if (!*surface) return D3DERR_NOTFOUND;
  (*surface)->AddRef();
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
  *surface = backBuffer_.Get();
  (*surface)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

RECT Device::ViewportClip() const {
  Surface* target = AsSurface(renderTarget_.Get());
  int64_t right = std::min<int64_t>(int64_t{viewport_.X} + viewport_.Width, target->Width());
  int64_t bottom = std::min<int64_t>(int64_t{viewport_.Y} + viewport_.Height, target->Height());
  RECT clip;
  clip.left = static_cast<LONG>(std::min<int64_t>(viewport_.X, right));
  clip.top = static_cast<LONG>(std::min<int64_t>(viewport_.Y, bottom));
  clip.right = static_cast<LONG>(right);
  clip.bottom = static_cast<LONG>(bottom);
  return clip;
}

// --- states ---

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= kRenderStateCount) return D3DERR_INVALIDCALL;
  renderStates_[state] = value;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (state >= kRenderStateCount || !value) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kMaxTextureStages || type >= kStageStateCount) return D3DERR_INVALIDCALL;
  stageStates_[stage][type] = value;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (stage >= kMaxTextureStages || type >= kStageStateCount || !value) return D3DERR_INVALIDCALL;
  *value = stageStates_[stage][type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= kSamplerCount || type >= kSamplerStateCount) return D3DERR_INVALIDCALL;
  samplerStates_[sampler][type] = value;
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (sampler >= kSamplerCount || type >= kSamplerStateCount || !value) return D3DERR_INVALIDCALL;
  *value = samplerStates_[sampler][type];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  textures_[stage].Reset(texture);
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  switch (state) {
    case D3DTS_WORLD: world_ = *matrix; return D3D_OK;
    case D3DTS_VIEW: view_ = *matrix; return D3D_OK;
    case D3DTS_PROJECTION: projection_ = *matrix; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
  }
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  switch (state) {
    case D3DTS_WORLD: *matrix = world_; return D3D_OK;
    case D3DTS_VIEW: *matrix = view_; return D3D_OK;
    case D3DTS_PROJECTION: *matrix = projection_; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
  }
}

// Lighting is never visible in the passes drawn: the material is kept only.
HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  material_ = *material;
  return D3D_OK;
}

// Fixed function only: null is the one shader accepted.
HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) { return shader ? D3DERR_INVALIDCALL : D3D_OK; }
HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) { return shader ? D3DERR_INVALIDCALL : D3D_OK; }

HRESULT Device::SetFVF(DWORD fvf) {
  fvf_ = fvf;
  return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
  if (!fvf) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (stream != 0) return D3DERR_INVALIDCALL;
  stream_.Reset(buffer);
  streamOffset_ = offset;
  streamStride_ = stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
  indices_.Reset(buffer);
  return D3D_OK;
}

// Scenes are not checked for pairing: the program closes scenes it never opened.
HRESULT Device::BeginScene() { return D3D_OK; }
HRESULT Device::EndScene() { return D3D_OK; }

}  // namespace compat::d3d9
