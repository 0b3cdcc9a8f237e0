// Median-cut colour reduction and serpentine error diffusion.
#include "imaging/median_cut_quantizer.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imaging/pic_image.h"

namespace {

constexpr int kChannelBlue = 0, kChannelGreen = 1, kChannelRed = 2;
constexpr DWORD kMappingCacheBuckets = 257;

// Nearest palette entry of a colour: the smallest sum of absolute channel
// differences, the lowest index on a tie (so an exact match is the first
// entry of that colour). Results are remembered per colour for the frame in
// an open-addressed table; a frame of dithered photographs has up to a few
// hundred thousand distinct colours, which a short chained table cannot hold
// at speed.
class NearestColorCache {
 public:
  explicit NearestColorCache(const RGBQUAD* palette, DWORD entries) {
    for (DWORD i = 0; i < 256; ++i) {
      m_blue[i] = i < entries ? palette[i].rgbBlue : 10000;
      m_green[i] = i < entries ? palette[i].rgbGreen : 10000;
      m_red[i] = i < entries ? palette[i].rgbRed : 10000;
    }
    Resize(1u << 16);
  }

  BYTE Find(const BYTE* bgr) {
    const DWORD key = 1u + (bgr[0] | (bgr[1] << 8) | (static_cast<DWORD>(bgr[2]) << 16));
    DWORD slot = Hash(key);
    while (m_keys[slot] != 0) {
      if (m_keys[slot] == key) return m_values[slot];
      slot = (slot + 1) & m_mask;
    }
    const BYTE index = Search(bgr);
    m_keys[slot] = key;
    m_values[slot] = index;
    if (++m_used * 2 > m_keys.size()) Resize(static_cast<DWORD>(m_keys.size() * 2));
    return index;
  }

 private:
  DWORD Hash(DWORD key) const { return (key * 2654435761u) >> m_shift; }

  BYTE Search(const BYTE* bgr) const {
#if defined(__SSE2__)
    // Sixteen-bit lanes hold every distance (at most 3 x 255); the first
    // lane equal to the minimum is the lowest index among equals.
    alignas(16) int16_t distance[256];
    const __m128i b = _mm_set1_epi16(bgr[0]), g = _mm_set1_epi16(bgr[1]), r = _mm_set1_epi16(bgr[2]);
    __m128i best = _mm_set1_epi16(0x7FFF);
    for (int i = 0; i < 256; i += 8) {
      const __m128i db = _mm_sub_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(m_blue + i)), b);
      const __m128i dg = _mm_sub_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(m_green + i)), g);
      const __m128i dr = _mm_sub_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(m_red + i)), r);
      const __m128i sum = _mm_add_epi16(
          _mm_add_epi16(_mm_max_epi16(db, _mm_sub_epi16(_mm_setzero_si128(), db)),
                        _mm_max_epi16(dg, _mm_sub_epi16(_mm_setzero_si128(), dg))),
          _mm_max_epi16(dr, _mm_sub_epi16(_mm_setzero_si128(), dr)));
      _mm_store_si128(reinterpret_cast<__m128i*>(distance + i), sum);
      best = _mm_min_epi16(best, sum);
    }
    best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(1, 0, 3, 2)));
    best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(2, 3, 0, 1)));
    best = _mm_min_epi16(best, _mm_shufflelo_epi16(_mm_shufflehi_epi16(best, _MM_SHUFFLE(2, 3, 0, 1)), _MM_SHUFFLE(2, 3, 0, 1)));
    for (int i = 0; i < 256; i += 8) {
      const int mask = _mm_movemask_epi8(
          _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(distance + i)), best));
      if (mask) return static_cast<BYTE>(i + __builtin_ctz(static_cast<unsigned>(mask)) / 2);
    }
    return 0;
