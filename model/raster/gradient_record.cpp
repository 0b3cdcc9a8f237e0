// The archive record of a gradient description: the stops that carry
// meaning, then repeat, angle, repeat mode, style, control points and the
// extra word.
#include "model/raster/gradient_desc.h"

#include <algorithm>

#include "compat/afx/archive.h"
#include "model/project/record_checks.h"

void CGradientDesc::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << stopCount;
    for (int i = 0; i < stopCount; ++i) {
      ar << colors[i] << positions[i];
      if (i + 1 < stopCount) ar << midpoints[i];
    }
    ar << repeatCount << angle << repeatMode << style;
    for (const CVector2& p : controlPoints) ar << p;
    ar << extra;
    return;
  }
  WORD count = 0;
  ar >> count;
  // The tables hold 256 stops; a larger count would write past them.
  if (count > kMaxGradientStops) AfxThrowArchiveException(CArchiveException::badIndex);
  stopCount = count;
  for (int i = 0; i < count; ++i) {
    ar >> colors[i] >> positions[i];
    positions[i] = std::clamp(CheckFinite(positions[i]), 0.0f, 1.0f);
    if (i + 1 < count) {
      ar >> midpoints[i];
      midpoints[i] = std::clamp(CheckFinite(midpoints[i]), 0.0f, 1.0f);
    }
  }
  ar >> repeatCount >> angle >> repeatMode >> style;
  CheckFinite(angle);
  repeatCount = std::clamp(repeatCount, 1, kMaxGradientRepeat);
  repeatMode = NormalFlag(repeatMode);
  style = std::clamp(style, 0, kGradientStyleCount - 1);
  for (CVector2& p : controlPoints) {
    ar >> p;
    CheckFinite(p);
  }
  ar >> extra;
}
