// The page-curl mesh: split of the page, clip at the curl line, band
// tessellation, the wrap over the cylinder or the roll, and the buffers.
//
// Sections: polygons in the turned frame / the curl of one polygon /
// the page and its pieces / ordering and buffers.
#include "effects/page_curl_mesh.h"

#include <algorithm>
#include <cmath>

#include "effects/page_camera.h"

struct CCurlMesh::CurlParams {
  float radius;
  float progress;
  float band;
  int cylinder;
};

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kPi = 3.1415927f;
constexpr float kHalfPage = 500.0f;
constexpr float kMinCurlRadius = 10.0f;
// A roll's radius shrinks with the distance from the line; it never reaches 0.
constexpr float kMinRollRadius = 1.0f;
constexpr float kRollShrink = 0.01f;
constexpr float kMinBand = 1.0f;
constexpr float kDegenerateEdge = 0.0001f;
constexpr float kFlatHeight = 1e-4f;
constexpr int kMaxPolygon = 16;

// --- polygons in the turned frame ---

// A convex polygon of at most kMaxPolygon vertices.
struct Polygon {
  CCurlVertex v[kMaxPolygon];
  int count = 0;
  void Add(const CCurlVertex& vertex) {
    if (count < kMaxPolygon) v[count++] = vertex;
  }
};

// Where the edge meets the line y = level. The lower end is always taken
// first, so that two pieces sharing an edge get bit-identical points.
CCurlVertex CrossAt(const CCurlVertex& a, const CCurlVertex& b, float level) {
  const CCurlVertex& lo = a.position.y <= b.position.y ? a : b;
  const CCurlVertex& hi = a.position.y <= b.position.y ? b : a;
  const float t = (level - lo.position.y) / (hi.position.y - lo.position.y);
  CCurlVertex r = a;
  r.position.x = lo.position.x + (hi.position.x - lo.position.x) * t;
  r.position.y = level;
  r.position.z = lo.position.z + (hi.position.z - lo.position.z) * t;
  r.position.w = 1.0f;
  r.texture.x = lo.texture.x + (hi.texture.x - lo.texture.x) * t;
  r.texture.y = lo.texture.y + (hi.texture.y - lo.texture.y) * t;
  return r;
}

// Splits at y = level: vertices below go to `below`, the others to
// `above`; a crossing point goes to both.
void SplitAt(const Polygon& in, float level, Polygon* below, Polygon* above) {
  for (int i = 0; i < in.count; ++i) {
    const CCurlVertex& a = in.v[i];
    const CCurlVertex& b = in.v[(i + 1) % in.count];
    const bool aBelow = a.position.y < level, bBelow = b.position.y < level;
    if (aBelow) {
      if (below) below->Add(a);
    } else if (above) {
      above->Add(a);
    }
    if (aBelow != bBelow) {
      const CCurlVertex cross = CrossAt(a, b, level);
      if (below) below->Add(cross);
      if (above) above->Add(cross);
    }
  }
}

void HeightRange(const Polygon& polygon, float* low, float* high) {
  *low = *high = polygon.v[0].position.y;
  for (int i = 1; i < polygon.count; ++i) {
    *low = std::min(*low, polygon.v[i].position.y);
    *high = std::max(*high, polygon.v[i].position.y);
  }
}

bool IsFlat(const Polygon& polygon) {
  if (polygon.count < 3) return true;
  float low, high;
  HeightRange(polygon, &low, &high);
  return !(high - low > kFlatHeight);
}

// What happens to the vertices of one piece after it is cut into bands.
enum class PieceKind { Flat, Wrap, Back, Roll };

struct PieceShape {
  PieceKind kind;
  float line;          // L
  float radius;        // r as given (back part height, roll offset)
  float wrapRadius;    // R of the cylinder
};

