// One frame of a pair: the morph position from the timing curve, the warped
// cross-dissolve on the interpolated mesh, fades, the pair's pictures and
// its in and out effects; and the export's grabs of a frame under the
// render lock.
#include "render/frame_render.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "compat/d3d9_present.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "model/mesh/triangle_mesh.h"
#include "render/d3d_renderer.h"
#include "render/pair_pictures.h"
#include "render/shape_base.h"

namespace {

constexpr float kCurveScale = 1.0f / 256.0f;
const char16_t kWipeName[] = u"Wipe";

// Each vertex takes the position of the feature point it was made from.
void CopyPositions(const CFeatureLineArray& lines, const CMorphPair& pair, CShapeBase* shape) {
  if (!shape) return;
  const int count = std::min(shape->m_vertexCount, pair.m_meshSources.GetSize());
  CopyMeshVertexPositions(lines, pair.m_meshSources.GetData(), count, shape->m_vertices);
}

float FadeAlpha(const CMorphPair& pair, int frame) {
  const int count = pair.GetFrameCount();
  if (frame < pair.m_fadeIn) return static_cast<float>(frame) / static_cast<float>(pair.m_fadeIn);
  // The fade-out counts the frames left after this one: a fade of n frames
  // takes the last n - 1 down from (n - 2) / n to 0, so a fade of 1 leaves
  // the last frame whole.
  const int remaining = count - frame;
  if (remaining < pair.m_fadeOut) return static_cast<float>(remaining - 1) / static_cast<float>(pair.m_fadeOut);
  return 1.0f;
}

// The running effect and its progress: 0 at the covered end of either
// transition. The in effect wins where both ranges meet.
CEffect* ChooseEffect(const CMorphPair& pair, int frame, float* progress) {
  *progress = 0.0f;
  if (frame < pair.m_inFrames) {
    *progress = static_cast<float>(frame) / static_cast<float>(pair.m_inFrames);
    return pair.m_inEffect;
  }
  // The last n frames run an out effect of n frames, from (n - 1) / n down
  // to 0, as the in effect runs its first n.
  const int remaining = pair.GetFrameCount() - frame;
  if (remaining <= pair.m_outFrames) {
    *progress = static_cast<float>(remaining - 1) / static_cast<float>(pair.m_outFrames);
    return pair.m_outEffect;
  }
  return nullptr;
}

IDirect3DTexture9* TextureOf(const CTextureHolder* holder) { return holder ? holder->m_texture : nullptr; }

}  // namespace

void RenderMorph(CMorphPair* pair, float t) {
  CD3DMeshRenderer* renderer = GetRenderer();
  if (!renderer || !renderer->m_device || !pair) return;
  const BYTE blend = static_cast<BYTE>(std::clamp(t, 0.0f, 1.0f) * 255.0f);
  // The back buffer is not cleared here: the composition clears the part it
  // draws and shows, and the effects drawn on it in between clear their own.
  renderer->BeginFrame(nullptr);
  if (pair->IsMeshDirty()) {
    pair->BuildMesh();
    pair->SetMeshDirty(FALSE);
  }
  SIZE output;
  GetMorphProject()->GetOutputSize(output);

  CLineSet between;
  between.Interpolate(*pair->GetSourceLines(), *pair->GetTargetLines(), t);
  COwnedLines lines;
  between.GetTransformedLines(lines.lines, 0, 0);
  AppendOutputCorners(lines.lines, output);
  auto* sourceMesh = static_cast<CShapeBase*>(pair->m_sourceShape);
  auto* targetMesh = static_cast<CShapeBase*>(pair->m_targetShape);
  CopyPositions(lines.lines, *pair, sourceMesh);
  CopyPositions(lines.lines, *pair, targetMesh);

  CPairTransitionPicture* transition = pair->GetTransitionPicture();
  if (!transition->texture) LoadTransitionPicture(pair, renderer->m_device);
  UpdateTransitionPicture(pair, t);
  if (!pair->m_pairTexture || !pair->m_pairTexture->m_texture) LoadImageSlot(pair->GetTargetSlot(), pair);

  const BYTE transferred = AlphaTransferByte(blend, pair->GetWarpMode());
  renderer->DrawMorph(sourceMesh, targetMesh, pair->GetSourceSlot()->m_texture, pair->GetTargetSlot()->m_texture,
                      pair->m_pairTexture, TextureOf(transition->texture), transferred, pair->GetWarpMode());
}

