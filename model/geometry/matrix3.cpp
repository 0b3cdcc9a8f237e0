// CMatrix3, CMatrix4 and the square-matrix determinant and inverse.
#include "model/geometry/matrix3.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
// Pivot and singularity tolerance, a float constant compared as a double.
constexpr double kMatrixTolerance = static_cast<double>(1e-6f);
// Below this length a direction has no defined turn.
constexpr float kDirectionMinLength = 0.0001f;

double At(const double* a, int n, int row, int column) { return a[row * n + column]; }

// The minor of a without row skipRow and column skipColumn, packed row by row.
void PackMinor(const double* a, int n, int skipRow, int skipColumn, double* minor) {
  int k = 0;
  for (int row = 0; row < n; ++row) {
    if (row == skipRow) continue;
    for (int column = 0; column < n; ++column) {
      if (column != skipColumn) minor[k++] = At(a, n, row, column);
    }
  }
}

}  // namespace

// --- CMatrix3 ---

void CMatrix3::SetIdentity() {
  for (float& v : m) v = 0.0f;
  m[0] = m[4] = m[8] = 1.0f;
}

void CMatrix3::SetTranslation(const CVector2& t) {
  SetIdentity();
  m[6] = t.x;
  m[7] = t.y;
}

void CMatrix3::SetScale(const CVector2& s) {
  SetIdentity();
  m[0] = s.x;
  m[4] = s.y;
}

void CMatrix3::SetRotation(float degrees) {
  const float radians = degrees * kDegreesToRadians;
  const float c = static_cast<float>(std::cos(static_cast<double>(radians)));
  const float s = static_cast<float>(std::sin(static_cast<double>(radians)));
  SetIdentity();
  m[0] = c;
  m[1] = s;
  m[3] = -s;
  m[4] = c;
}

void CMatrix3::SetRotationAbout(const CVector2& centre, float degrees) {
  SetTranslation(CVector2(-centre.x, -centre.y));
  CMatrix3 step;
  step.SetRotation(degrees);
  *this *= step;
  step.SetTranslation(centre);
  *this *= step;
}

CMatrix3& CMatrix3::operator*=(const CMatrix3& b) {
  float product[9];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += static_cast<double>(m[i * 3 + k]) * b.m[k * 3 + j];
      product[i * 3 + j] = static_cast<float>(sum);
    }
  }
  for (int i = 0; i < 9; ++i) m[i] = product[i];
  return *this;
}

// Both coordinates are formed before either is stored, so in and out may be
// the same point (transforming a point in place keeps its y right).
void CMatrix3::TransformPoint(const CVector2& in, CVector2& out) const {
  const double x = in.x, y = in.y;
  const float outX = static_cast<float>(m[0] * x + m[3] * y + m[6]);
  const float outY = static_cast<float>(m[1] * x + m[4] * y + m[7]);
  out.x = outX;
  out.y = outY;
}

void CMatrix3::Invert() {
  double wide[9], inverse[9];
  for (int i = 0; i < 9; ++i) wide[i] = m[i];
  InvertMatrixN(wide, inverse, 3);
  for (int i = 0; i < 9; ++i) m[i] = static_cast<float>(inverse[i]);
}

// --- CMatrix4 ---

void CMatrix4::SetIdentity() {
  for (float& v : m) v = 0.0f;
  m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void CMatrix4::SetTranslation(float x, float y, float z) {
  m[12] = x;
  m[13] = y;
  m[14] = z;
}

void CMatrix4::TransformPoint(const float in[3], float out[3]) const {
  const double x = in[0], y = in[1], z = in[2];
  float result[3];
  for (int i = 0; i < 3; ++i) result[i] = static_cast<float>(m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i]);
  for (int i = 0; i < 3; ++i) out[i] = result[i];
}

CMatrix4& CMatrix4::operator*=(const CMatrix4& b) {
  float product[16];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += static_cast<double>(m[i * 4 + k]) * b.m[k * 4 + j];
      product[i * 4 + j] = static_cast<float>(sum);
    }
  }
  for (int i = 0; i < 16; ++i) m[i] = product[i];
  return *this;
}

// A factor whose direction is too short to define a turn stays the identity:
// a direction already on the z axis needs no turn about z, and a zero
// direction has nothing to turn.
void CMatrix4::SetRotationToDirection(float x, float y, float z) {
  const double xx = x, yy = y, zz = z;
  const float length = static_cast<float>(std::sqrt(xx * xx + yy * yy + zz * zz));
  const float planeLength = static_cast<float>(std::sqrt(xx * xx + yy * yy));
  CMatrix4 aboutZ;
  if (std::fabs(planeLength) > kDirectionMinLength) {
    aboutZ.m[0] = x / planeLength;
    aboutZ.m[1] = -y / planeLength;
    aboutZ.m[4] = y / planeLength;
    aboutZ.m[5] = x / planeLength;
  }
  *this *= aboutZ;
  CMatrix4 aboutY;
  if (std::fabs(length) > kDirectionMinLength) {
    aboutY.m[0] = z / length;
    aboutY.m[2] = planeLength / length;
    aboutY.m[8] = -planeLength / length;
    aboutY.m[10] = z / length;
  }
  *this *= aboutY;
}

// --- square matrices ---

double Determinant(const double* a, int n) {
  if (n < 1) return 0.0;
  if (n == 1) return a[0];
  if (n == 2) return a[3] * a[0] - a[2] * a[1];
  std::vector<double> work(a, a + static_cast<size_t>(n) * n);
  int pivot = 0;
  while (pivot < n && std::fabs(work[pivot]) <= kMatrixTolerance) ++pivot;
  if (pivot == n) return 0.0;
  // Clear row 0 beside the pivot by column operations, which keep the value.
  for (int column = 0; column < n; ++column) {
    if (column == pivot || std::fabs(work[column]) <= kMatrixTolerance) continue;
    const double factor = work[column] / work[pivot];
    for (int row = 1; row < n; ++row) work[row * n + column] -= factor * work[row * n + pivot];
  }
  std::vector<double> minor(static_cast<size_t>(n - 1) * (n - 1));
  PackMinor(work.data(), n, 0, pivot, minor.data());
  const double sign = (pivot % 2 == 0) ? 1.0 : -1.0;
  return sign * work[pivot] * Determinant(minor.data(), n - 1);
}

int InvertMatrixN(const double* a, double* inv, int n) {
  if (n < 1) return 0;
  const double det = Determinant(a, n);
  for (int i = 0; i < n * n; ++i) inv[i] = 0.0;
  if (std::fabs(det) < kMatrixTolerance) return 0;
  if (n == 1) {
    inv[0] = 1.0 / det;
    return 1;
  }
  const double reciprocal = 1.0 / det;
  std::vector<double> minor(static_cast<size_t>(n - 1) * (n - 1));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      PackMinor(a, n, i, j, minor.data());
      const double sign = ((i + j) % 2 == 0) ? 1.0 : -1.0;
      inv[j * n + i] = sign * Determinant(minor.data(), n - 1) * reciprocal;
    }
  }
  return 1;
}
