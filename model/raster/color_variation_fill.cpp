// Colour-variation fills: the colour ramp of a gradient description with its
// stops, midpoints and repeats, and the linear, radial and angular styles.
// Every count, index and position from the description is bounded here: stop
// counts to 1 .. 256, repeat counts to 1 .. 32, positions and midpoints to
// 0 .. 1 (and stop positions to ascending order), ramp reads to the ramp.
#include "model/raster/color_variation_fill.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "model/raster/pixel_buffer.h"

namespace {

// Below this many pixels a fill is not worth a thread.
constexpr int64_t kParallelFillPixels = 1 << 16;
constexpr unsigned kMaxFillThreads = 4;

float Clamp01(float v) { return v >= 0.0f ? std::min(v, 1.0f) : 0.0f; }  // NaN gives 0

// The description with every field inside what the tables hold.
CGradientDesc Sanitized(const CGradientDesc& in) {
  CGradientDesc d = in;
  d.stopCount = static_cast<WORD>(std::clamp<int>(in.stopCount, 1, kMaxGradientStops));
  d.repeatCount = std::clamp(in.repeatCount, 1, kMaxGradientRepeat);
  float previous = 0.0f;
  for (int i = 0; i < kMaxGradientStops; ++i) {
    d.positions[i] = std::max(previous, Clamp01(in.positions[i]));
    if (i < d.stopCount) previous = d.positions[i];
  }
  for (float& m : d.midpoints) m = Clamp01(m);
  if (!std::isfinite(d.angle)) d.angle = 0.0f;
  return d;
}

int TruncInt(double v) { return v >= 2e9 ? 2000000000 : v <= -2e9 ? -2000000000 : v == v ? static_cast<int>(v) : 0; }

DWORD Lerp(DWORD c0, DWORD c1, float t, DWORD fallback) {
  LerpArgb(c0, c1, fallback, t);
  return fallback;
}

int CeilPowerOfTwo(int64_t v) {
  int64_t p = 1;
  while (p < v) p <<= 1;
  return static_cast<int>(p);
}

int Log2(int v) {
  int k = 0;
  while ((1 << (k + 1)) <= v) ++k;
  return k;
}

}  // namespace

void FillColorRamp(DWORD* dst, DWORD c0, DWORD c1, int count) {
  if (count <= 0) return;
  if (count == 1) {
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      out |= ((((c0 >> shift) & 0xFF) + ((c1 >> shift) & 0xFF)) / 2) << shift;
    }
    dst[0] = out;
    return;
  }
  dst[0] = c0;
  dst[count - 1] = c1;
  for (int k = 1; k < count - 1; ++k) {
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int a = static_cast<int>((c0 >> shift) & 0xFF);
      const int b = static_cast<int>((c1 >> shift) & 0xFF);
      const int v = a + static_cast<int>(static_cast<int64_t>(b - a) * k / (count - 1));
      out |= static_cast<DWORD>(v & 0xFF) << shift;
    }
    dst[k] = out;
  }
}

void CopyRampRun(DWORD* dst, const DWORD* src, int count, bool forward) {
  for (int j = 0; j < count; ++j) dst[forward ? j : count - 1 - j] = src[j];
}

// --- base ramp ---

int CColorStyle::Extent(const CGradientDesc&, int, int) const { return 0; }

