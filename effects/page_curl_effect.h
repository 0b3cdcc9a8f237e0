// "Page Curl And Turn": the picture turned away like a page of a book,
// curled round a cylinder whose axis sweeps across it.
#pragma once

#include "model/project/effect.h"

class CPageCurlEffect : public CEffect {
 public:
  static constexpr int kId = 10;
  static constexpr float kMaxRadius = 5000.0f;
  static constexpr float kMaxDirection = 360.0f;
  static constexpr int kMaxStyle = 4;

  int GetID() const override { return kId; }
  CString GetName() const override;
  // Draws into the back buffer with its own camera, then copies the
  // picture's rectangle into the target.
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  // Radius, Direction (floats), lit, Style, Curl (ints); the band width is
  // not stored. Values out of range load clamped.
  void Serialize(CArchive& ar) override;

  float m_radius = 200.0f;     // page units
  float m_direction = 45.0f;   // degrees
  float m_bandWidth = 5.0f;    // page units between the tessellation lines
  int m_lit = 0;
  int m_style = 0;             // 0 whole page, 1-3 halves, 4 quarters
  int m_curl = 1;              // cylinder with a back part, else a roll
};
