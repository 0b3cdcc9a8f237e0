// Device start-up and release, the shared vertex and index buffers, and the
// two draws every pass uses: a picture quad and a mesh.
#include "render/d3d_renderer.h"
#include "render/text_overlay.h"

#include <algorithm>
#include <cmath>

#include "compat/afx/wnd.h"
#include "compat/d3dx9.h"
#include "compat/win32/message_box.h"
#include "render/shape_base.h"

namespace {

CD3DMeshRenderer* g_renderer = nullptr;
CD3DMeshRenderer* g_fillRenderer = nullptr;

constexpr float kVertexZ = 0.9f;
constexpr DWORD kPreferredDeviceFlags = 0x56;  // hardware, pure, multithreaded, FPU-preserving
constexpr DWORD kFallbackDeviceFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;

template <class T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

CRendererVertex MakeVertex(float x, float y, DWORD diffuse, float u0, float v0, float u1, float v1) {
  return CRendererVertex{x, y, kVertexZ, 1.0f, diffuse, u0, v0, u1, v1};
}

}  // namespace

CD3DRenderer::~CD3DRenderer() { Release(); }

HWND CD3DRenderer::WindowHandle() const { return m_window ? m_window->GetSafeHwnd() : nullptr; }

HRESULT CD3DRenderer::Init(CWnd* window) {
  Release();
  m_window = window;
  m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!m_d3d) return E_FAIL;
  D3DDISPLAYMODE mode;
  if (FAILED(m_d3d->GetAdapterDisplayMode(0, &mode))) return E_FAIL;

  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = m_backWidth;
  params.BackBufferHeight = m_backHeight;
  params.BackBufferFormat = D3DFMT_A8R8G8B8;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = WindowHandle();
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D24S8;
  params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  if (FAILED(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, WindowHandle(), kPreferredDeviceFlags, &params, &m_device)) &&
      FAILED(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, WindowHandle(), kFallbackDeviceFlags, &params, &m_device)))
    return E_FAIL;

  m_vertexCapacity = kInitialVertexCapacity;
  m_indexCapacity = kInitialIndexCapacity;
  if (FAILED(m_device->CreateVertexBuffer(m_vertexCapacity * sizeof(CRendererVertex),
                                          D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRendererFvf, D3DPOOL_DEFAULT,
                                          &m_vertexBuffer, nullptr)))
    return E_FAIL;
  if (FAILED(m_device->CreateIndexBuffer(m_indexCapacity * sizeof(WORD), 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                         &m_indexBuffer, nullptr)))
    return E_FAIL;
  // Without the grab surfaces no export frame could be read back.
  if (!CreateGrabSurfaces()) return E_FAIL;
  CreateNamedSlots();
  return 0;
}

BOOL CD3DRenderer::CreateGrabSurfaces() {
  ReleaseGrabSurfaces();
  if (!m_device) return FALSE;
  m_device->CreateOffscreenPlainSurface(m_outputWidth, m_outputHeight, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                        &m_systemSurface, nullptr);
  m_device->CreateRenderTarget(m_outputWidth, m_outputHeight, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                               &m_renderSurface, nullptr);
  return m_systemSurface && m_renderSurface;
}

void CD3DRenderer::ReleaseGrabSurfaces() {
  ReleaseAndClear(m_systemSurface);
  ReleaseAndClear(m_renderSurface);
}

void CD3DRenderer::Release() {
  DeleteNamedSlots();
  ReleaseGrabSurfaces();
  if (m_device) {
    // The device keeps references to what is bound; let them go first.
    m_device->SetStreamSource(0, nullptr, 0, 0);
    m_device->SetIndices(nullptr);
    m_device->SetTexture(0, nullptr);
    m_device->SetTexture(1, nullptr);
  }
  ReleaseAndClear(m_vertexBuffer);
  ReleaseAndClear(m_indexBuffer);
  ReleaseAndClear(m_device);
  ReleaseAndClear(m_d3d);
}

void CD3DRenderer::SetTransforms() {
  if (!m_device) return;
  D3DXMATRIX world, view, projection;
  D3DXMatrixIdentity(&world);
  const D3DXVECTOR3 eye{0.0f, 0.0f, -2000.0f}, at{0.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, static_cast<float>(M_PI) / 4.0f,
                             static_cast<float>(m_backWidth) / static_cast<float>(m_backHeight), 1.0f, 3000.0f);
  m_device->SetTransform(D3DTS_WORLD, &world);
  m_device->SetTransform(D3DTS_VIEW, &view);
  m_device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DVIEWPORT9 viewport{0, 0, static_cast<DWORD>(m_backWidth), static_cast<DWORD>(m_backHeight), 0.0f, 1.0f};
  m_device->SetViewport(&viewport);
}

BOOL CD3DRenderer::EnsureVertexCapacity(int vertices) {
  if (vertices <= m_vertexCapacity && m_vertexBuffer) return TRUE;
  IDirect3DVertexBuffer9* grown = nullptr;
  if (!m_device || FAILED(m_device->CreateVertexBuffer(static_cast<UINT>(vertices) * sizeof(CRendererVertex), 0,
                                                       kRendererFvf, D3DPOOL_DEFAULT, &grown, nullptr))) {
    MessageBoxW(WindowHandle(), u"Create Vertex buffer fail!", nullptr, MB_OK);
    return FALSE;
  }
  ReleaseAndClear(m_vertexBuffer);
  m_vertexBuffer = grown;
  m_vertexCapacity = vertices;
  return TRUE;
}

