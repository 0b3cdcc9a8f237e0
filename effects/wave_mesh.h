// CWaveMesh: the regular grid the rippling effects deform ("Wave", "Under
// Warer", "Circle Wave" move its inner points; "Sphere Form" and "Special
// Wave" move their texture coordinates), and the frame they all draw in.
#pragma once

#include <functional>

#include "compat/d3d9.h"
#include "render/shape_base.h"

class CD3DRenderer;
class CTextureHolder;

class CWaveMesh : public CShapeBase {
 public:
  static constexpr int kDefaultColumns = 32;
  static constexpr int kDefaultRows = 32;

  // A picture of width x height centred on the origin, filling the texture
  // from (u0, v0) to (u1, v1).
  CWaveMesh(float width, float height, float u0, float u1, float v0, float v1)
      : m_width(width), m_height(height), m_u0(u0), m_u1(u1), m_v0(v0), m_v1(v1) {}

  // The grid: vertex of row j, column i at index j x columns + i; row 0 is
  // the top of the picture. 0 when the grid or the picture is empty, or the
  // grid is past what 16-bit indices reach.
  BOOL Create() override;

  // Deformations of the inner vertices; the border never moves.
  // "Wave": a displacement field turned by angle (radians).
  void ApplyWave(double amplitude, double frequency, double angle);
  // "Under Warer": a ripple along the diagonal; only x moves with time.
  void ApplyDiagonalWave(double amplitude, double frequency, double velocity, double time);
  // "Circle Wave": a damped sine of the distance from the centre, pushed
  // along the diagonal.
  void ApplyCircleWave(double amplitude, double frequency, double velocity, double q);
  // "Sphere Form": the picture wrapped on a ball of radius q / 2 (texture only).
  void ApplySphere(double q);
  // "Special Wave": each inner point samples 0.35 q nearer the centre.
  void ApplyRadialPinch(double q);

  float m_width, m_height;
  float m_u0, m_u1, m_v0, m_v1;
  int m_columns = kDefaultColumns;
  int m_rows = kDefaultRows;

 private:
  // Calls visit(vertex, a, b, r) for every inner vertex: (a, b) is its place
  // in the unit square centred on 0, r its distance from the centre.
  template <class Visit>
  void ForEachInnerVertex(Visit visit);
};


// The whole frame of a grid effect: a fresh grid over the target picture,
// deformed by `deform`, drawn with the source texture into the target.
void RenderWaveGrid(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                    CTextureHolder* target, const std::function<void(CWaveMesh&)>& deform);