#else
    int best = 200000;
    BYTE bestIndex = 0;
    for (int i = 0; i < 256; ++i) {
      const int d = std::abs(m_blue[i] - bgr[0]) + std::abs(m_green[i] - bgr[1]) + std::abs(m_red[i] - bgr[2]);
      if (d < best) {
        best = d;
        bestIndex = static_cast<BYTE>(i);
      }
    }
    return bestIndex;
#endif
  }

  void Resize(DWORD size) {
    std::vector<DWORD> keys(size, 0);
    std::vector<BYTE> values(size, 0);
    m_mask = size - 1;
    m_shift = 32;
    for (DWORD s = size; s > 1; s >>= 1) --m_shift;
    for (size_t i = 0; i < m_keys.size(); ++i) {
      if (!m_keys[i]) continue;
      DWORD slot = Hash(m_keys[i]);
      while (keys[slot]) slot = (slot + 1) & m_mask;
      keys[slot] = m_keys[i];
      values[slot] = m_values[i];
    }
    m_keys.swap(keys);
    m_values.swap(values);
  }

  // Entries past the palette's size can never win: they sit at a distance
  // no colour reaches.
  alignas(16) int16_t m_blue[256], m_green[256], m_red[256];
  std::vector<DWORD> m_keys;
  std::vector<BYTE> m_values;
  DWORD m_mask = 0, m_used = 0;
  int m_shift = 32;
};

int Span(BYTE lo, BYTE hi) { return std::abs(static_cast<int>(hi) - static_cast<int>(lo)); }

