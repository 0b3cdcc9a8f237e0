// Surfaces, textures and buffers of the software device: plain memory with
// the platform's descriptions, locks and reference counts.
#include <algorithm>
#include <atomic>

#include "compat/d3d9/fill.h"
#include "compat/d3d9/objects.h"

namespace compat::d3d9 {

bool IsColourFormat(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

namespace {

// Pixel memory of successive surfaces and levels starts at different offsets
// within a page: large blocks otherwise all begin at the same offset, and a
// texel read at (x, y) then seems to the processor to depend on the pixel just
// written at (x, y) of a target of the same pitch (addresses alike in their low
// twelve bits), which stalls the read until the write is done.
constexpr size_t kStaggerWords = 272;  // 1088 bytes: a page offset that cycles through all cache-line slots
constexpr size_t kPageWords = 1024;
std::atomic<size_t> g_staggerSlot{0};

size_t NextStagger() { return (g_staggerSlot.fetch_add(1, std::memory_order_relaxed) * kStaggerWords) % kPageWords; }

// A lock rectangle must lie inside the surface and be non-empty.
bool RectInside(const RECT& r, UINT width, UINT height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         static_cast<UINT>(r.right) <= width && static_cast<UINT>(r.bottom) <= height;
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Intersection(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// The smallest rectangle holding both (an empty one adds nothing).
RECT Union(const RECT& a, const RECT& b) {
  if (Empty(a)) return b;
  if (Empty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// Every point of `inner` lies in `outer` (an empty one lies anywhere).
bool Contains(const RECT& outer, const RECT& inner) {
  if (Empty(inner)) return true;
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

// --- Surface ---

Surface::Surface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool)
    : width_(width), height_(height), format_(format), usage_(usage), pool_(pool) {
  if (IsColourFormat(format)) {
    size_t stagger = NextStagger();
    storage_.assign(static_cast<size_t>(width) * height + stagger, 0u);
    pixels_ = storage_.data() + stagger;
  }
}

Surface::Surface(Texture* container, uint32_t* pixels, UINT width, UINT height, DWORD usage, D3DPOOL pool)
    : container_(container), pixels_(pixels), width_(width), height_(height),
      format_(container->Format()), usage_(usage), pool_(pool) {}

void SurfaceDeleter::operator()(Surface* s) const { delete s; }

HRESULT Surface::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
  if (container_) return container_->AddRef();
  return ++refs_;
}

ULONG Surface::Release() {
  if (container_) return container_->Release();
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = D3DSURFACE_DESC{format_, D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0, width_, height_};
  return D3D_OK;
}

void Surface::ApplyDeferredFill() const {
  std::lock_guard<std::mutex> lock(fillMutex_);
  if (!deferred_.load(std::memory_order_relaxed)) return;  // another thread applied it
  FillAreaAcrossWorkers(pixels_, width_, fillRect_, fillColour_);
  deferred_.store(false, std::memory_order_release);
}

void Surface::DeferFill(RECT r, uint32_t colour) {
  if (!pixels_ || Empty(r)) return;
  const RECT whole{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (known_.load(std::memory_order_relaxed) && colour == knownColour_) {
    // Outside dirty_ the pixels hold the colour already.
    const RECT stale = dirty_;
    if (Contains(r, stale)) dirty_ = RECT{};
    r = Intersection(r, stale);
    if (Empty(r)) return;
  } else if (Contains(r, whole)) {
    known_.store(true, std::memory_order_relaxed);
    knownColour_ = colour;
    dirty_ = RECT{};
  } else {
    dirty_ = Union(dirty_, r);
  }
  if (deferred_.load(std::memory_order_acquire) && !Contains(r, fillRect_)) ApplyDeferredFill();
  std::lock_guard<std::mutex> lock(fillMutex_);
  fillRect_ = r;
  fillColour_ = colour;
  deferred_.store(true, std::memory_order_release);
}

void Surface::MarkDrawn(const RECT& bounds) {
  if (!Empty(bounds)) dirty_ = Union(dirty_, bounds);
}

bool Surface::TakeDeferredFill(const RECT& within, RECT& r, uint32_t& colour) {
  if (!deferred_.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> lock(fillMutex_);
  if (!deferred_.load(std::memory_order_relaxed) || !Contains(within, fillRect_)) return false;
  r = fillRect_;
  colour = fillColour_;
  deferred_.store(false, std::memory_order_relaxed);
  return true;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || !pixels_) return D3DERR_INVALIDCALL;
  size_t offset = 0;
  if (rect) {
    if (!RectInside(*rect, width_, height_)) return D3DERR_INVALIDCALL;
    offset = static_cast<size_t>(rect->top) * width_ + static_cast<size_t>(rect->left);
  }
  locked->Pitch = static_cast<INT>(width_ * 4);
  locked->pBits = Pixels() + offset;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() { return pixels_ ? D3D_OK : D3DERR_INVALIDCALL; }

// --- Texture ---

UINT Texture::FullChain(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(1u, width >> 1);
    height = std::max(1u, height >> 1);
    ++levels;
  }
  return levels;
}

Texture::Texture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : format_(format) {
  levels_.resize(levels);
  for (UINT i = 0; i < levels; ++i) {
    UINT w = std::max(1u, width >> i), h = std::max(1u, height >> i);
    size_t stagger = NextStagger();
    levels_[i].assign(static_cast<size_t>(w) * h + stagger, 0u);
    surfaces_.emplace_back(new Surface(this, levels_[i].data() + stagger, w, h, usage, pool));
  }
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels_.size() || !desc) return D3DERR_INVALIDCALL;
  return surfaces_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  AddRef();
  *surface = surfaces_[level].get();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return surfaces_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  return level < levels_.size() ? D3D_OK : D3DERR_INVALIDCALL;
}

// --- Buffers ---

template <class Interface>
HRESULT Buffer<Interface>::Lock(UINT offset, UINT size, void** data, DWORD) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  if (offset > bytes_.size()) return D3DERR_INVALIDCALL;
  if (size != 0 && static_cast<uint64_t>(offset) + size > bytes_.size()) return D3DERR_INVALIDCALL;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

template class Buffer<IDirect3DVertexBuffer9>;
template class Buffer<IDirect3DIndexBuffer9>;

}  // namespace compat::d3d9