// Moves a vertex of the turned frame onto its place on the page, cylinder,
// back or roll; normals in the turned frame.
void PlaceVertex(CCurlVertex& v, const PieceShape& s) {
  const float d = v.position.y - s.line;
  switch (s.kind) {
    case PieceKind::Flat:
      v.normal = CVector3(0.0f, 0.0f, 1.0f, v.normal.w);
      break;
    case PieceKind::Back:
      v.position.y = (2.0f * s.line + kPi * s.radius) - v.position.y;
      v.position.z = -2.0f * s.radius;
      v.normal.z = -v.normal.z;
      v.normal.Normalize();
      break;
    case PieceKind::Wrap: {
      const float theta = d / s.wrapRadius;
      v.position.y = s.line + s.wrapRadius * std::sin(theta);
      v.position.z = s.wrapRadius * std::cos(theta) - s.wrapRadius;
      v.normal = CVector3(0.0f, -std::sin(theta), std::cos(theta), v.normal.w);
      break;
    }
    case PieceKind::Roll: {
      const float rolled = std::max(std::trunc(s.radius - kRollShrink * d), kMinRollRadius);
      const float theta = d / rolled;
      v.position.y = s.line + rolled * std::sin(theta);
      v.position.z = rolled * std::cos(theta) - s.radius;
      v.normal = CVector3(0.0f, -std::sin(theta), std::cos(theta), v.normal.w);
      v.normal.Normalize();
      break;
    }
  }
}

}  // namespace

// --- the curl of one polygon ---

namespace {

// Cuts a piece into bands between the lines y = k x band, shapes every
// vertex, turns it back by (c, s) and appends the bands as fans.
void EmitPiece(const Polygon& piece, float band, const PieceShape& shape, float c, float s,
               std::vector<CCurlVertex>& vertices, std::vector<CCurlTriangle>& triangles) {
  if (IsFlat(piece)) return;
  float low, high;
  HeightRange(piece, &low, &high);
  const long firstBand = static_cast<long>(std::floor(low / band));
  const long lastBand = static_cast<long>(std::ceil(high / band));
  for (long k = firstBand; k < lastBand; ++k) {
    Polygon above, strip;
    SplitAt(piece, static_cast<float>(k) * band, nullptr, &above);
    SplitAt(above, static_cast<float>(k + 1) * band, &strip, nullptr);
    if (IsFlat(strip)) continue;
    const int first = static_cast<int>(vertices.size());
    for (int i = 0; i < strip.count; ++i) {
      CCurlVertex v = strip.v[i];
      PlaceVertex(v, shape);
      const float x = v.position.x, y = v.position.y, nx = v.normal.x, ny = v.normal.y;
      v.position.x = c * x + s * y;
      v.position.y = c * y - s * x;
      v.normal.x = c * nx + s * ny;
      v.normal.y = c * ny - s * nx;
      vertices.push_back(v);
    }
    for (int i = 2; i < strip.count; ++i) triangles.push_back(CCurlTriangle{{first, first + i - 1, first + i}, 3});
  }
}

}  // namespace

void CCurlMesh::CurlPolygon(const CCurlVertex* polygon, int count, const CurlParams& shape, float angle) {
  const float c = std::cos(angle * kDegreesToRadians), s = std::sin(angle * kDegreesToRadians);
  Polygon turned;
  for (int i = 0; i < count; ++i) {
    CCurlVertex v = polygon[i];
    const float x = v.position.x, y = v.position.y;
    v.position.x = c * x - s * y;
    v.position.y = s * x + c * y;
    turned.Add(v);
  }
  float low, high;
  HeightRange(turned, &low, &high);
  const float line = (1.0f - shape.progress) * (high - low) + low;

  Polygon flat, curled;
  SplitAt(turned, line, &flat, &curled);
  EmitPiece(flat, shape.band, PieceShape{PieceKind::Flat, line, shape.radius, 0.0f}, c, s, m_vertices,
            m_triangles);
  if (!shape.cylinder) {
    EmitPiece(curled, shape.band, PieceShape{PieceKind::Roll, line, std::max(shape.radius, kMinCurlRadius), 0.0f},
              c, s, m_vertices, m_triangles);
    return;
  }
  // Half a turn of the given radius ends the wrap, though the wrap itself
  // bends with the radius raised to a whole number of at least 10.
  const float wrapRadius = std::trunc(std::max(shape.radius, kMinCurlRadius));
  Polygon wrapped, back;
  SplitAt(curled, line + kPi * shape.radius, &wrapped, &back);
  EmitPiece(wrapped, shape.band, PieceShape{PieceKind::Wrap, line, shape.radius, wrapRadius}, c, s, m_vertices,
            m_triangles);
  EmitPiece(back, shape.band, PieceShape{PieceKind::Back, line, shape.radius, wrapRadius}, c, s, m_vertices,
            m_triangles);
}