BOOL CD3DRenderer::EnsureIndexCapacity(int indices) {
  if (indices <= m_indexCapacity && m_indexBuffer) return TRUE;
  IDirect3DIndexBuffer9* grown = nullptr;
  if (!m_device || FAILED(m_device->CreateIndexBuffer(static_cast<UINT>(indices) * sizeof(WORD), 0, D3DFMT_INDEX16,
                                                      D3DPOOL_DEFAULT, &grown, nullptr))) {
    MessageBoxW(WindowHandle(), u"Create Index buffer fail!", nullptr, MB_OK);
    return FALSE;
  }
  ReleaseAndClear(m_indexBuffer);
  m_indexBuffer = grown;
  m_indexCapacity = indices;
  return TRUE;
}

void CD3DRenderer::DrawTextureQuad(IDirect3DTexture9* texture, const RECT& picture, SIZE textureSize,
                                   const RECT& dest, float alpha, DWORD colour) {
  if (!m_device || !m_vertexBuffer || !m_indexBuffer || textureSize.cx < 1 || textureSize.cy < 1) return;
  const float umax = static_cast<float>(picture.right - picture.left) / static_cast<float>(textureSize.cx);
  const float vmax = static_cast<float>(picture.bottom - picture.top) / static_cast<float>(textureSize.cy);
  const float left = static_cast<float>(dest.left) - 0.5f, right = static_cast<float>(dest.right) - 0.5f;
  const float top = static_cast<float>(dest.top) - 0.5f, bottom = static_cast<float>(dest.bottom) - 0.5f;
  const DWORD alphaByte = static_cast<DWORD>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f);
  const DWORD diffuse = (colour & 0x00FFFFFF) | (alphaByte << 24);

  CRendererVertex* vertices = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0))) return;
  vertices[0] = MakeVertex(left, top, diffuse, 0.0f, 0.0f, 0.0f, 0.0f);
  vertices[1] = MakeVertex(left, bottom, diffuse, 0.0f, vmax, 0.0f, 1.0f);
  vertices[2] = MakeVertex(right, bottom, diffuse, umax, vmax, 1.0f, 1.0f);
  vertices[3] = MakeVertex(right, top, diffuse, umax, 0.0f, 1.0f, 0.0f);
  m_vertexBuffer->Unlock();
  WORD* indices = nullptr;
  if (FAILED(m_indexBuffer->Lock(0, 0, reinterpret_cast<void**>(&indices), 0))) return;
  const WORD quad[6] = {0, 1, 2, 2, 3, 0};
  std::copy(quad, quad + 6, indices);
  m_indexBuffer->Unlock();

  m_device->SetTexture(0, texture);
  m_device->SetIndices(m_indexBuffer);
  // Selected here too: an effect may have left another format behind.
  m_device->SetFVF(kRendererFvf);
  m_device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(CRendererVertex));
  m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
}

CRendererVertex* CD3DRenderer::LockMeshVertices(const CShapeBase* mesh, int indicesPerTriangle) {
  if (!m_device || !mesh || mesh->m_vertexCount < 1 || mesh->m_triangleCount < 1) return nullptr;
  if (!EnsureVertexCapacity(mesh->m_vertexCount)) return nullptr;
  const int64_t room = int64_t{mesh->m_triangleCount} * indicesPerTriangle;
  if (room > INT32_MAX || !EnsureIndexCapacity(static_cast<int>(room))) return nullptr;
  CRendererVertex* vertices = nullptr;
  if (FAILED(m_vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0))) return nullptr;
  return vertices;
}

void CD3DRenderer::DrawLockedMesh(const CShapeBase* mesh) {
  m_vertexBuffer->Unlock();
  WORD* indices = nullptr;
  if (FAILED(m_indexBuffer->Lock(0, 0, reinterpret_cast<void**>(&indices), 0))) {
    MessageBoxW(WindowHandle(), u"lock Index buffer fail!", nullptr, MB_OK);
    return;
  }
  std::copy(mesh->m_indices, mesh->m_indices + int64_t{mesh->m_triangleCount} * 3, indices);
  m_indexBuffer->Unlock();

  m_device->SetIndices(m_indexBuffer);
  m_device->SetFVF(kRendererFvf);
  m_device->SetStreamSource(0, m_vertexBuffer, 0, sizeof(CRendererVertex));
  m_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh->m_vertexCount, 0, mesh->m_triangleCount);
}

void CD3DRenderer::DrawMesh(const CShapeBase* mesh, const DWORD* colour) {
  CRendererVertex* vertices = LockMeshVertices(mesh, 3);
  if (!vertices) return;
  for (int i = 0; i < mesh->m_vertexCount; ++i) {
    const CRenderVertex& v = mesh->m_vertices[i];
    vertices[i] = MakeVertex(v.x - 0.5f, v.y - 0.5f, colour ? *colour : v.diffuse, v.u, v.v, 0.0f, 0.0f);
  }
  DrawLockedMesh(mesh);
}

CD3DMeshRenderer* GetRenderer() { return g_renderer; }
void SetRenderer(CD3DMeshRenderer* renderer) { g_renderer = renderer; }
void SetFillRenderer(CD3DMeshRenderer* renderer) { g_fillRenderer = renderer; }
CD3DMeshRenderer* GetFillRenderer() { return g_fillRenderer; }
