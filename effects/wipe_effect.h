// "Wipe": the next picture shows through a grey-level mask whose pixels turn
// opaque past a moving threshold, with a soft edge. The frame rendering takes
// the effect's mask texture as the frame's wipe texture.
#pragma once

#include <memory>
#include <vector>

#include "model/project/effect.h"

// A mask picture's levels and its texture, shared by every Wipe that names
// the same picture with the same content on the same device: each Render
// writes the texture's alpha for its own progress just before the frame
// draws with it, under the render lock.
struct CWipeMaskShare;

class CWipeEffect : public CEffect {
 public:
  static constexpr int kId = 1;

  CWipeEffect();
  ~CWipeEffect() override;
  CWipeEffect(const CWipeEffect&) = delete;
  CWipeEffect& operator=(const CWipeEffect&) = delete;

  int GetID() const override { return kId; }
  CString GetName() const override;
  // Writes the mask texture's alpha for this progress; the holders and the
  // renderer are not used.
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  // Reads the mask picture and makes its texture; a picture that exists but
  // cannot be read is reported once per path and leaves no texture.
  void Prepare(IDirect3DDevice9* device) override;
  // Mask path, edge, reverse. A loaded path is looked up again in the data
  // folder when its file is gone; edge and reverse are held to their ranges.
  void Serialize(CArchive& ar) override;
  IDirect3DTexture9* GetWipeTexture() override { return m_maskTexture; }

  CString m_maskPath;
  float m_edge = 0.2f;
  int m_reverse = 1;
  int m_maskWidth = 0;
  int m_maskHeight = 0;
  IDirect3DTexture9* m_maskTexture = nullptr;  // the shared mask's

 private:
  void ReleaseMask();

  std::shared_ptr<const CWipeMaskShare> m_mask;
};
