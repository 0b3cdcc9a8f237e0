// Conversion of native glyph outlines into shape-outline contours, with the
// closing record, the crossing repair and the placement metrics.
#include "model/outline/glyph_outline.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "model/geometry/geometry.h"

namespace {

constexpr float kFixedToFloat = 1.5258789e-5f;

uint32_t Read32(const BYTE* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

WORD Read16(const BYTE* p) {
  WORD v;
  std::memcpy(&v, p, 2);
  return v;
}

// A native point: x, and y turned to point down.
CVector2 NativePoint(const BYTE* p) {
  return CVector2(static_cast<float>(static_cast<int32_t>(Read32(p))) * kFixedToFloat,
                  -static_cast<float>(static_cast<int32_t>(Read32(p + 4))) * kFixedToFloat);
}

struct GlyphRecord {
  WORD type;
  std::vector<CVector2> points;
};

struct GlyphContour {
  CVector2 start;
  std::vector<GlyphRecord> records;
};

// Reads one polygon; false when its records overrun it.
bool ReadPolygon(const BYTE* polygon, DWORD size, GlyphContour& out) {
  out.start = NativePoint(polygon + 8);
  DWORD at = kNativePolygonHeaderBytes;
  uint32_t lastX = Read32(polygon + 8), lastY = Read32(polygon + 12);
  while (at < size) {
    if (size - at < kNativeCurveHeaderBytes) return false;
    const WORD type = Read16(polygon + at);
    const WORD count = Read16(polygon + at + 2);
    if (count == 0 || (size - at - kNativeCurveHeaderBytes) / 8 < count) return false;
    GlyphRecord record{type, {}};
    for (WORD k = 0; k < count; ++k) record.points.push_back(NativePoint(polygon + at + 4 + 8 * k));
    lastX = Read32(polygon + at + 4 + 8 * (count - 1));
    lastY = Read32(polygon + at + 8 + 8 * (count - 1));
    out.records.push_back(std::move(record));
    at += kNativeCurveHeaderBytes + 8u * count;
  }
  // Closed when the last point is the start point to the bit.
  if (lastX != Read32(polygon + 8) || lastY != Read32(polygon + 12)) {
    out.records.push_back({kOutlinePolyline, {out.start}});
  }
  return true;
}

// Neighbouring edges p[a]-p[b] and p[c]-p[d] of a line-only stretch that
// cross are untangled by exchanging p[b] and p[c].
void RepairCrossings(GlyphContour& contour) {
  std::vector<CVector2*> p;
  std::vector<WORD> type;
  for (GlyphRecord& r : contour.records) {
    for (CVector2& v : r.points) {
      p.push_back(&v);
      type.push_back(r.type);
    }
  }
  const size_t n = p.size();
  if (n <= 3) return;
  for (size_t k = 0; k < n; ++k) {
    const size_t a = k, b = (k + 1) % n, c = (k + 2) % n, d = (k + 3) % n;
    const float first[4] = {p[a]->x, p[a]->y, p[b]->x, p[b]->y};
    const float second[4] = {p[c]->x, p[c]->y, p[d]->x, p[d]->y};
    if (type[a] != kOutlinePolyline || type[c] != kOutlinePolyline || !SegmentsIntersect(first, second, nullptr)) {
      continue;
    }
    std::swap(*p[b], *p[c]);
    if (b == n - 1) contour.start = *p[b];
    if (c == n - 1) contour.start = *p[c];
  }
}

std::vector<BYTE> ContourBuffer(const GlyphContour& contour) {
  std::vector<BYTE> buffer(kContourHeaderBytes);
  auto putPoint = [&buffer](const CVector2& v) {
    const float xy[2] = {v.x, v.y};
    const BYTE* bytes = reinterpret_cast<const BYTE*>(xy);
    buffer.insert(buffer.end(), bytes, bytes + 8);
  };
  std::memcpy(buffer.data() + 4, &contour.start.x, 4);
  std::memcpy(buffer.data() + 8, &contour.start.y, 4);
  for (const GlyphRecord& r : contour.records) {
    const WORD count = static_cast<WORD>(r.points.size());
    buffer.insert(buffer.end(), reinterpret_cast<const BYTE*>(&r.type), reinterpret_cast<const BYTE*>(&r.type) + 2);
    buffer.insert(buffer.end(), reinterpret_cast<const BYTE*>(&count), reinterpret_cast<const BYTE*>(&count) + 2);
    for (const CVector2& v : r.points) putPoint(v);
  }
  const uint32_t size = static_cast<uint32_t>(buffer.size());
  std::memcpy(buffer.data(), &size, 4);
  return buffer;
}

int HalfAwayFromZero(float v) { return RoundOutline(v); }

}  // namespace

int BuildGlyphContours(CShapeOutline& outline, const BYTE* native, DWORD bytes) {
  outline.RemoveAllContours();
  outline.SetGrowBy(128);
  outline.SetBounds(kOutlineBoundsUnset, kOutlineBoundsUnset, -kOutlineBoundsUnset, -kOutlineBoundsUnset);
  if (!native || bytes > kMaxNativeOutlineBytes) return -1;
  std::vector<GlyphContour> contours;
  DWORD at = 0;
  while (at < bytes) {
    if (bytes - at < kNativePolygonHeaderBytes) return -1;
    const DWORD size = Read32(native + at);
    if (size < kNativePolygonHeaderBytes || size > bytes - at) return -1;
    GlyphContour contour;
    if (!ReadPolygon(native + at, size, contour)) return -1;
    contours.push_back(std::move(contour));
    at += size;
  }
  for (GlyphContour& contour : contours) {
    RepairCrossings(contour);
    const std::vector<BYTE> buffer = ContourBuffer(contour);
    if (outline.AddContour(buffer.data(), static_cast<uint32_t>(buffer.size())) < 0) {
      outline.RemoveAllContours();
      outline.SetBounds(kOutlineBoundsUnset, kOutlineBoundsUnset, -kOutlineBoundsUnset, -kOutlineBoundsUnset);
      return -1;
    }
  }
  return outline.GetContourCount();
}

void GlyphOutlineMetrics(const RECT& bounds, int cellIncX, int cellIncY, int metrics[4]) {
  metrics[0] = bounds.left <= 0 ? -bounds.left : 0;
  if (cellIncX > 0) {
    metrics[2] = cellIncX;
    return;
  }
  // A vertical glyph: the font's descent is the left shift and its ascent the
  // advance; the top comes from the outline.
  metrics[0] = -metrics[3];
  metrics[2] = -metrics[1];
  metrics[1] = bounds.top <= 0 ? -bounds.top : 0;
  if (cellIncY > 0) metrics[3] = cellIncY;
}

void GlyphSpaceMetrics(float a, float b, float c, int metrics[4]) {
  float width;
  if (a <= 0) {
    metrics[0] = -static_cast<int>(std::trunc(std::max(a - 0.5f, -2e9f)));
    width = b + c;
  } else {
    metrics[0] = 0;
    width = a + b + c;
  }
  metrics[2] = HalfAwayFromZero(width);
}