// --- the page and its pieces ---

namespace {

CCurlVertex PageCorner(float x, float y, float u, float v) {
  return CCurlVertex{CVector3(x, y, 0.0f, 1.0f), CVector3(0.0f, 0.0f, -1.0f, 1.0f), CVector2(u, v)};
}

CCurlVertex Midpoint(const CCurlVertex& a, const CCurlVertex& b) {
  CCurlVertex m = a;
  m.position.x = (a.position.x + b.position.x) * 0.5f;
  m.position.y = (a.position.y + b.position.y) * 0.5f;
  m.position.z = (a.position.z + b.position.z) * 0.5f;
  m.texture.x = (a.texture.x + b.texture.x) * 0.5f;
  m.texture.y = (a.texture.y + b.texture.y) * 0.5f;
  return m;
}

}  // namespace

CCurlMesh::CCurlMesh() {
  for (CCurlVertex& v : m_page) v = PageCorner(0.0f, 0.0f, 0.0f, 0.0f);
}

void CCurlMesh::Release() {
  m_triangles = std::vector<CCurlTriangle>();
  m_vertices = std::vector<CCurlVertex>();
}

void CCurlMesh::BuildPage(float radius, float progress, float angle, int mode, float band) {
  m_page[0] = PageCorner(-kHalfPage, -kHalfPage, 0.0f, 1.0f);
  m_page[1] = PageCorner(kHalfPage, -kHalfPage, 1.0f, 1.0f);
  m_page[2] = PageCorner(kHalfPage, kHalfPage, 1.0f, 0.0f);
  m_page[3] = PageCorner(-kHalfPage, kHalfPage, 0.0f, 0.0f);
  m_vertices.clear();
  m_triangles.clear();
  if (!std::isfinite(angle)) angle = 0.0f;
  // Values that would make no band, no line or no radius are pulled in.
  const CurlParams shape{std::isfinite(radius) ? std::max(radius, 0.0f) : 0.0f,
                    std::isnan(progress) ? 0.0f : std::clamp(progress, 0.0f, 1.0f),
                    std::isfinite(band) ? std::max(band, kMinBand) : kMinBand, m_cylinder};

  const CCurlVertex* p = m_page;
  switch (mode) {
    case 0:
      CurlPolygon(p, 4, shape, angle);
      break;
    case 1:
    case 2:
    case 3: {
      const CCurlVertex m01 = Midpoint(p[0], p[1]), m32 = Midpoint(p[3], p[2]);
      const CCurlVertex right[4] = {m01, p[1], p[2], m32}, left[4] = {p[0], m01, m32, p[3]};
      const float rightAngle = mode == 1 ? angle : mode == 2 ? angle + 180.0f : 360.0f - angle;
      CurlPolygon(right, 4, shape, rightAngle);
      CurlPolygon(left, 4, shape, angle);
      break;
    }
    case 4: {
      const CCurlVertex m01 = Midpoint(p[0], p[1]), m12 = Midpoint(p[1], p[2]);
      const CCurlVertex m32 = Midpoint(p[3], p[2]), m03 = Midpoint(p[0], p[3]);
      const CCurlVertex centre = Midpoint(m01, m32);
      // Each quarter curls from the page's centre out to its own corner.
      const CCurlVertex quarters[4][4] = {{p[0], m01, centre, m03},
                                          {m01, p[1], m12, centre},
                                          {centre, m12, p[2], m32},
                                          {m03, centre, m32, p[3]}};
      const float angles[4] = {angle, 360.0f - angle, angle + 180.0f, 180.0f - angle};
      for (int i = 0; i < 4; ++i) CurlPolygon(quarters[i], 4, shape, angles[i]);
      break;
    }
    default:
      break;
  }
}