void RenderFrame(CMorphPair* pair) {
  CD3DMeshRenderer* renderer = GetRenderer();
  if (!renderer || !renderer->m_device || !pair) return;
  if (!pair->GetSourceSlot()->m_texture || !pair->GetTargetSlot()->m_texture) return;
  const int count = pair->GetFrameCount();
  const int frame = std::clamp(pair->GetCurrentFrame(), 0, std::max(count - 1, 0));
  const float t = std::clamp(pair->GetTimingCurve()->Evaluate(static_cast<float>(frame)) * kCurveScale, 0.0f, 1.0f);
  RenderMorph(pair, t);

  IDirect3DDevice9* device = renderer->m_device;
  CPairLight* light = pair->GetLight();
  if (!light->lightTexture) {
    LoadLightPicture(pair, device);
    RenderLightTarget(pair, device);
  }
  if (!pair->m_totalMaskTexture) LoadTotalMaskPicture(pair, device);

  const float alpha = FadeAlpha(*pair, frame);
  float progress = 0.0f;
  CEffect* effect = ChooseEffect(*pair, frame, &progress);
  IDirect3DTexture9* wipe = nullptr;
  if (effect && effect->GetName() == CString(kWipeName)) {
    // The wipe never reaches the effect pass: its mask becomes the wipe pass.
    if (!effect->GetWipeTexture()) effect->Prepare(device);
    effect->Render(renderer, device, nullptr, nullptr, progress);
    wipe = effect->GetWipeTexture();
    effect = nullptr;
  }
  renderer->Draw(!GetMorphProject()->IsBusy(), wipe, TextureOf(light->lightTexture),
                 TextureOf(pair->m_totalMaskTexture), effect, progress, alpha, static_cast<CShapeBase*>(pair->m_sourceShape));
}

// --- grabs ---

namespace {

// The locked frame: rows `pitch` bytes apart, width x height pixels.
struct LockedFrame {
  const BYTE* bits;
  int pitch;
  int width;
  int height;
  // Pixels past the frame's right or bottom edge repeat its last column or
  // row: an export width rounded up to a multiple of 4 gets clean columns.
  const DWORD* Row(LONG y) const {
    y = std::clamp<LONG>(y, 0, height - 1);
    return reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(y) * pitch);
  }
  DWORD At(LONG x, LONG y) const { return Row(y)[std::clamp<LONG>(x, 0, width - 1)]; }
};

// The 32-bit grab: rows top-down, four bytes a pixel.
void CopyFrame32Rows(const LockedFrame& frame, CPixelBuffer* buffer, int first, int last) {
  const int w = buffer->Width();
  const LONG left = buffer->rect.left;
  // The columns the frame holds are copied whole; the rest repeat.
  const int inside = left < 0 ? 0 : static_cast<int>(std::clamp<LONG>(frame.width - left, 0, w));
  for (int y = first; y < last; ++y) {
    DWORD* out = buffer->bits + static_cast<size_t>(y) * w;
    if (inside > 0) std::memcpy(out, &frame.Row(buffer->rect.top + y)[left], static_cast<size_t>(inside) * 4);
    for (int x = inside; x < w; ++x) out[x] = frame.At(left + x, buffer->rect.top + y);
  }
}

