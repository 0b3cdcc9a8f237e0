// CFillStyle: how an area is painted (one colour, a colour variation or a
// picture), its optional part objects and the fill record that the project
// file and the swatch files share.
#pragma once

#include "compat/afx/string.h"
#include "compat/win32/types.h"
#include "model/raster/gradient_desc.h"
#include "model/geometry/vector2.h"

class CArchive;

// Fill types; every other value is a picture.
enum FillType { kFillColor = 0, kFillVaryColor = 1 };

// Kinds of the part objects.
enum FillPartKind { kFillPartImage = 0, kFillPartPath = 1, kFillPartTexture = 3, kFillPartGradient = 4 };

class CFillPart {
 public:
  virtual ~CFillPart() = default;
  int kind = 0;
};

class CFillPathPart : public CFillPart {
 public:
  CFillPathPart() { kind = kFillPartPath; }
  void Serialize(CArchive& ar);

  DWORD word = 0;  // copied with the part, never stored
  CString path;
};

class CFillImagePart : public CFillPathPart {
 public:
  CFillImagePart() { kind = kFillPartImage; }
  void Serialize(CArchive& ar);

  float value = 1.0f;
};

// The texture's placement; the renderer gives the members their meaning.
struct CFillTransform {
  CVector2 p1{0.0f, 0.0f};
  CVector2 p2{0.0f, 0.0f};
  int n = 0;
  CVector2 p3{1.0f, 1.0f};
  CVector2 p4{0.0f, 0.0f};
  CVector2 p5{0.0f, 0.0f};

  void Serialize(CArchive& ar);
};

class CFillTexturePart : public CFillPathPart {
 public:
  CFillTexturePart() {
    kind = kFillPartTexture;
    transform.p1 = CVector2(0.5f, 0.5f);
  }
  void Serialize(CArchive& ar);

  float value = 1.0f;
  CFillTransform transform;
};

class CFillGradientPart : public CFillPart {
 public:
  CFillGradientPart() { kind = kFillPartGradient; }
  void Serialize(CArchive& ar);

  CGradientDesc first;
  CGradientDesc second;
};

struct CFillStyle {
  int type = kFillColor;
  DWORD color = 0xFF808080;  // 0xAARRGGBB
  CFillImagePart* image = nullptr;
  CFillTexturePart* texture = nullptr;
  CFillPart* pattern = nullptr;  // a CFillPathPart or a CFillGradientPart

  CFillStyle() = default;
  CFillStyle(const CFillStyle& other) { *this = other; }
  ~CFillStyle() { FreeParts(); }

  void FreeParts();
  CFillStyle& operator=(const CFillStyle& other);
  void Serialize(CArchive& ar);

  void SetPatternImage(const CString& path);
  BOOL GetPatternImage(CString& path) const;
  void SetGradient(const CGradientDesc& desc);
  BOOL GetGradient(CGradientDesc& desc) const;
};
