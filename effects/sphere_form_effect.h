// "Sphere Form" (the picture on a ball that shrinks to nothing) and "Special
// Wave" (every inner point samples nearer the centre): both move only the
// texture coordinates of the wave grid and have no parameters.
#pragma once

#include "model/project/effect.h"

class CSphereFormEffect : public CEffect {
 public:
  static constexpr int kId = 23;

  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}
};

class CSpecialWaveEffect : public CEffect {
 public:
  static constexpr int kId = 22;

  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}
};
