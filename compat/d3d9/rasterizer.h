// Turns screen-space triangles and lines into pixel runs. Triangles of one
// draw are set up first (in slices of consecutive triangles, across the
// worker pool), then rasterised in horizontal bands across the pool; each
// band walks the slices and their triangles in submission order.
#pragma once

#include <atomic>
#include <vector>

#include "compat/d3d9/pipeline.h"

namespace compat::d3d9 {

class Rasterizer {
 public:
  // Starts a draw; the state must outlive `Flush`.
  void Begin(const DrawState* state);
  // Sets up `count` primitives: emit(context, first, n, slice) hands primitives
  // first .. first + n - 1 to AddTriangle with that slice; slices run in
  // parallel. A draw of several slices is rasterised in the same run, and
  // its Flush has nothing left to do.
  using Emitter = void (*)(void* context, uint64_t first, uint64_t n, int slice);
  void Setup(uint64_t count, Emitter emit, void* context);
  // Queues a triangle into a slice; degenerate, culled, non-finite or off-target ones are dropped.
  void AddTriangle(int slice, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                   DWORD cullMode);
  // Draws a one-pixel line at once, the last pixel included.
  void DrawLine(const ScreenVertex& a, const ScreenVertex& b);
  // Rasterises the queued triangles.
  void Flush();
  // A clear of the target (inside the clip) the draw applies first: each
  // band clears its rows just before drawing them, while they are in the cache.
  void FillFirst(const RECT& r, uint32_t colour);
  // The rectangle holding every pixel the queued triangles cover.
  RECT DrawnBounds() const;

 private:
  static void BandJob(void* self, int band);
  static void SliceJob(void* self, int slice);
  static void SetupAndBandJob(void* self, int job);
  void FillBand(int top, int bottom) const;
  void FillWhole();
  void ChooseBatchRows();
  void PlanBands(int threads);
  // Rows top .. bottom - 1 of slices first .. end - 1 (all slices by default).
  void RasteriseBand(int top, int bottom, int first = 0, int end = -1) const;
  void RasteriseBandAvx2(int top, int bottom, int first, int end) const;
  void WaitForSlice(int slice) const;
  void RasterisePrimitive(const PrimitiveSetup& p, int first, int last, Segment* segments) const;
  void PlanWalk(PrimitiveSetup& p) const;
  void SetupAttributes(const ScreenVertex* v[3], const double x[3], const double y[3], bool line,
                       PrimitiveSetup& p) const;

  const DrawState* state_ = nullptr;
  struct RowRange {
    int first, last;
  };
  // The triangles set up from one stretch of the draw's primitives. The
  // vectors grow to the largest draw and never shrink: no allocation per draw.
  // Each on its own cache lines: slices are filled by different threads.
  // Set once a slice's triangles are set up; copies start unset.
  struct ReadyFlag {
    std::atomic<bool> set{false};
    ReadyFlag() = default;
    ReadyFlag(const ReadyFlag&) noexcept {}
    ReadyFlag& operator=(const ReadyFlag&) noexcept { return *this; }
  };
  struct alignas(64) Slice {
    std::vector<PrimitiveSetup> prims;
    std::vector<RowRange> rows;  // each triangle's rows less those its horizontal edges leave, for band filtering
    int64_t area = 0;
    RECT bounds{};  // of its triangles' pixels
    ReadyFlag ready;  // in a setup run that rasterises too
  };
  std::vector<Slice> slices_;
  int bandHeight_ = 1;
  int bandCount_ = 1;
  int64_t area_ = 0;  // covered pixels of the queued triangles, roughly
  int batchRows_ = 0;  // batches restart at rows this far apart (0: never)
  int sliceCount_ = 0;
  // The stretch being set up.
  uint64_t setupCount_ = 0;
  Emitter emit_ = nullptr;
  void* emitContext_ = nullptr;
  // A setup run that rasterises too: its slices finished, and then its bands.
  std::atomic<int> slicesDone_{0};
  std::atomic<bool> setUp_{false};
  bool rasterised_ = false;
  // The draw's clear, if it has one.
  bool fill_ = false;
  RECT fillRect_{};
  uint32_t fillColour_ = 0;
  std::atomic<int> bandsFilled_{0};
};

}  // namespace compat::d3d9
