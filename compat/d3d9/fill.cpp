// Clears: whole rows in wide stores, large rectangles in bands across the
// workers.
#include "compat/d3d9/fill.h"

#include <algorithm>

#include "compat/d3d9/cpu_features.h"
#include "compat/d3d9/worker_pool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CALVETTA_FILL_AVX2 1
#endif

namespace compat::d3d9 {

namespace {

constexpr LONG kClearBandRows = 32;
constexpr int64_t kParallelClearPixels = 64 * 1024;

using FillRows = void (*)(uint32_t* first, size_t pitch, int rows, size_t width, uint32_t colour);

void FillRowsPlain(uint32_t* first, size_t pitch, int rows, size_t width, uint32_t colour) {
  for (int y = 0; y < rows; ++y) std::fill(first + y * pitch, first + y * pitch + width, colour);
}

#ifdef CALVETTA_FILL_AVX2
// Whole rows in 32-byte stores, four to a step.
__attribute__((target("avx2"))) void FillRowsAvx2(uint32_t* first, size_t pitch, int rows, size_t width,
                                                  uint32_t colour) {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(colour));
  for (int y = 0; y < rows; ++y) {
    uint32_t* row = first + y * pitch;
    size_t i = 0;
    for (; i + 32 <= width; i += 32) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), v);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i + 8), v);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i + 16), v);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i + 24), v);
    }
    for (; i + 8 <= width; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), v);
    for (; i < width; ++i) row[i] = colour;
  }
}
#endif

FillRows PickFillRows() {
#ifdef CALVETTA_FILL_AVX2
  if (HasAvx2()) return &FillRowsAvx2;
#endif
  return &FillRowsPlain;
}

struct ClearJob {
  uint32_t* pixels;
  size_t pitch;
  RECT r;
  uint32_t colour;

  static void Band(void* self, int band) {
    auto* job = static_cast<ClearJob*>(self);
    LONG top = job->r.top + band * kClearBandRows, bottom = std::min(top + kClearBandRows, job->r.bottom);
    FillArea(job->pixels, job->pitch, RECT{job->r.left, top, job->r.right, bottom}, job->colour);
  }
};

}  // namespace

void FillArea(uint32_t* pixels, size_t pitch, const RECT& r, uint32_t colour) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  const FillRows fill = PickFillRows();
  fill(pixels + static_cast<size_t>(r.top) * pitch + r.left, pitch, static_cast<int>(r.bottom - r.top),
       static_cast<size_t>(r.right - r.left), colour);
}

void FillAreaAcrossWorkers(uint32_t* pixels, size_t pitch, const RECT& r, uint32_t colour) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  if (int64_t{r.right - r.left} * (r.bottom - r.top) < kParallelClearPixels) {
    FillArea(pixels, pitch, r, colour);
    return;
  }
  ClearJob job{pixels, pitch, r, colour};
  WorkerPool::Instance().Run(static_cast<int>((r.bottom - r.top + kClearBandRows - 1) / kClearBandRows),
                             &ClearJob::Band, &job);
}

}  // namespace compat::d3d9