// --- ordering and buffers ---

CVector3 CCurlMesh::TriangleNormal(const CCurlTriangle& triangle) const {
  const CVector3& p0 = m_vertices[triangle.index[0]].position;
  const CVector3& p1 = m_vertices[triangle.index[1]].position;
  const CVector3& p2 = m_vertices[triangle.index[2]].position;
  const CVector3 e1(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z, 1.0f);
  const CVector3 e2(p2.x - p1.x, p2.y - p1.y, p2.z - p1.z, 1.0f);
  auto tiny = [](const CVector3& e) {
    return std::fabs(e.x) < kDegenerateEdge && std::fabs(e.y) < kDegenerateEdge && std::fabs(e.z) < kDegenerateEdge;
  };
  CVector3 normal(0.0f, 0.0f, 0.0f, 1.0f);
  if (tiny(e1) || tiny(e2)) return normal;
  Cross3(e1, e2, normal);
  normal.Normalize();
  return normal;
}

void CCurlMesh::SortFrontBack() {
  std::vector<CCurlTriangle> sorted(m_triangles.size());
  size_t front = 0, back = sorted.size();
  for (const CCurlTriangle& triangle : m_triangles) {
    if (TriangleNormal(triangle).z > 0.0f)
      sorted[front++] = triangle;
    else
      sorted[--back] = triangle;
  }
  m_triangles.swap(sorted);
}

BOOL CCurlMesh::FillVertexBuffer(IDirect3DDevice9* device, IDirect3DVertexBuffer9** vertexBuffer,
                                 IDirect3DIndexBuffer9** indexBuffer, float su, float sv) {
  *vertexBuffer = nullptr;
  *indexBuffer = nullptr;
  if (!device || m_vertices.empty() || m_triangles.empty() || m_vertices.size() > kMaxVertices) return 0;
  SortFrontBack();
  const UINT vertexBytes = static_cast<UINT>(m_vertices.size() * sizeof(CPageVertex));
  const UINT indexBytes = static_cast<UINT>(m_triangles.size() * 3 * sizeof(WORD));
  CPageVertex* out = nullptr;
  WORD* indices = nullptr;
  auto fail = [&]() {
    if (*vertexBuffer) (*vertexBuffer)->Release();
    if (*indexBuffer) (*indexBuffer)->Release();
    *vertexBuffer = nullptr;
    *indexBuffer = nullptr;
    return FALSE;
  };
  if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kPageVertexFvf,
                                        D3DPOOL_DEFAULT, vertexBuffer, nullptr)) ||
      FAILED((*vertexBuffer)->Lock(0, 0, reinterpret_cast<void**>(&out), 0)))
    return fail();
  for (const CCurlVertex& v : m_vertices) {
    *out++ = CPageVertex{v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z,
                         v.texture.x * su, v.texture.y * sv};
  }
  (*vertexBuffer)->Unlock();
  if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_DEFAULT, indexBuffer, nullptr)) ||
      FAILED((*indexBuffer)->Lock(0, 0, reinterpret_cast<void**>(&indices), 0)))
    return fail();
  for (const CCurlTriangle& triangle : m_triangles)
    for (int k = 0; k < 3; ++k) *indices++ = static_cast<WORD>(triangle.index[k]);
  (*indexBuffer)->Unlock();
  return 1;
}
