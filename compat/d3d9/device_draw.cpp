// Clear and indexed drawing: the device's states are resolved into one
// DrawState per call (stage programs, samplers, blend, target and clip),
// then the primitives go through vertex processing and the rasteriser.
#include <algorithm>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/device.h"
#include "compat/d3d9/fill.h"
#include "compat/d3d9/fused_shading.h"
#include "compat/d3d9/vertex_processing.h"

namespace compat::d3d9 {

namespace {

Arg ArgumentOf(DWORD value) {
  switch (value & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: return Arg::Diffuse;
    case D3DTA_TEXTURE: return Arg::Texture;
    case D3DTA_TFACTOR: return Arg::Factor;
    default: return Arg::Current;
  }
}

bool Reads(const ChannelOp& c, Arg a) {
  switch (c.op) {
    case Op::Select1: return c.arg1 == a;
    case Op::Select2: return c.arg2 == a;
    case Op::Modulate: return c.arg1 == a || c.arg2 == a;
  }
  return false;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(a.m[i][k]) * b.m[k][j];
      r.m[i][j] = static_cast<float>(sum);
    }
  return r;
}

}  // namespace

ChannelOp Device::ResolveChannel(DWORD op, DWORD arg1, DWORD arg2, bool hasTexture) const {
  ChannelOp c;
  c.arg1 = ArgumentOf(arg1);
  c.arg2 = ArgumentOf(arg2);
  switch (op) {
    case D3DTOP_SELECTARG2: c.op = Op::Select2; break;
    case D3DTOP_MODULATE: c.op = Op::Modulate; break;
    default: c.op = Op::Select1; break;
  }
  // A stage that reads a texture while none is bound passes its input on
  // unchanged; the renderer's fades and transparency rely on it.
  if (!hasTexture && Reads(c, Arg::Texture)) c = ChannelOp{Op::Select1, Arg::Current, Arg::Current};
  return c;
}