int CColorStyle::Prepare(const CGradientDesc& desc, int width, int height) {
  m_desc = Sanitized(desc);
  const int extent = std::max(0, Extent(m_desc, width, height));
  m_width = width;
  m_height = height;
  const int repeat = m_desc.repeatCount;
  const int length = extent / repeat + (extent % repeat != 0 ? 1 : 0);
  m_baseLength = length;
  m_total = length * repeat;
  // Base ramp, every copy and one entry beyond for the blend of the last.
  m_ramp.assign(static_cast<size_t>(length) * (repeat + 1) + 2, m_desc.colors[0]);
  const int stops = m_desc.stopCount;
  std::vector<int> idx(static_cast<size_t>(stops));
  for (int i = 0; i < stops; ++i) idx[i] = std::min(TruncInt(static_cast<float>(length) * m_desc.positions[i]), length);
  DWORD* ramp = m_ramp.data();
  std::fill(ramp, ramp + idx[0], m_desc.colors[0]);
  for (int i = 0; i + 1 < stops; ++i) {
    const int seg = idx[i + 1] - idx[i] + 1;
    const int mid = std::clamp(TruncInt(seg * m_desc.midpoints[i]), 0, seg);
    const DWORD cm = Lerp(m_desc.colors[i], m_desc.colors[i + 1], 0.5f, m_desc.colors[i]);
    FillColorRamp(ramp + idx[i], m_desc.colors[i], cm, mid);
    FillColorRamp(ramp + idx[i] + mid, cm, m_desc.colors[i + 1], seg - mid);
  }
  const int last = idx[stops - 1];
  if (last < length - 1) std::fill(ramp + last, ramp + length + 1, m_desc.colors[stops - 1]);
  // Copies follow the base: with the mode flag 0 every odd copy runs back.
  for (int k = 0; k < repeat; ++k) {
    CopyRampRun(ramp + length + static_cast<int64_t>(k) * length, ramp, length, m_desc.repeatMode != 0 || k % 2 == 0);
  }
  return 1;
}

DWORD CColorStyle::RampAt(int64_t i) const {
  return m_ramp[static_cast<size_t>(std::clamp<int64_t>(i, 0, static_cast<int64_t>(m_ramp.size()) - 1))];
}

DWORD CColorStyle::RampColor(float v) const {
  const int i = TruncInt(v);
  return Lerp(RampAt(i), RampAt(int64_t{i} + 1), v - static_cast<float>(i), RampAt(i));
}

// --- linear ---

int CLinearColorStyle::Extent(const CGradientDesc& desc, int width, int height) const {
  float a = desc.angle;
  if (a > 180) a = 360 - a;
  if (a > 90) a = 180 - a;
  const float r = a * 0.017453292f;
  return TruncInt(std::fabs(std::cos(r)) * width + std::fabs(std::sin(r)) * height + 0.5f);
}

int CLinearColorStyle::Prepare(const CGradientDesc& desc, int width, int height) {
  if (!CColorStyle::Prepare(desc, width, height)) return 0;
  m_columns.assign(static_cast<size_t>(std::max(width, 0)), 0.0f);
  m_rows.assign(static_cast<size_t>(std::max(height, 0)), 0.0f);
  const float angle = m_desc.angle;
  for (int x = 0; x < width; ++x) {
    float& v = m_columns[x];
    if (angle >= 360 || angle == 0) v = static_cast<float>(x);
    else if (angle == 180) v = static_cast<float>(width - 1 - x);
    else if (angle == 90 || angle == 270) v = 0;
    else {
      const float c = std::cos(angle * 3.1415925f * (1.0f / 180));
      v = c > 0 ? x * c : (width - x) * std::fabs(c);
    }
  }
  for (int y = 0; y < height; ++y) {
    float& v = m_rows[y];
    if (angle >= 360 || angle == 0 || angle == 180) v = 0;
    else if (angle == 90) v = static_cast<float>(height - 1 - y);
    else if (angle == 270) v = static_cast<float>(y);
    else {
      const float s = std::sin(angle * 3.1415925f * (1.0f / 180));
      v = s > 0 ? (height - 1 - y) * s : (y + 1) * std::fabs(s);
    }
  }
  return 1;
}

DWORD CLinearColorStyle::ColorAt(const int& x, const int& y) const {
  if (x < 0 || y < 0 || x >= static_cast<int>(m_columns.size()) || y >= static_cast<int>(m_rows.size())) return RampAt(0);
  return RampColor(m_columns[x] + m_rows[y]);
}

// --- radial ---

