// The screw's polar mesh (built, clipped and compacted once), its per-frame
// pose, and the effect that draws it.
#include "effects/screw_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "effects/wave_mesh.h"
#include "model/geometry/matrix3.h"
#include "model/geometry/rect_f.h"
#include "model/geometry/rect_clipper.h"
#include "render/d3d_renderer.h"
#include "render/effect_frame.h"
#include "render/texture_holder.h"

namespace {

constexpr int kMinDirections = 5;
constexpr int64_t kMaxKeptVertices = 65536;  // what a 16-bit index reaches
constexpr float kKeepMargin = 0.0001f;
constexpr float kSnapDistance = 0.1f;

CEffectRegistration<CScrewEffect> registration;

}  // namespace

// The mesh while it is built: positions and triangles before compaction,
// with indices that may pass 16 bits.
struct CScrewMesh::Workspace {
  std::vector<CVector2> points;
  std::vector<int> triangles;
};

// --- building ---

BOOL CScrewMesh::Create() {
  if (!(m_width >= 1.0f) || !(m_height >= 1.0f)) return 0;
  const float longest = std::min(std::max(m_width, m_height) * 0.1f, static_cast<float>(kMaxDirections));
  m_directions = std::max(kMinDirections, static_cast<int>(longest));
  m_rings = 3 * m_directions;
  try {
    Workspace build;
    BuildGrid(build);
    const int n = m_directions, m = m_rings;
    for (int j = 0; j + 1 < m; ++j) {
      for (int k = 0; k < n; ++k) {
        const int next = (k + 1) % n;
        ClipTriangle(build, j * n + k, (j + 1) * n + k, (j + 1) * n + next);
        ClipTriangle(build, (j + 1) * n + next, j * n + next, j * n + k);
      }
    }
    // The fan round the centre: the first ring sits on the centre, so it is
    // inside whatever the picture's size.
    for (int k = 0; k < n; ++k) build.triangles.insert(build.triangles.end(), {n * m, k, (k + 1) % n});
    if (!Compact(build)) return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  FinishVertices();
  return 1;
}

void CScrewMesh::BuildGrid(Workspace& build) const {
  const int n = m_directions, m = m_rings;
  // The rings reach well beyond the picture, so that the twisted grid still
  // covers it.
  const float reach = 2.0f * std::sqrt(m_width * m_width + m_height * m_height);
  build.points.reserve(static_cast<size_t>(2) * (n * m + 1));
  build.points.resize(static_cast<size_t>(n) * m + 1);
  for (int j = 0; j < m; ++j) {
    const float radius = static_cast<float>(j) * reach / static_cast<float>(m - 1);
    for (int k = 0; k < n; ++k) {
      // The first and the last direction coincide.
      const float angle = static_cast<float>(k) * 6.283185f / static_cast<float>(n - 1);
      build.points[static_cast<size_t>(j) * n + k] = CVector2(std::cos(angle) * radius, std::sin(angle) * radius);
    }
  }
  build.points[static_cast<size_t>(n) * m] = CVector2(0.0f, 0.0f);
}

void CScrewMesh::ClipTriangle(Workspace& build, int a, int b, int c) const {
  const float hw = m_width * 0.5f, hh = m_height * 0.5f;
  const CVector2 pa = build.points[a], pb = build.points[b], pc = build.points[c];
  auto strictlyInside = [&](const CVector2& p) { return p.x > -hw && p.x < hw && p.y > -hh && p.y < hh; };
  if (strictlyInside(pa) && strictlyInside(pb) && strictlyInside(pc)) {
    build.triangles.insert(build.triangles.end(), {a, b, c});
    return;
  }
  // Most of the outer rings lie wholly beyond one side.
  if (std::max({pa.x, pb.x, pc.x}) < -hw || std::min({pa.x, pb.x, pc.x}) > hw ||
      std::max({pa.y, pb.y, pc.y}) < -hh || std::min({pa.y, pb.y, pc.y}) > hh)
    return;
  // What is left of a triangle in a rectangle is convex: a fan of its
  // outline splits it into triangles.
  CRectClipper clipper(CRectF(-hw, -hh, hw, hh));
  const CVector2 corners[3] = {pa, pb, pc};
  const int count = clipper.Clip(corners, 3);
  const CVector2* outline = clipper.Output();
  for (int i = 1; i + 1 < count; ++i) {
    const int first = static_cast<int>(build.points.size());
    build.points.insert(build.points.end(), {outline[0], outline[i], outline[i + 1]});
    build.triangles.insert(build.triangles.end(), {first, first + 1, first + 2});
  }
}

BOOL CScrewMesh::Compact(const Workspace& build) {
  const float hw = m_width * 0.5f, hh = m_height * 0.5f;
  m_gridVertexCount = static_cast<int>(build.points.size());
  m_indexMap.assign(build.points.size(), -1);
  int kept = 0;
  for (size_t i = 0; i < build.points.size(); ++i) {
    const CVector2& p = build.points[i];
    if (p.x > -hw - kKeepMargin && p.x < hw + kKeepMargin && p.y > -hh - kKeepMargin && p.y <= hh + kKeepMargin)
      m_indexMap[i] = kept++;
  }
  if (kept > kMaxKeptVertices) return 0;
  // A triangle with a corner that was not kept would index nothing.
  std::vector<WORD> triangles;
  triangles.reserve(build.triangles.size());
  for (size_t t = 0; t + 2 < build.triangles.size(); t += 3) {
    const int a = m_indexMap[build.triangles[t]], b = m_indexMap[build.triangles[t + 1]],
              c = m_indexMap[build.triangles[t + 2]];
    if (a < 0 || b < 0 || c < 0) continue;
    triangles.insert(triangles.end(), {static_cast<WORD>(a), static_cast<WORD>(b), static_cast<WORD>(c)});
  }
  if (!Reserve(kept, static_cast<int>(triangles.size() / 3))) return 0;
  std::copy(triangles.begin(), triangles.end(), m_indices);
  for (size_t i = 0; i < build.points.size(); ++i) {
    if (m_indexMap[i] < 0) continue;
    m_vertices[m_indexMap[i]] = CRenderVertex{build.points[i].x, build.points[i].y, 0.0f, 0.0f, 0xFFFFFFFF};
  }
  return 1;
}

void CScrewMesh::FinishVertices() {
  const float hw = m_width * 0.5f, hh = m_height * 0.5f;
  auto snap = [](float value, float half) {
    if (std::fabs(value - half) < kSnapDistance) return half;
    if (std::fabs(value + half) < kSnapDistance) return -half;
    return value;
  };
  m_restVertices.resize(m_vertexCount);
  m_radiusFactors.resize(m_vertexCount);
  m_largestDistance = 0.0f;
  for (int i = 0; i < m_vertexCount; ++i) {
    CRenderVertex& vertex = m_vertices[i];
    vertex.x = snap(vertex.x, hw);
    vertex.y = snap(vertex.y, hh);
    vertex.u = m_u0 + (m_u1 - m_u0) * (hw + vertex.x) / m_width;
    vertex.v = m_v0 + (m_v1 - m_v0) * (hh + vertex.y) / m_height;
    m_restVertices[i] = vertex;
    m_radiusFactors[i] = std::sqrt(vertex.x * vertex.x + vertex.y * vertex.y);
    m_largestDistance = std::max(m_largestDistance, m_radiusFactors[i]);
  }
  for (float& factor : m_radiusFactors)
    factor = m_largestDistance > 0.0f ? factor / m_largestDistance + 1.0f : 1.0f;
}

// --- posing ---

void CScrewMesh::Animate(float q) {
  if (static_cast<int>(m_restVertices.size()) != m_vertexCount) return;
  if (!(q >= 0.001f)) {
    for (int i = 0; i < m_vertexCount; ++i) m_vertices[i] = m_restVertices[i];
    return;
  }
  q = std::min(q, 1.0f);
  const double span = std::log(1.05) - std::log(0.05);
  const float scale = static_cast<float>(1.0 - (std::log(q + 0.05) - std::log(0.05)) / span);
  const float turn = static_cast<float>(1440.0 * (1.0 - (std::log(1.05 - q) - std::log(0.05)) / span));
  CMatrix3 shrink;
  shrink.SetScale(CVector2(scale, scale));
  for (size_t i = 0; i < m_indexMap.size(); ++i) {
    const int k = m_indexMap[i];
    if (k < 0) continue;
    CMatrix3 pose;
    pose.SetRotation(turn / m_radiusFactors[k]);
    pose *= shrink;
    CVector2 moved;
    pose.TransformPoint(CVector2(m_restVertices[k].x, m_restVertices[k].y), moved);
    m_vertices[k].x = moved.x;
    m_vertices[k].y = moved.y;
  }
}

// --- the effect ---

CString CScrewEffect::GetName() const { return CString(u"Screw"); }

void CScrewEffect::Prepare(IDirect3DDevice9*) {
  CD3DMeshRenderer* renderer = GetRenderer();
  PrepareFor(renderer ? &renderer->m_imageA : nullptr);
}

void CScrewEffect::PrepareFor(const CTextureHolder* holder) {
  m_mesh.reset();
  if (!holder) return;
  const CEffectExtent extent = GetHolderExtent(*holder);
  auto mesh = std::unique_ptr<CScrewMesh>(new (std::nothrow) CScrewMesh(
      extent.width, extent.height, extent.umin, extent.umax, extent.vmin, extent.vmax));
  if (mesh && mesh->Create()) m_mesh = std::move(mesh);
}

void CScrewEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                          CTextureHolder* target, float progress) {
  // The frame rendering prepares every effect first; an unprepared screw
  // has no mesh to pose and leaves the target alone.
  if (!m_mesh || !renderer || !device || !source || !target) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  m_mesh->Animate(1.0f - progress);
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, m_mesh.get(), GetHolderExtent(*target));
}
