// "No Effect": the in and out effect of every new pair; it passes the
// picture through unchanged and has no parameters.
#pragma once

#include "model/project/effect.h"

class CNoEffect : public CEffect {
 public:
  static constexpr int kId = 0;

  int GetID() const override { return kId; }
  // Defined beside the registration so that every use links it in.
  CString GetName() const override;
  // The source picture into the target, exactly, at any progress.
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}
};