int CRadialColorStyle::Extent(const CGradientDesc&, int width, int height) const {
  const int64_t squares = int64_t{width} * width + int64_t{height} * height;
  int64_t v = static_cast<int64_t>(std::sqrt(static_cast<double>(squares)));
  if (v * v < squares) ++v;
  return static_cast<int>((v + 1) / 2);
}

int CRadialColorStyle::Prepare(const CGradientDesc& desc, int width, int height) {
  m_cx = width / 2;
  m_cy = height / 2;
  return CColorStyle::Prepare(desc, width, height);
}

DWORD CRadialColorStyle::ColorAt(const int& x, const int& y) const {
  const int64_t dx = int64_t{x} - m_cx;
  const int64_t dy = int64_t{y} - m_cy;
  return RampColor(static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy))));
}

// --- angular ---

int CAngularColorStyle::Prepare(const CGradientDesc& desc, int width, int height) {
  m_desc = Sanitized(desc);
  m_width = width;
  m_height = height;
  m_cx = width / 2;
  m_cy = height / 2;
  const double squares = (static_cast<double>(width) * width + static_cast<double>(height) * height) * 0.25;
  const int rings = TruncInt(std::sqrt(squares)) + 2;
  const int top = CeilPowerOfTwo(1 + TruncInt(2 * 3.1415925 * rings));
  const int levels = Log2(top) + 1;
  m_rings.clear();
  for (int r = 0; r < rings; ++r) {
    const double c = 6.283185005187988 * r;
    const int n = c > 1 ? std::max(2, CeilPowerOfTwo(static_cast<int64_t>(std::ceil(c)))) / 2 : 1;
    m_rings.push_back({Log2(n), static_cast<float>((c - n) / n), n});
  }
  // Stop indices on the top level, every repeat after the other.
  const int stops = m_desc.stopCount;
  const int repeat = m_desc.repeatCount;
  std::vector<int> idx(static_cast<size_t>(stops) * repeat);
  for (int k = 0; k < repeat; ++k) {
    for (int i = 0; i < stops; ++i) {
      idx[k * stops + i] = std::clamp(TruncInt((k + m_desc.positions[i]) * (top - 1) / repeat), 0, top - 1);
    }
  }
  m_levels.assign(static_cast<size_t>(levels), {});
  std::vector<DWORD>& topLevel = m_levels[levels - 1];
  topLevel.assign(static_cast<size_t>(top) + 1, m_desc.colors[0]);
  for (size_t j = 0; j + 1 < idx.size(); ++j) {
    const int s = static_cast<int>(j % stops);
    const DWORD c0 = m_desc.colors[s];
    const DWORD c1 = m_desc.colors[(j + 1) % stops];
    const float t = m_desc.midpoints[std::min(s, kMaxGradientStops - 2)];
    const int seg = std::max(0, idx[j + 1] - idx[j] + 1);
    const int mid = std::clamp(TruncInt(seg * t), 0, seg);
    const DWORD cm = Lerp(c0, c1, t, c0);
    if (mid > 0) FillColorRamp(topLevel.data() + idx[j], c0, cm, mid);
    if (mid != seg) FillColorRamp(topLevel.data() + idx[j] + mid, cm, c1, seg - mid);
  }
  // Close the circle: from the last stop's colour round to the first's. The
  // run always starts on the last stop's own sample, also when that is the
  // level's last one; only then is the run no longer than the samples it fills.
  const int last = idx.back();
  const int tail = top - last;
  std::vector<DWORD> closing(static_cast<size_t>(idx[0]) + 1 + (last < top - 1 ? tail : 0));
  FillColorRamp(closing.data(), m_desc.colors[stops - 1], m_desc.colors[0], static_cast<int>(closing.size()));
  std::copy_n(closing.begin(), tail, topLevel.begin() + last);
  std::copy_n(closing.begin() + tail, idx[0], topLevel.begin());
  topLevel.resize(static_cast<size_t>(top));
  for (int level = levels - 2; level >= 0; --level) {
    const std::vector<DWORD>& above = m_levels[level + 1];
    std::vector<DWORD>& here = m_levels[level];
    here.resize(above.size() / 2);
    for (size_t i = 0; i < here.size(); ++i) {
      DWORD out = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        out |= ((((above[2 * i] >> shift) & 0xFF) + ((above[2 * i + 1] >> shift) & 0xFF)) >> 1) << shift;
      }
      here[i] = out;
    }
  }
  return 1;
}