// The 24-bit grab: bottom-up, the first row written is the rectangle's last.
void CopyFrame24Rows(const LockedFrame& frame, CPixelBuffer* buffer, int first, int last) {
  const int w = buffer->Width(), h = buffer->Height();
  BYTE* out = reinterpret_cast<BYTE*>(buffer->bits) + static_cast<size_t>(first) * w * 3;
  for (int k = first; k < last; ++k) {
    const LONG y = buffer->rect.top + (h - 1 - k);
    for (int x = 0; x < w; ++x) {
      const DWORD p = frame.At(buffer->rect.left + x, y);
      *out++ = static_cast<BYTE>(p);
      *out++ = static_cast<BYTE>(p >> 8);
      *out++ = static_cast<BYTE>(p >> 16);
    }
  }
}

// Output rows handed to one thread at a time.
constexpr int kCopyBandRows = 32;
// Below this many pixels the threads' start-up costs more than the copy.
constexpr int64_t kParallelCopyPixels = 64 * 1024;

using CopyRowsFunction = void (*)(const LockedFrame&, CPixelBuffer*, int first, int last);

struct CopyFrameJob {
  const LockedFrame* frame;
  CPixelBuffer* buffer;
  CopyRowsFunction rows;

  static void Band(void* self, int band) {
    const auto* job = static_cast<const CopyFrameJob*>(self);
    const int first = band * kCopyBandRows;
    job->rows(*job->frame, job->buffer, first, std::min(job->buffer->Height(), first + kCopyBandRows));
  }
};

// Each output row depends on the frame alone, so the bands may be copied
// in any order on any thread.
void CopyAcrossThreads(const LockedFrame& frame, CPixelBuffer* buffer, CopyRowsFunction rows) {
  const int w = buffer->Width(), h = buffer->Height();
  CopyFrameJob job{&frame, buffer, rows};
  const int bands = (h + kCopyBandRows - 1) / kCopyBandRows;
  if (int64_t{w} * h < kParallelCopyPixels) {
    for (int b = 0; b < bands; ++b) CopyFrameJob::Band(&job, b);
  } else {
    compat::RunD3DJobs(bands, &CopyFrameJob::Band, &job);
  }
}

void CopyFrame32(const LockedFrame& frame, CPixelBuffer* buffer) { CopyAcrossThreads(frame, buffer, CopyFrame32Rows); }
void CopyFrame24(const LockedFrame& frame, CPixelBuffer* buffer) { CopyAcrossThreads(frame, buffer, CopyFrame24Rows); }

void Grab(CMorphPair* pair, CPixelBuffer* buffer, void (*copy)(const LockedFrame&, CPixelBuffer*)) {
  if (!buffer || !buffer->bits || buffer->Width() < 1 || buffer->Height() < 1) return;
  CRenderLockScope lock;
  CMorphProject* project = GetMorphProject();
  project->SetBusy(1);
  RenderFrame(pair);
  CD3DMeshRenderer* renderer = GetRenderer();
  int pitch = 0;
  BYTE* bits = renderer ? renderer->LockRenderedFrame(&pitch) : nullptr;
  if (bits && renderer->m_outputWidth > 0 && renderer->m_outputHeight > 0) {
    copy(LockedFrame{bits, pitch, renderer->m_outputWidth, renderer->m_outputHeight}, buffer);
  } else {
    // Nothing to read back: a black frame rather than stale memory.
    std::fill(reinterpret_cast<BYTE*>(buffer->bits),
              reinterpret_cast<BYTE*>(buffer->bits + static_cast<size_t>(buffer->Width()) * buffer->Height()), 0);
  }
  if (bits) renderer->UnlockRenderedFrame();
  project->SetBusy(0);
}

}  // namespace

void RenderFrameToPixels(CMorphPair* pair, CPixelBuffer* buffer) { Grab(pair, buffer, CopyFrame32); }

void RenderFrameToDib24(CMorphPair* pair, CPixelBuffer* buffer) { Grab(pair, buffer, CopyFrame24); }
