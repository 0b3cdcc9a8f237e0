// The resource objects of the software device: surfaces, textures and vertex
// and index buffers, all in plain memory (A8R8G8B8 words, rows width x 4 apart).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "compat/d3d9.h"

namespace compat::d3d9 {

// Largest side we accept for a surface or texture; products stay far from overflow.
constexpr UINT kMaxSurfaceSide = 16384;
// Largest vertex or index buffer.
constexpr UINT kMaxBufferBytes = 256u << 20;
constexpr int kMaxLevels = 15;

// COM reference counting shared by every object of the device.
template <class Interface>
class RefCounted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  std::atomic<ULONG> refs_{1};
};

class Texture;

// A 2-D array of A8R8G8B8 words. A texture level does not own its memory and
// shares its container's reference count, as the platform's child surfaces do.
class Surface final : public IDirect3DSurface9 {
 public:
  Surface(UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool);
  Surface(Texture* container, uint32_t* pixels, UINT width, UINT height, DWORD usage, D3DPOOL pool);

  HRESULT QueryInterface(REFIID, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }
  DWORD Usage() const { return usage_; }
  // The pixels, a deferred fill applied first, for a caller that may write
  // them: what the surface was known to hold is forgotten.
  uint32_t* Pixels() const {
    if (deferred_.load(std::memory_order_acquire)) ApplyDeferredFill();
    known_.store(false, std::memory_order_relaxed);
    return pixels_;
  }
  // The same for a caller that only reads them.
  const uint32_t* ReadPixels() const {
    if (deferred_.load(std::memory_order_acquire)) ApplyDeferredFill();
    return pixels_;
  }
  bool HasPixels() const { return pixels_ != nullptr; }

  // A clear put off until the pixels are next used: a draw that follows it
  // takes it and clears each band of rows just before drawing there, while
  // the rows are in the cache. Any other use of the pixels applies it first.
  // A fill covering the one already deferred replaces it. Only the part of
  // r that may hold another colour is filled (see MarkDrawn).
  void DeferFill(RECT r, uint32_t colour);
  // A draw changed pixels inside `bounds` only. While every write goes
  // through a draw or a clear, the surface knows a rectangle outside which
  // it holds one colour: a new surface is all 0, a clear of the whole
  // surface sets it, draws grow the rectangle, and any other write
  // (Pixels()) forgets it.
  void MarkDrawn(const RECT& bounds);
  // Hands over the deferred fill when it lies inside `within`; the caller
  // then applies it before anything reads or writes those pixels.
  bool TakeDeferredFill(const RECT& within, RECT& r, uint32_t& colour);
  // The pixels as they are, any deferred fill not applied: for the draw that took it.
  uint32_t* StoredPixels() const { return pixels_; }
  Texture* Container() const { return container_; }

 private:
  ~Surface() = default;
  friend class Texture;
  friend struct SurfaceDeleter;

  void ApplyDeferredFill() const;

  std::atomic<ULONG> refs_{1};
  // The deferred fill; the flag is read without the lock, set and cleared under it.
  mutable std::mutex fillMutex_;
  mutable std::atomic<bool> deferred_{false};
  RECT fillRect_{};
  uint32_t fillColour_ = 0;
  // While known_, every pixel outside dirty_ holds knownColour_ (once the
  // deferred fill is applied). Changed on the device's thread only, but
  // known_ is cleared by any thread taking the pixels to write.
  mutable std::atomic<bool> known_{true};
  uint32_t knownColour_ = 0;
  RECT dirty_{};
  Texture* container_ = nullptr;
  std::vector<uint32_t> storage_;
  uint32_t* pixels_ = nullptr;
  UINT width_, height_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
};

struct SurfaceDeleter {
  void operator()(Surface* s) const;
};

// A mip chain of A8R8G8B8 levels, each max(1, side >> level) large.
class Texture final : public RefCounted<IDirect3DTexture9> {
 public:
  Texture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  int Levels() const { return static_cast<int>(levels_.size()); }
  Surface* Level(int level) const { return surfaces_[level].get(); }
  D3DFORMAT Format() const { return format_; }

  // Number of levels of a full chain down to 1 x 1.
  static UINT FullChain(UINT width, UINT height);

 private:
  ~Texture() override = default;
  friend class RefCounted<IDirect3DTexture9>;

  std::vector<std::vector<uint32_t>> levels_;
  std::vector<std::unique_ptr<Surface, SurfaceDeleter>> surfaces_;
  D3DFORMAT format_;
};

// Bytes of a vertex or index buffer.
template <class Interface>
class Buffer final : public RefCounted<Interface> {
 public:
  Buffer(UINT length, DWORD usage, DWORD formatOrFvf)
      : bytes_(length), usage_(usage), format_(formatOrFvf) {}

  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT Unlock() override { return D3D_OK; }

  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }
  DWORD Format() const { return format_; }

 private:
  ~Buffer() override = default;
  friend class RefCounted<Interface>;

  std::vector<uint8_t> bytes_;
  DWORD usage_;
  DWORD format_;
};

using VertexBuffer = Buffer<IDirect3DVertexBuffer9>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer9>;

// The objects handed out are always ours; these recover the implementation.
inline Surface* AsSurface(IDirect3DSurface9* s) { return static_cast<Surface*>(s); }
inline Texture* AsTexture(IDirect3DBaseTexture9* t) { return static_cast<Texture*>(t); }
inline VertexBuffer* AsVertexBuffer(IDirect3DVertexBuffer9* b) { return static_cast<VertexBuffer*>(b); }
inline IndexBuffer* AsIndexBuffer(IDirect3DIndexBuffer9* b) { return static_cast<IndexBuffer*>(b); }

// Holds one reference for as long as it lives, as the device does for bound objects.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(nullptr); }
  void Reset(T* object) {
    if (object) object->AddRef();
    if (object_) object_->Release();
    object_ = object;
  }
  // Takes over a reference the caller already owns.
  void Adopt(T* object) {
    if (object_) object_->Release();
    object_ = object;
  }
  T* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

bool IsColourFormat(D3DFORMAT format);

}  // namespace compat::d3d9