DWORD CAngularColorStyle::LevelColor(int level, int samples, double turns) const {
  const std::vector<DWORD>& colors = m_levels[static_cast<size_t>(std::clamp(level, 0, static_cast<int>(m_levels.size()) - 1))];
  const int n = std::min<int>(samples, static_cast<int>(colors.size()));
  if (n <= 1) return colors[0];  // the centre: one colour for every angle
  const double u = turns * n;
  int i0 = std::clamp(TruncInt(u), 0, n - 1);
  int i1 = i0 + 1;
  if (i1 >= n) {
    --i0;
    --i1;
  }
  const float t = static_cast<float>(std::clamp(u - i0, 0.0, 1.0));
  return Lerp(colors[i0], colors[i1], t, colors[i0]);
}

DWORD CAngularColorStyle::ColorAt(const int& x, const int& y) const {
  if (m_levels.empty() || m_rings.empty()) return m_desc.colors[0];
  const double dx = static_cast<double>(x) - m_cx;
  const double dy = static_cast<double>(y) - m_cy;
  const double d = std::sqrt(dx * dx + dy * dy);
  double theta = std::atan2(std::min(dy, static_cast<double>(static_cast<float>(d))), dx);
  if (theta < 0) theta += 6.283185005187988;
  const int ring = std::clamp(TruncInt(d + 0.5), 0, static_cast<int>(m_rings.size()) - 1);
  const Ring& r = m_rings[ring];
  const double turns = theta * 0.15915495074143224;
  const DWORD a = LevelColor(r.level, r.samples, turns);
  const DWORD b = LevelColor(r.level + 1, 2 * r.samples, turns);
  return Lerp(a, b, r.fraction, a);
}

// --- rendering ---

DWORD* RenderVaryColorFill(const SIZE& size, const CGradientDesc& desc) {
  if (size.cx <= 0 || size.cy <= 0 || int64_t{size.cx} * size.cy > kMaxRasterPixels) return nullptr;
  std::unique_ptr<CColorStyle> style;
  switch (desc.style) {
    case 0: style = std::make_unique<CLinearColorStyle>(); break;
    case 1: style = std::make_unique<CRadialColorStyle>(); break;
    case 2: style = std::make_unique<CAngularColorStyle>(); break;
    default: break;
  }
  DWORD* pixels = new DWORD[static_cast<size_t>(size.cx) * size.cy];
  if (!style || !style->Prepare(desc, size.cx, size.cy)) {
    // No style of that type: a defined colour rather than leftover memory.
    std::fill_n(pixels, static_cast<size_t>(size.cx) * size.cy, desc.colors[0]);
    return pixels;
  }
  // Rows are independent and the prepared style is only read: large areas
  // are shared out in bands over the cores.
  const CColorStyle& prepared = *style;
  auto band = [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      DWORD* out = pixels + static_cast<size_t>(y) * size.cx;
      for (int x = 0; x < size.cx; ++x) out[x] = prepared.ColorAt(x, y);
    }
  };
  const int64_t area = int64_t{size.cx} * size.cy;
  const int workers = area < kParallelFillPixels
                          ? 1
                          : static_cast<int>(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, kMaxFillThreads));
  std::vector<std::thread> threads;
  for (int i = 1; i < workers; ++i) {
    threads.emplace_back(band, static_cast<int>(int64_t{size.cy} * i / workers),
                         static_cast<int>(int64_t{size.cy} * (i + 1) / workers));
  }
  band(0, static_cast<int>(size.cy / workers));
  for (std::thread& t : threads) t.join();
  return pixels;
}
