// Vertex fetch, transformation and clipping. Clipping works on polygons: in
// clip space against z >= 0 and w > 0 (nothing behind the eye reaches the
// divide), then in screen space against a guard band far outside any target.
#include "compat/d3d9/vertex_processing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace compat::d3d9 {

namespace {

// Clipping keeps w >= this share of the triangle's largest |w|, so that the
// divide stays finite and the clipped vertices keep float precision.
constexpr float kMinWShare = 1e-5f;
constexpr float kGuard = 1 << 15;  // pixels; beyond any target, inside the rasteriser's limit
constexpr int kMaxPolygon = 12;   // 3 vertices + one per clip plane, with room

// A vertex before the divide (x, y, z, w) or after it (x, y, q in z, w unused).
struct ClipVertex {
  float pos[4];
  float tex[kTexCoordSets][2];
  float colour[4];
  uint32_t packedColour;
};

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  ClipVertex r;
  for (int i = 0; i < 4; ++i) r.pos[i] = a.pos[i] + (b.pos[i] - a.pos[i]) * t;
  for (int s = 0; s < kTexCoordSets; ++s)
    for (int i = 0; i < 2; ++i) r.tex[s][i] = a.tex[s][i] + (b.tex[s][i] - a.tex[s][i]) * t;
  for (int i = 0; i < 4; ++i) r.colour[i] = a.colour[i] + (b.colour[i] - a.colour[i]) * t;
  r.packedColour = a.packedColour == b.packedColour ? a.packedColour : 0;
  if (a.packedColour != b.packedColour) {
    for (int i = 0; i < 4; ++i)
      r.packedColour |= static_cast<uint32_t>(std::lround(std::fmin(255.f, std::fmax(0.f, r.colour[i])))) << (8 * i);
  }
  return r;
}

// Keeps the part of the polygon where distance(v) >= 0.
template <class Distance>
int ClipPolygon(const ClipVertex* in, int count, ClipVertex* out, Distance distance) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const ClipVertex& a = in[i];
    const ClipVertex& b = in[(i + 1) % count];
    float da = distance(a), db = distance(b);
    if (da >= 0) out[n++] = a;
    if ((da >= 0) != (db >= 0) && n < kMaxPolygon) out[n++] = Lerp(a, b, da / (da - db));
    if (n >= kMaxPolygon) break;
  }
  return n;
}

