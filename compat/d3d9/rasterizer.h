// Turns screen-space triangles and lines into pixel runs. Triangles of one
// draw are set up first, then rasterised in horizontal bands across the
// worker pool; each band walks the triangles in submission order.
#pragma once

#include <vector>

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

class Rasterizer {
 public:
  // Starts a draw; the state must outlive `Flush`.
  void Begin(const DrawState* state);
  // Queues a triangle; degenerate, culled, non-finite or off-target ones are dropped.
  void AddTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, DWORD cullMode);
  // Draws a one-pixel line at once, the last pixel included.
  void DrawLine(const ScreenVertex& a, const ScreenVertex& b);
  // Rasterises the queued triangles.
  void Flush();

  size_t QueuedTriangles() const { return prims_.size(); }

 private:
  static void BandJob(void* self, int band);
  void RasteriseBand(int top, int bottom) const;
  void SetupAttributes(const ScreenVertex* v[3], const double x[3], const double y[3], bool line,
                       PrimitiveSetup& p) const;

  const DrawState* state_ = nullptr;
  struct RowRange {
    int first, last;
  };
  // Both grow to the largest draw and never shrink: no allocation per draw.
  std::vector<PrimitiveSetup> prims_;
  std::vector<RowRange> rows_;  // compact copy of each triangle's rows, for band filtering
  int64_t queuedArea_ = 0;
};

}  // namespace compat::d3d9
