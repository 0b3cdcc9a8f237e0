// The grid of the rippling effects, its five deformations, and the frame the
// grid effects draw in.
#include "effects/wave_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/d3d_renderer.h"
#include "render/effect_frame.h"
#include "render/texture_holder.h"

namespace {
constexpr int64_t kMaxGridVertices = 65536;  // what a 16-bit index reaches
constexpr double kTwoOverPi = 0.6366198;
}  // namespace

BOOL CWaveMesh::Create() {
  const int64_t vertices = int64_t{m_columns} * m_rows;
  if (m_columns < 2 || m_rows < 2 || vertices > kMaxGridVertices) return 0;
  if (!(m_width > 0.0f) || !(m_height > 0.0f)) return 0;
  const int64_t triangles = int64_t{2} * (m_columns - 1) * (m_rows - 1);
  if (!Reserve(static_cast<int>(vertices), static_cast<int>(triangles))) return 0;

  const float dx = m_width / static_cast<float>(m_columns - 1);
  const float dy = m_height / static_cast<float>(m_rows - 1);
  float y = -m_height * 0.5f;
  for (int j = 0; j < m_rows; ++j, y += dy) {
    float x = -m_width * 0.5f;
    const float v = m_v0 + (m_v1 - m_v0) * static_cast<float>(j) / static_cast<float>(m_rows - 1);
    for (int i = 0; i < m_columns; ++i, x += dx) {
      const float u = m_u0 + (m_u1 - m_u0) * static_cast<float>(i) / static_cast<float>(m_columns - 1);
      m_vertices[j * m_columns + i] = CRenderVertex{x, y, u, v, 0xFFFFFFFF};
    }
  }
  WORD* index = m_indices;
  for (int j = 0; j + 1 < m_rows; ++j) {
    for (int i = 0; i + 1 < m_columns; ++i) {
      const WORD topLeft = static_cast<WORD>(j * m_columns + i);
      const WORD bottomLeft = static_cast<WORD>((j + 1) * m_columns + i);
      const WORD next[6] = {topLeft, bottomLeft, static_cast<WORD>(bottomLeft + 1),
                            topLeft, static_cast<WORD>(bottomLeft + 1), static_cast<WORD>(topLeft + 1)};
      index = std::copy(next, next + 6, index);
    }
  }
  return 1;
}

template <class Visit>
void CWaveMesh::ForEachInnerVertex(Visit visit) {
  if (m_rows - 1 <= 1 || m_columns - 1 <= 1 || m_vertexCount != m_columns * m_rows) return;
  for (int j = 1; j < m_rows - 1; ++j) {
    const double b = static_cast<double>(j) / (m_rows - 1) - 0.5;
    for (int i = 1; i < m_columns - 1; ++i) {
      const double a = static_cast<double>(i) / (m_columns - 1) - 0.5;
      visit(m_vertices[j * m_columns + i], a, b, std::sqrt(a * a + b * b));
    }
  }
}

void CWaveMesh::ApplyWave(double amplitude, double frequency, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double m = amplitude * 20.0;
  ForEachInnerVertex([&](CRenderVertex& vertex, double a, double b, double r) {
    const double e = std::exp(-2.0 * r);
    const double t1 = frequency * r;
    const double t2 = (a + b) * frequency * 0.5;
    const double t3 = (0.85 * a - b) * frequency * 0.1;
    const double dx = std::cos(t3) * m * 0.125 + std::cos(t2) * m * 0.5 + std::cos(t1) * e * m;
    const double dy = std::sin(t3) * m * 0.125 + std::sin(t2) * m * 0.5 + std::sin(t1) * e * m;
    vertex.x = static_cast<float>(vertex.x + dx * (c * 0.04) + dy * (-s * 0.04));
    vertex.y = static_cast<float>(vertex.y + dx * (s * 0.04) + dy * (c * 0.04));
  });
}

void CWaveMesh::ApplyDiagonalWave(double amplitude, double frequency, double velocity, double time) {
  // The ripple's own rounding of pi; the look depends on it only faintly.
  const double pi = 3.1415925;
  ForEachInnerVertex([&](CRenderVertex& vertex, double a, double b, double) {
    vertex.x = static_cast<float>(vertex.x + amplitude * std::cos((velocity * time * 0.001 + a + b) * frequency * pi));
    vertex.y = static_cast<float>(vertex.y + amplitude * std::sin((a + b) * frequency * pi));
  });
}

void CWaveMesh::ApplyCircleWave(double amplitude, double frequency, double velocity, double q) {
  ForEachInnerVertex([&](CRenderVertex& vertex, double, double, double r) {
    // Only an odd grid has a vertex on the centre, where the wave has no value.
    if (r == 0.0) return;
    const double d = (m_columns - 1) * std::sin((1.6181229773462784 * r - velocity * q) * frequency * 6.2831852) / r *
                     amplitude * 0.002;
    vertex.x = static_cast<float>(vertex.x + d);
    vertex.y = static_cast<float>(vertex.y + d);
  });
}

void CWaveMesh::ApplySphere(double q) {
  const double radius = q * 0.5;
  const double uRange = m_u1 - m_u0, vRange = m_v1 - m_v0;
  ForEachInnerVertex([&](CRenderVertex& vertex, double a, double b, double r) {
    if (r >= radius + 0.1) return;
    // asin(r) scaled to 0..1 over the quarter circle; its ratio to r tends to
    // 2 / pi at the centre.
    const double g = std::acos(std::sqrt(std::max(0.0, 1.0 - a * a - b * b))) * kTwoOverPi;
    const double ratio = r > 0.0 ? g / r : kTwoOverPi;
    const double us = (ratio * a + 0.5) * uRange;
    const double vs = (ratio * b + 0.5) * vRange;
    if (r < radius) {
      vertex.u = static_cast<float>(us);
      vertex.v = static_cast<float>(vs);
      return;
    }
    // A band of width 0.1 blends the ball into the flat picture.
    const double t = (r - radius) * 10.0;
    vertex.u = static_cast<float>(t * vertex.u + (1.0 - t) * us);
    vertex.v = static_cast<float>(t * vertex.v + (1.0 - t) * vs);
  });
}

void CWaveMesh::ApplyRadialPinch(double q) {
  const double uRange = m_u1 - m_u0, vRange = m_v1 - m_v0;
  const double uLow = std::min(m_u0, m_u1), uHigh = std::max(m_u0, m_u1);
  const double vLow = std::min(m_v0, m_v1), vHigh = std::max(m_v0, m_v1);
  ForEachInnerVertex([&](CRenderVertex& vertex, double a, double b, double r) {
    if (r == 0.0) return;  // no direction to the centre
    const double k = 1.0 / r;
    vertex.u = static_cast<float>(std::clamp(vertex.u - k * uRange * a * q * 0.35, uLow, uHigh));
    vertex.v = static_cast<float>(std::clamp(vertex.v - k * vRange * b * q * 0.35, vLow, vHigh));
  });
}

void RenderWaveGrid(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                    CTextureHolder* target, const std::function<void(CWaveMesh&)>& deform) {
  if (!renderer || !device || !source || !target) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  CWaveMesh mesh(extent.width, extent.height, extent.umin, extent.umax, extent.vmin, extent.vmax);
  if (!mesh.Create()) return;
  deform(mesh);
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}