float Float(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

ClipVertex Fetch(const DrawInput& in, const uint8_t* v) {
  ClipVertex r{};
  const VertexLayout& layout = in.layout;
  if (layout.transformed) {
    float p[3] = {Float(v), Float(v + 4), Float(v + 8)};
    const D3DMATRIX& m = in.worldViewProjection;
    for (int c = 0; c < 4; ++c) r.pos[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  } else {
    // Pre-transformed: screen position; rhw is taken as 1 (affine attributes).
    r.pos[0] = Float(v);
    r.pos[1] = Float(v + 4);
    r.pos[2] = 1.0f;
  }
  uint32_t colour = 0xFFFFFFFFu;  // no diffuse in the format: opaque white
  if (layout.diffuse >= 0) std::memcpy(&colour, v + layout.diffuse, 4);
  r.packedColour = colour;
  for (int i = 0; i < 4; ++i) r.colour[i] = static_cast<float>((colour >> (8 * i)) & 255);
  for (int s = 0; s < kTexCoordSets; ++s) {
    if (layout.tex[s] < 0) continue;
    r.tex[s][0] = Float(v + layout.tex[s]);
    r.tex[s][1] = Float(v + layout.tex[s] + 4);
  }
  return r;
}

// Perspective divide and viewport mapping; q = 1 / w multiplies the texture coordinates.
ScreenVertex Project(const DrawInput& in, const ClipVertex& c) {
  ScreenVertex s;
  if (in.layout.transformed) {
    const D3DVIEWPORT9& vp = in.viewport;
    float q = 1.0f / c.pos[3];
    s.x = static_cast<float>(vp.X) + (1.0f + c.pos[0] * q) * static_cast<float>(vp.Width) * 0.5f;
    s.y = static_cast<float>(vp.Y) + (1.0f - c.pos[1] * q) * static_cast<float>(vp.Height) * 0.5f;
    s.q = q;
  } else {
    s.x = c.pos[0];
    s.y = c.pos[1];
    s.q = 1.0f;
  }
  for (int t = 0; t < kTexCoordSets; ++t)
    for (int i = 0; i < 2; ++i) s.tex[t][i] = c.tex[t][i] * s.q;
  std::memcpy(s.colour, c.colour, sizeof s.colour);
  s.packedColour = c.packedColour;
  return s;
}

ClipVertex FromScreen(const ScreenVertex& s) {
  ClipVertex c;
  c.pos[0] = s.x;
  c.pos[1] = s.y;
  c.pos[2] = s.q;
  c.pos[3] = 1.0f;
  std::memcpy(c.tex, s.tex, sizeof c.tex);
  std::memcpy(c.colour, s.colour, sizeof c.colour);
  c.packedColour = s.packedColour;
  return c;
}

ScreenVertex ToScreen(const ClipVertex& c) {
  ScreenVertex s;
  s.x = c.pos[0];
  s.y = c.pos[1];
  s.q = c.pos[2];
  std::memcpy(s.tex, c.tex, sizeof s.tex);
  std::memcpy(s.colour, c.colour, sizeof s.colour);
  s.packedColour = c.packedColour;
  return s;
}

bool InsideGuard(const ScreenVertex& s) { return std::fabs(s.x) <= kGuard && std::fabs(s.y) <= kGuard; }

// Screen-space polygon clipped to the guard band (only when it reaches past it).
int ClipToGuard(ScreenVertex* poly, int n) {
  bool inside = true;
  for (int i = 0; i < n; ++i) inside = inside && InsideGuard(poly[i]);
  if (inside) return n;
  ClipVertex a[kMaxPolygon], b[kMaxPolygon];
  for (int i = 0; i < n; ++i) a[i] = FromScreen(poly[i]);
  n = ClipPolygon(a, n, b, [](const ClipVertex& v) { return kGuard - v.pos[0]; });
  n = ClipPolygon(b, n, a, [](const ClipVertex& v) { return v.pos[0] + kGuard; });
  n = ClipPolygon(a, n, b, [](const ClipVertex& v) { return kGuard - v.pos[1]; });
  n = ClipPolygon(b, n, a, [](const ClipVertex& v) { return v.pos[1] + kGuard; });
  for (int i = 0; i < n; ++i) poly[i] = ToScreen(a[i]);
  return n;
}

bool Finite(const ClipVertex& v) {
  return std::isfinite(v.pos[0]) && std::isfinite(v.pos[1]) && std::isfinite(v.pos[2]) && std::isfinite(v.pos[3]);
}

void EmitTriangle(const DrawInput& in, const ClipVertex tri[3], Rasterizer& r, int slice) {
  for (int i = 0; i < 3; ++i)
    if (!Finite(tri[i])) return;  // NaN or infinite positions: the triangle is dropped
  ClipVertex a[kMaxPolygon], b[kMaxPolygon];
  int n = 3;
  for (int i = 0; i < 3; ++i) a[i] = tri[i];
  if (in.layout.transformed) {
    float minW = kMinWShare * std::max({std::fabs(a[0].pos[3]), std::fabs(a[1].pos[3]), std::fabs(a[2].pos[3])});
    n = ClipPolygon(a, n, b, [minW](const ClipVertex& v) { return v.pos[3] - minW; });
    n = ClipPolygon(b, n, a, [](const ClipVertex& v) { return v.pos[2]; });
    if (minW == 0.0f) return;
  }
  if (n < 3) return;
  ScreenVertex poly[kMaxPolygon];
  for (int i = 0; i < n; ++i) poly[i] = Project(in, a[i]);
  n = ClipToGuard(poly, n);
  for (int i = 2; i < n; ++i) r.AddTriangle(slice, poly[0], poly[i - 1], poly[i], in.cullMode);
}

void EmitLine(const DrawInput& in, const ClipVertex& a, const ClipVertex& b, Rasterizer& r) {
  if (!Finite(a) || !Finite(b)) return;
  ClipVertex p = a, q = b;
  if (in.layout.transformed) {
    float minW = kMinWShare * std::max(std::fabs(a.pos[3]), std::fabs(b.pos[3]));
    if (minW == 0.0f) return;
    for (int plane = 3; plane >= 2; --plane) {
      float offset = plane == 3 ? minW : 0.0f;
      float da = p.pos[plane] - offset, db = q.pos[plane] - offset;
      if (da < 0 && db < 0) return;
      ClipVertex p0 = p, q0 = q;
      if (da < 0) p = Lerp(p0, q0, da / (da - db));
      if (db < 0) q = Lerp(p0, q0, da / (da - db));
    }
  }
  ScreenVertex s[2] = {Project(in, p), Project(in, q)};
  if (!InsideGuard(s[0]) || !InsideGuard(s[1])) return;  // overlay lines never reach this far
  r.DrawLine(s[0], s[1]);
}

// The vertex index at position `i` of the index buffer, or false when outside it.
bool IndexAt(const DrawInput& in, uint64_t i, uint32_t& index) {
  if (i >= in.indexCount) return false;
  if (in.index32) {
    std::memcpy(&index, in.indices + i * 4, 4);
  } else {
    uint16_t v;
    std::memcpy(&v, in.indices + i * 2, 2);
    index = v;
  }
  return true;
}

// Address of vertex `index` (plus the base), or null outside the buffer.
const uint8_t* VertexAt(const DrawInput& in, uint32_t index) {
  int64_t vertex = static_cast<int64_t>(in.baseVertex) + index;
  if (vertex < 0) return nullptr;
  uint64_t offset = static_cast<uint64_t>(vertex) * in.stride;
  if (offset + in.layout.size > in.vertexBytes) return nullptr;
  return in.vertices + offset;
}

bool FetchPrimitive(const DrawInput& in, uint64_t first, int count, ClipVertex* out) {
  for (int k = 0; k < count; ++k) {
    uint32_t index;
    if (!IndexAt(in, first + k, index)) return false;
    const uint8_t* v = VertexAt(in, index);
    if (!v) return false;
    out[k] = Fetch(in, v);
  }
  return true;
}

}  // namespace

bool ParseFvf(DWORD fvf, VertexLayout& layout) {
  layout = VertexLayout{};
  DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position == D3DFVF_XYZ) {
    layout.transformed = true;
    layout.size = 12;
  } else if (position == D3DFVF_XYZRHW) {
    layout.size = 16;
  } else {
    return false;
  }
  if (fvf & D3DFVF_NORMAL) layout.size += 12;
  if (fvf & D3DFVF_PSIZE) layout.size += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = static_cast<int>(layout.size);
    layout.size += 4;
  }
  if (fvf & D3DFVF_SPECULAR) layout.size += 4;
  int sets = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (sets > 8) return false;
  for (int s = 0; s < sets; ++s) {
    // Two bits per set from bit 16: 0 = 2 floats, 1 = 3, 2 = 4, 3 = 1.
    static const UINT kFloats[4] = {2, 3, 4, 1};
    UINT floats = kFloats[(fvf >> (16 + 2 * s)) & 3];
    if (s < kTexCoordSets && floats >= 2) layout.tex[s] = static_cast<int>(layout.size);
    layout.size += 4 * floats;
  }
  return true;
}