void Device::SetupSampler(int stage, SamplerSetup& sampler) const {
  Texture* texture = AsTexture(textures_[stage].Get());
  const DWORD* ss = samplerStates_[stage];
  sampler = SamplerSetup{};
  sampler.levels = std::min(texture->Levels(), kMaxLevels);
  for (int i = 0; i < sampler.levels; ++i) {
    Surface* level = texture->Level(i);
    sampler.pixels[i] = level->ReadPixels();
    sampler.width[i] = static_cast<int>(level->Width());
    sampler.height[i] = static_cast<int>(level->Height());
  }
  sampler.baseLevel = static_cast<int>(std::min<DWORD>(ss[D3DSAMP_MAXMIPLEVEL], sampler.levels - 1));
  // Anisotropic requests are served as (tri)linear filtering.
  sampler.magLinear = ss[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
  sampler.minLinear = ss[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
  DWORD mip = ss[D3DSAMP_MIPFILTER];
  sampler.mip = mip == D3DTEXF_NONE ? MipMode::None : mip == D3DTEXF_POINT ? MipMode::Point : MipMode::Linear;
  sampler.wrapU = ss[D3DSAMP_ADDRESSU] == D3DTADDRESS_WRAP;
  sampler.wrapV = ss[D3DSAMP_ADDRESSV] == D3DTADDRESS_WRAP;
  sampler.opaque = texture->Format() == D3DFMT_X8R8G8B8;
}

bool Device::BuildDrawState(bool perspective, DrawState& st) const {
  Surface* target = AsSurface(renderTarget_.Get());
  if (!target || !target->HasPixels()) return false;
  st.target = target->StoredPixels();  // a deferred fill is the draw's to apply
  st.pitch = static_cast<int>(target->Width());
  st.clip = ViewportClip();
  if (st.clip.left >= st.clip.right || st.clip.top >= st.clip.bottom) return false;
  st.perspective = perspective;
  st.blend = renderStates_[D3DRS_ALPHABLENDENABLE] != FALSE;
  st.srcBlend = renderStates_[D3DRS_SRCBLEND];
  st.dstBlend = renderStates_[D3DRS_DESTBLEND];
  st.srcBlendAlpha = st.srcBlend;
  st.dstBlendAlpha = st.dstBlend;
  if (renderStates_[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE) {
    st.srcBlendAlpha = renderStates_[D3DRS_SRCBLENDALPHA];
    st.dstBlendAlpha = renderStates_[D3DRS_DESTBLENDALPHA];
  }
  // Equal factor pairs blend alpha as the colour blend does: the plain paths take them.
  st.separateAlpha = st.blend && (st.srcBlendAlpha != st.srcBlend || st.dstBlendAlpha != st.dstBlend);
  st.factor = renderStates_[D3DRS_TEXTUREFACTOR];
  st.stageCount = 0;
  for (int s = 0; s < kStages; ++s) {
    const DWORD* ts = stageStates_[s];
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;  // this stage and all after it are off
    bool hasTexture = static_cast<bool>(textures_[s]);
    StageProgram& stage = st.stages[s];
    stage.colour = ResolveChannel(ts[D3DTSS_COLOROP], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2], hasTexture);
    stage.alpha = ts[D3DTSS_ALPHAOP] == D3DTOP_DISABLE
                      ? ChannelOp{Op::Select1, Arg::Current, Arg::Current}
                      : ResolveChannel(ts[D3DTSS_ALPHAOP], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2], hasTexture);
    stage.samples = Reads(stage.colour, Arg::Texture) || Reads(stage.alpha, Arg::Texture);
    DWORD set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    stage.texCoordSet = set < kTexCoordSets ? static_cast<int>(set) : 0;
    if (stage.samples) SetupSampler(s, st.samplers[s]);
    st.stageCount = s + 1;
  }
  st.fused = PlanFused(st);
  return true;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float, DWORD) {
  if (!(flags & D3DCLEAR_TARGET)) return D3D_OK;  // no depth or stencil buffer is kept
  Surface* target = AsSurface(renderTarget_.Get());
  if (!target || !target->HasPixels()) return D3DERR_INVALIDCALL;
  RECT clip = ViewportClip();
  auto inClip = [&](RECT r) {
    r.left = std::max(r.left, clip.left);
    r.top = std::max(r.top, clip.top);
    r.right = std::min(r.right, clip.right);
    r.bottom = std::min(r.bottom, clip.bottom);
    return r;
  };
  // A clear waits for the next use of the target (usually a draw, which
  // clears it band by band); of several rectangles, each but the last is
  // cleared when the next one comes.
  if (count == 0 || !rects) {
    target->DeferFill(clip, color);
  } else {
    for (DWORD i = 0; i < count; ++i)
      target->DeferFill(inClip(RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}), color);
  }
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                     UINT primCount) {
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_LINELIST) return D3DERR_INVALIDCALL;
  if (!stream_ || !indices_ || streamStride_ == 0) return D3DERR_INVALIDCALL;
  DrawInput in;
  if (!ParseFvf(fvf_, in.layout) || streamStride_ < in.layout.size) return D3DERR_INVALIDCALL;
  if (primCount == 0) return D3D_OK;
  VertexBuffer* vb = AsVertexBuffer(stream_.Get());
  IndexBuffer* ib = AsIndexBuffer(indices_.Get());
  if (streamOffset_ > vb->Size()) return D3DERR_INVALIDCALL;
  if (!BuildDrawState(in.layout.transformed, drawState_)) return D3D_OK;  // nothing visible

  in.vertices = vb->Data() + streamOffset_;
  in.vertexBytes = vb->Size() - streamOffset_;
  in.stride = streamStride_;
  in.index32 = ib->Format() == D3DFMT_INDEX32;
  in.indices = ib->Data();
  in.indexCount = ib->Size() / (in.index32 ? 4 : 2);
  in.baseVertex = baseVertex;
  in.startIndex = startIndex;
  in.primCount = primCount;
  in.type = type;
  in.worldViewProjection = Multiply(Multiply(world_, view_), projection_);
  in.viewport = viewport_;
  in.cullMode = renderStates_[D3DRS_CULLMODE];

  rasterizer_.Begin(&drawState_);
  // The samplers applied any fill deferred on a texture they read (this
  // target's too); one still deferred on the target is cleared by the draw.
  Surface* target = AsSurface(renderTarget_.Get());
  RECT fill;
  uint32_t fillColour;
  if (type == D3DPT_TRIANGLELIST && target->TakeDeferredFill(drawState_.clip, fill, fillColour)) {
    rasterizer_.FillFirst(fill, fillColour);
  } else {
    target->ReadPixels();
  }
  ProcessPrimitives(in, rasterizer_);
  rasterizer_.Flush();
  target->MarkDrawn(type == D3DPT_TRIANGLELIST ? rasterizer_.DrawnBounds() : drawState_.clip);
  return D3D_OK;
}

}  // namespace compat::d3d9
