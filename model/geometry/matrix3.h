// CMatrix3 (affine transform of the plane) and CMatrix4 (transform of space),
// both used with row vectors so that the translation sits in the last row;
// plus the general square-matrix determinant and inverse behind Invert.
#pragma once

#include "model/geometry/vector2.h"

struct CMatrix3 {
  // Row-major: m[0] m[1] m[2] / m[3] m[4] m[5] / m[6] m[7] m[8].
  float m[9];

  CMatrix3() { SetIdentity(); }

  void SetIdentity();
  void SetTranslation(const CVector2& t);
  void SetScale(const CVector2& s);
  // Positive angles turn clockwise on the y-down screen.
  void SetRotation(float degrees);
  void SetRotationAbout(const CVector2& centre, float degrees);

  // this = this x b: the result applies this matrix first, then b.
  CMatrix3& operator*=(const CMatrix3& b);

  void TransformPoint(const CVector2& in, CVector2& out) const;
  // A singular matrix (|det| < 1e-6) becomes the zero matrix.
  void Invert();
};

struct CMatrix4 {
  // Row-major, points as row vectors [x y z 1]; translation in m[12..14].
  float m[16];

  CMatrix4() { SetIdentity(); }

  void SetIdentity();
  // Sets only the translation row; the rest is kept.
  void SetTranslation(float x, float y, float z);
  void TransformPoint(const float in[3], float out[3]) const;
  CMatrix4& operator*=(const CMatrix4& b);
  // Multiplies by the rotation that turns (x, y, z) onto the positive z axis.
  void SetRotationToDirection(float x, float y, float z);
};

// Determinant of the n x n row-major matrix a (0 for n < 1).
double Determinant(const double* a, int n);
// Writes the inverse of a into inv and returns 1, or leaves inv all zeros and
// returns 0 when |det| < 1e-6.
int InvertMatrixN(const double* a, double* inv, int n);
