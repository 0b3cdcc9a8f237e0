// The mesh base of the renderer and the effects.
#include "render/shape_base.h"

#include <new>

#include "model/geometry/matrix3.h"

namespace {
constexpr int kMaxShapeVertices = 65536;  // what a 16-bit index reaches
constexpr int kMaxShapeTriangles = 1 << 24;
}  // namespace

CShapeBase::~CShapeBase() {
  delete[] m_vertices;
  delete[] m_indices;
}

void CShapeBase::Transform(const CMatrix3& matrix) {
  for (int i = 0; i < m_vertexCount; ++i) {
    CVector2 out;
    matrix.TransformPoint(CVector2(m_vertices[i].x, m_vertices[i].y), out);
    m_vertices[i].x = out.x;
    m_vertices[i].y = out.y;
  }
}

void CShapeBase::SetMesh(CRenderVertex* vertices, int vertexCount, WORD* triangles, int triangleCount) {
  delete[] m_vertices;
  delete[] m_indices;
  m_vertices = vertices;
  m_indices = triangles;
  m_vertexCount = m_vertexCapacity = vertexCount;
  m_triangleCount = m_triangleCapacity = triangleCount;
}

BOOL CShapeBase::Reserve(int vertexCount, int triangleCount) {
  if (vertexCount < 0 || triangleCount < 0 || vertexCount > kMaxShapeVertices || triangleCount > kMaxShapeTriangles)
    return FALSE;
  if (vertexCount > m_vertexCapacity) {
    CRenderVertex* grown = new (std::nothrow) CRenderVertex[vertexCount];
    if (!grown) return FALSE;
    delete[] m_vertices;
    m_vertices = grown;
    m_vertexCapacity = vertexCount;
  }
  if (triangleCount > m_triangleCapacity) {
    WORD* grown = new (std::nothrow) WORD[static_cast<size_t>(triangleCount) * 3];
    if (!grown) return FALSE;
    delete[] m_indices;
    m_indices = grown;
    m_triangleCapacity = triangleCount;
  }
  m_vertexCount = vertexCount;
  m_triangleCount = triangleCount;
  return TRUE;
}

BOOL CColorMesh::Create() {
  if (!Reserve(4, 2)) return 0;
  const float hw = m_width * 0.5f, hh = m_height * 0.5f;
  const float corners[4][4] = {{-hw, -hh, 0, 1}, {-hw, hh, 0, 0}, {hw, hh, 1, 0}, {hw, -hh, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    m_vertices[i] = CRenderVertex{corners[i][0], corners[i][1], ExtentU(m_umin, m_umax, corners[i][2]),
                                  ExtentV(m_vmin, m_vmax, corners[i][3]), 0xFFFFFFFF};
  }
  const WORD triangles[6] = {0, 1, 2, 2, 3, 0};
  for (int i = 0; i < 6; ++i) m_indices[i] = triangles[i];
  return 1;
}