namespace {

struct TriangleStretch {
  const DrawInput* in;
  Rasterizer* r;
};

// Pre-transformed corners as EmitTriangle puts them on the screen, each
// worked out once per stretch: a mesh's triangles share their corners.
// Indexed by vertex number; a slot is valid while its stamp is the stretch's.
struct ScreenCorners {
  std::vector<ScreenVertex> vertices;
  std::vector<uint64_t> stamps;
  uint64_t stamp = 0;
};
thread_local ScreenCorners tCorners;
// Larger vertex buffers take the general path rather than a cache this large.
constexpr uint64_t kMaxCachedVertices = 1 << 14;

// The general path for triangles first .. first + n - 1: fetched, transformed and clipped.
void EmitClipped(const DrawInput& in, uint64_t first, uint64_t n, Rasterizer& r, int slice) {
  for (uint64_t p = first; p < first + n; ++p) {
    ClipVertex tri[3];
    if (FetchPrimitive(in, in.startIndex + 3 * p, 3, tri)) EmitTriangle(in, tri, r, slice);
  }
}

// Pre-transformed triangles: each corner goes through the same Fetch and
// Project as on the general path, where a triangle inside the guard band
// (the usual case) meets no clipping, so it reaches AddTriangle with the
// same corners; one with a non-finite position is dropped there too, and
// one reaching past the band takes the general path.
void EmitScreen(const DrawInput& in, uint64_t first, uint64_t n, Rasterizer& r, int slice) {
  // Vertices whose whole record lies in the buffer, as VertexAt allows.
  const uint64_t valid = in.vertexBytes >= in.layout.size ? (in.vertexBytes - in.layout.size) / in.stride + 1 : 0;
  if (valid > kMaxCachedVertices) {
    EmitClipped(in, first, n, r, slice);
    return;
  }
  ScreenCorners& cache = tCorners;
  if (cache.vertices.size() < valid) {
    cache.vertices.resize(valid);
    cache.stamps.resize(valid, 0);
  }
  const uint64_t stamp = ++cache.stamp;
  for (uint64_t p = first; p < first + n; ++p) {
    const ScreenVertex* corner[3];
    bool fetched = true;
    for (int k = 0; k < 3 && fetched; ++k) {
      uint32_t index;
      fetched = IndexAt(in, in.startIndex + 3 * p + k, index);
      const int64_t vertex = int64_t{in.baseVertex} + index;
      fetched = fetched && vertex >= 0 && static_cast<uint64_t>(vertex) < valid;
      if (!fetched) break;
      if (cache.stamps[vertex] != stamp) {
        cache.vertices[vertex] = Project(in, Fetch(in, in.vertices + static_cast<uint64_t>(vertex) * in.stride));
        cache.stamps[vertex] = stamp;
      }
      corner[k] = &cache.vertices[vertex];
    }
    if (!fetched) continue;
    bool finite = true, inside = true;
    for (const ScreenVertex* c : corner) {
      finite = finite && std::isfinite(c->x) && std::isfinite(c->y);
      inside = inside && InsideGuard(*c);
    }
    if (!finite) continue;
    if (inside) {
      r.AddTriangle(slice, *corner[0], *corner[1], *corner[2], in.cullMode);
    } else {
      EmitClipped(in, p, 1, r, slice);
    }
  }
}

// Fetches, transforms and clips triangles first .. first + n - 1 into a slice.
void EmitStretch(void* context, uint64_t first, uint64_t n, int slice) {
  auto* job = static_cast<TriangleStretch*>(context);
  const DrawInput& in = *job->in;
  if (in.layout.transformed) {
    EmitClipped(in, first, n, *job->r, slice);
  } else {
    EmitScreen(in, first, n, *job->r, slice);
  }
}

}  // namespace

void ProcessPrimitives(const DrawInput& in, Rasterizer& r) {
  uint64_t start = in.startIndex;
  int perPrimitive = in.type == D3DPT_TRIANGLELIST ? 3 : 2;
  // A count reaching past the index buffer stops where the indices end.
  uint64_t available = in.indexCount > start ? (in.indexCount - start) / perPrimitive : 0;
  uint64_t count = std::min<uint64_t>(in.primCount, available);
  if (in.type == D3DPT_TRIANGLELIST) {
    TriangleStretch job{&in, &r};
    r.Setup(count, &EmitStretch, &job);
  } else if (in.type == D3DPT_LINELIST) {
    for (uint64_t p = 0; p < count; ++p) {
      ClipVertex line[2];
      if (FetchPrimitive(in, start + 2 * p, 2, line)) EmitLine(in, line[0], line[1], r);
    }
  }
}

}  // namespace compat::d3d9
