// Fill styles: deep copies of the parts and the fill record.
#include "model/raster/fill_style.h"

#include "compat/afx/archive.h"
#include "model/project/record_checks.h"

namespace {

template <class T>
void Replace(T*& slot, T* part) {
  delete slot;
  slot = part;
}

CFillPart* CopyPattern(const CFillPart* pattern) {
  if (pattern == nullptr) return nullptr;
  // Only the two pattern kinds are known; any other is not copied.
  if (pattern->kind == kFillPartPath) return new CFillPathPart(*static_cast<const CFillPathPart*>(pattern));
  if (pattern->kind == kFillPartGradient)
    return new CFillGradientPart(*static_cast<const CFillGradientPart*>(pattern));
  return nullptr;
}

// A "has part" word: anything but 0 means present.
bool ReadFlag(CArchive& ar) {
  DWORD flag = 0;
  ar >> flag;
  return flag != 0;
}

}  // namespace

// --- parts ---

void CFillPathPart::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(kind) << path;
  } else {
    DWORD stored = 0;
    ar >> stored >> path;
    CheckPathText(path);
  }
}

void CFillImagePart::Serialize(CArchive& ar) {
  // The path is not part of the record.
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(kind) << value;
  } else {
    DWORD stored = 0;
    ar >> stored >> value;
    CheckFinite(value);
  }
}

void CFillTransform::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    ar << p1 << p5 << p4 << p3 << n << p2;
  else
    ar >> p1 >> p5 >> p4 >> p3 >> n >> p2;
  if (ar.IsLoading())
    for (const CVector2* p : {&p1, &p2, &p3, &p4, &p5}) CheckFinite(*p);
}

void CFillTexturePart::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(kind) << value;
  } else {
    DWORD stored = 0;
    ar >> stored >> value;
    CheckFinite(value);
  }
  transform.Serialize(ar);
}

void CFillGradientPart::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(kind);
  } else {
    DWORD stored = 0;
    ar >> stored;
  }
  first.Serialize(ar);
  second.Serialize(ar);
}

// --- the fill ---

void CFillStyle::FreeParts() {
  delete image;
  delete texture;
  delete pattern;
  image = nullptr;
  texture = nullptr;
  pattern = nullptr;
}

CFillStyle& CFillStyle::operator=(const CFillStyle& other) {
  if (this == &other) return *this;
  type = other.type;
  color = other.color;
  Replace(image, other.image ? new CFillImagePart(*other.image) : nullptr);
  Replace(texture, other.texture ? new CFillTexturePart(*other.texture) : nullptr);
  Replace(pattern, CopyPattern(other.pattern));
  return *this;
}

void CFillStyle::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << type << color;
    ar << static_cast<DWORD>(image != nullptr);
    if (image) image->Serialize(ar);
    ar << static_cast<DWORD>(texture != nullptr);
    if (texture) texture->Serialize(ar);
    const bool known = pattern && (pattern->kind == kFillPartPath || pattern->kind == kFillPartGradient);
    ar << static_cast<DWORD>(known);
    if (!known) return;
    ar << static_cast<DWORD>(pattern->kind);
    if (pattern->kind == kFillPartPath)
      static_cast<CFillPathPart*>(pattern)->Serialize(ar);
    else
      static_cast<CFillGradientPart*>(pattern)->Serialize(ar);
    return;
  }
  FreeParts();
  ar >> type >> color;
  // Each part belongs to the fill before it reads itself, so a short record
  // leaves nothing unowned.
  if (ReadFlag(ar)) {
    image = new CFillImagePart;
    image->Serialize(ar);
  }
  if (ReadFlag(ar)) {
    texture = new CFillTexturePart;
    texture->Serialize(ar);
  }
  if (!ReadFlag(ar)) return;
  DWORD kind = 0;
  ar >> kind;
  if (kind == kFillPartPath) {
    auto* path = new CFillPathPart;
    pattern = path;
    path->Serialize(ar);
  } else if (kind == kFillPartGradient) {
    auto* gradient = new CFillGradientPart;
    pattern = gradient;
    gradient->Serialize(ar);
  }
  // Any other kind has no record of its own and makes no part.
}

void CFillStyle::SetPatternImage(const CString& path) {
  auto* part = new CFillPathPart;
  part->path = path;
  Replace(pattern, static_cast<CFillPart*>(part));
}

BOOL CFillStyle::GetPatternImage(CString& path) const {
  if (pattern == nullptr || pattern->kind != kFillPartPath) return FALSE;
  path = static_cast<const CFillPathPart*>(pattern)->path;
  return TRUE;
}

void CFillStyle::SetGradient(const CGradientDesc& desc) {
  auto* part = new CFillGradientPart;
  part->first = desc;
  Replace(pattern, static_cast<CFillPart*>(part));
}

BOOL CFillStyle::GetGradient(CGradientDesc& desc) const {
  if (pattern == nullptr || pattern->kind != kFillPartGradient) return FALSE;
  desc = static_cast<const CFillGradientPart*>(pattern)->first;
  return TRUE;
}