BYTE Clamp(int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void CColorBox::ComputeVolume() {
  volume = (Span(redMin, redMax) + 1) * (Span(greenMin, greenMax) + 1) * (Span(blueMin, blueMax) + 1);
}

CMedianCutQuantizer::CMedianCutQuantizer(int maxColors) : m_maxColors(maxColors) {}
CMedianCutQuantizer::~CMedianCutQuantizer() = default;

void CMedianCutQuantizer::ComputeRanges(CColorBox& box) const {
  if (box.pixelCount <= 0) return;  // an empty box keeps the ranges it started with
  BYTE rMin = 255, rMax = 0, gMin = 255, gMax = 0, bMin = 255, bMax = 0;
  const DWORD* index = box.list->indices.data() + box.first;
  for (LONG i = 0; i < box.pixelCount; ++i) {
    const BYTE* p = m_pixels + 4 * static_cast<size_t>(index[i]);
    if (p[kChannelRed] < rMin) rMin = p[kChannelRed];
    if (p[kChannelRed] > rMax) rMax = p[kChannelRed];
    if (p[kChannelGreen] < gMin) gMin = p[kChannelGreen];
    if (p[kChannelGreen] > gMax) gMax = p[kChannelGreen];
    if (p[kChannelBlue] < bMin) bMin = p[kChannelBlue];
    if (p[kChannelBlue] > bMax) bMax = p[kChannelBlue];
  }
  box.redMin = rMin, box.redMax = rMax, box.greenMin = gMin, box.greenMax = gMax;
  box.blueMin = bMin, box.blueMax = bMax;
}

// In front of the first box of strictly greater volume: equal volumes keep
// their order of insertion, and the last box is the one split next.
void CMedianCutQuantizer::InsertBox(std::unique_ptr<CColorBox> box) {
  auto at = m_boxes.begin();
  while (at != m_boxes.end() && (*at)->volume <= box->volume) ++at;
  m_boxes.insert(at, std::move(box));
}

int CMedianCutQuantizer::AddPixels(BYTE* pixels, DWORD width, DWORD height) {
  m_boxes.clear();
  m_pixels = pixels;
  const unsigned long long count = static_cast<unsigned long long>(width) * height;
  if (!pixels || count == 0 || count > 0x7FFFFFFF) return 0;
  auto box = std::make_unique<CColorBox>();
  box->list = std::make_shared<CIndexList>();
  box->list->indices.resize(count);
  for (DWORD i = 0; i < count; ++i) box->list->indices[i] = i;
  box->pixelCount = static_cast<LONG>(count);
  ComputeRanges(*box);
  box->ComputeVolume();
  const bool small = box->volume < m_maxColors;
  InsertBox(std::move(box));
  if (small) return 1;
  while (static_cast<int>(m_boxes.size()) < m_maxColors) {
    if (m_boxes.back()->volume < 2) break;
    std::unique_ptr<CColorBox> largest = std::move(m_boxes.back());
    m_boxes.pop_back();
    SplitBox(std::move(largest));
  }
  return static_cast<int>(m_boxes.size());
}

void CMedianCutQuantizer::SplitBox(std::unique_ptr<CColorBox> box) {
  const int red = Span(box->redMin, box->redMax), green = Span(box->greenMin, box->greenMax),
            blue = Span(box->blueMin, box->blueMax);
  int channel, split;
  if (red >= green && red >= blue) {
    channel = kChannelRed;
    split = (box->redMin + box->redMax) / 2;
  } else if (green >= blue) {
    channel = kChannelGreen;
    split = (box->greenMin + box->greenMax) / 2;
  } else {
    channel = kChannelBlue;
    split = (box->blueMin + box->blueMax) / 2;
  }
  auto list = std::make_shared<CIndexList>();
  list->indices.resize(static_cast<size_t>(box->pixelCount));
  size_t front = 0, back = list->indices.size();
  const DWORD* source = box->list->indices.data() + box->first;
  for (LONG i = 0; i < box->pixelCount; ++i) {
    DWORD index = source[i];
    if (m_pixels[4 * static_cast<size_t>(index) + channel] <= split)
      list->indices[front++] = index;
    else
      list->indices[--back] = index;
  }
  auto low = std::make_unique<CColorBox>(*box);
  auto high = std::make_unique<CColorBox>(*box);
  low->list = high->list = list;
  low->first = 0;
  low->pixelCount = static_cast<LONG>(front);
  high->first = static_cast<DWORD>(front);
  high->pixelCount = box->pixelCount - static_cast<LONG>(front);
  ComputeRanges(*low);
  low->ComputeVolume();
  ComputeRanges(*high);
  high->ComputeVolume();
  InsertBox(std::move(low));
  InsertBox(std::move(high));
}

int CMedianCutQuantizer::MakePalette(RGBQUAD* palette) {
  if (!palette || m_boxes.empty()) return 0;
  if (m_boxes.size() == 1) {
    // One box only when the frame has fewer colours than entries: list them.
    const CColorBox& box = *m_boxes.front();
    int n = 0;
    const DWORD* index = box.list->indices.data() + box.first;
    for (LONG i = 0; i < box.pixelCount && n < 256; ++i) {
      const BYTE* p = m_pixels + 4 * static_cast<size_t>(index[i]);
      bool seen = false;
      for (int k = 0; k < n && !seen; ++k)
        seen = palette[k].rgbBlue == p[0] && palette[k].rgbGreen == p[1] && palette[k].rgbRed == p[2];
      if (seen) continue;
      palette[n].rgbBlue = p[0];
      palette[n].rgbGreen = p[1];
      palette[n].rgbRed = p[2];
      ++n;
    }
    return n;
  }
  int n = 0;
  for (const auto& box : m_boxes) {
    if (n >= 256) break;
    unsigned long long sum[3] = {0, 0, 0};
    const DWORD* index = box->list->indices.data() + box->first;
    for (LONG i = 0; i < box->pixelCount; ++i) {
      const BYTE* p = m_pixels + 4 * static_cast<size_t>(index[i]);
      sum[0] += p[0], sum[1] += p[1], sum[2] += p[2];
    }
    const unsigned long long count = box->pixelCount > 0 ? box->pixelCount : 1;
    palette[n].rgbBlue = static_cast<BYTE>(sum[0] / count);
    palette[n].rgbGreen = static_cast<BYTE>(sum[1] / count);
    palette[n].rgbRed = static_cast<BYTE>(sum[2] / count);
    ++n;
  }
  return n;
}

CPicImage* CMedianCutQuantizer::CreateIndexedImage(BYTE* pixels, DWORD width, DWORD height, WORD bpp,
                                                   int colorCount, const RGBQUAD* palette, float strength,
                                                   LONG transIndex) {
  auto* image = new CPicImage(width, height, bpp, PIC_FORMAT_UNKNOWN);
  if (!image->IsValid() || !pixels) return image;
  RGBQUAD* target = image->GetPalette();
  const DWORD entries = image->GetColorCount();
  for (DWORD i = 0; target && i < entries; ++i) target[i] = RGBQUAD{0, 0, 0, 0};
  if (palette && colorCount > 0)
    image->SetPalette(palette, static_cast<DWORD>(colorCount) < entries ? static_cast<DWORD>(colorCount) : entries);
  image->SetTransIndex(transIndex);
  MapPixels(*image, pixels, width, height, strength);
  return image;
}

void CMedianCutQuantizer::MapPixels(CPicImage& image, BYTE* pixels, DWORD width, DWORD height, float strength) {
  int ahead[256], belowBehind[256], below[256], belowAhead[256];
  for (int e = 0; e < 256; ++e) {
    ahead[e] = static_cast<int>(e * strength * 0.4375f);
    belowBehind[e] = static_cast<int>(e * strength * 0.1875f);
    below[e] = static_cast<int>(e * strength * 0.3125f);
    belowAhead[e] = static_cast<int>(e * strength * 0.0625f);
  }
  auto add = [](BYTE& value, int e, const int* table) {
    value = Clamp(value + (e >= 0 ? table[e > 255 ? 255 : e] : -table[-e > 255 ? 255 : -e]));
  };

  image.ResetNearestIndexCache(kMappingCacheBuckets);
  const RGBQUAD* palette = image.GetPalette();
  if (!palette) return;
  NearestColorCache nearest(palette, image.GetColorCount());
  const size_t stride = static_cast<size_t>(width) * 4;
  BYTE* bits = image.GetBits();
  const DWORD rowBytes = image.GetRowBytes();
  const WORD bpp = image.GetBpp();
  for (DWORD k = 0; k < height; ++k) {
    const DWORD sourceLine = height - 1 - k;  // bottom line of the picture first
    BYTE* line = pixels + stride * sourceLine;
    BYTE* next = sourceLine > 0 ? line - stride : nullptr;
    const bool forward = (k & 1) == 0;
    const int dir = forward ? 1 : -1;
    BYTE* row = bits + static_cast<size_t>(k) * rowBytes;
    for (DWORD step = 0; step < width; ++step) {
      const LONG x = forward ? static_cast<LONG>(step) : static_cast<LONG>(width - 1 - step);
      BYTE* p = line + 4 * static_cast<size_t>(x);
      const BYTE index = nearest.Find(p);
      if (bpp == 8)
        row[x] = index;
      else
        image.SetPixelIndex(x, static_cast<LONG>(k), index);
      const RGBQUAD& chosen = palette[index];
      const int error[3] = {p[0] - chosen.rgbBlue, p[1] - chosen.rgbGreen, p[2] - chosen.rgbRed};
      const LONG ax = x + dir, bx = x - dir;
      const bool aheadOnLine = ax >= 0 && ax < static_cast<LONG>(width);
      const bool behindOnLine = bx >= 0 && bx < static_cast<LONG>(width);
      for (int ch = 0; ch < 3; ++ch) {
        if (aheadOnLine) add(line[4 * ax + ch], error[ch], ahead);
        if (!next) continue;
        if (behindOnLine) add(next[4 * bx + ch], error[ch], belowBehind);
        add(next[4 * x + ch], error[ch], below);
        if (aheadOnLine) add(next[4 * ax + ch], error[ch], belowAhead);
      }
    }
  }
}
