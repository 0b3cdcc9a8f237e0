// Median-cut colour reduction and serpentine error diffusion.
//
// Sections: --- nearest palette entry --- --- boxes and counting colours ---
//           --- splitting boxes --- --- the palette ---
//           --- error diffusion: mapping pixels to the palette ---
#include "imaging/median_cut_quantizer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The mapping loop has a second form for processors with SSE4.1, chosen at
// run time: its nearest-colour search and error arithmetic stay in vector
// registers, which shortens the chain of dependent steps from pixel to pixel.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define CALVETTA_MAPPING_SSE41 1
#define CALVETTA_SSE41 __attribute__((target("sse4.1")))
#include <immintrin.h>
#include <smmintrin.h>
#endif

#include "imaging/pic_image.h"

namespace {

constexpr DWORD kMappingCacheBuckets = 257;

std::atomic<int> g_mappingFormLimit{3};

int Span(BYTE lo, BYTE hi) { return std::abs(static_cast<int>(hi) - static_cast<int>(lo)); }

BYTE Clamp(int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

// --- nearest palette entry ---

namespace {

// Per set of eight lanes (a bit each), the positions of its lanes in order,
// one byte each from the lowest, and how many there are.
struct KeptPositions {
  uint64_t lanes[256];
  BYTE count[256];
  constexpr KeptPositions() : lanes(), count() {
    for (unsigned keep = 0; keep < 256; ++keep) {
      int n = 0;
      for (unsigned k = 0; k < 8; ++k)
        if (keep >> k & 1) lanes[keep] |= static_cast<uint64_t>(k) << (8 * n++);
      count[keep] = static_cast<BYTE>(n);
    }
  }
};
constexpr KeptPositions kKeptPositions{};

}  // namespace

// Nearest palette entry of a colour: the smallest sum of absolute channel
// differences, the lowest index on a tie (so an exact match is the first
// entry of that colour). The colour cube is cut into cells of 8 x 8 x 8; a
// cell lists, on first use, the entries that can be nearest for some colour
// in it: an entry whose least distance to the cell exceeds the greatest
// distance of some other entry to every colour of the cell never wins nor
// ties there. A search then compares a handful of entries, in index order.
class CNearestColorFinder {
 public:
  // A new palette: the cells' lists are made again as colours need them;
  // the memory stays for the next frame.
  // `shuffles`: runs are gathered with SSSE3's byte shuffle (see GatherRun);
  // `wide`: lists are pruned with AVX2 (see Undominated).
  void Reset(const RGBQUAD* palette, DWORD entries, bool shuffles, bool wide = false) {
    m_shuffles = shuffles;
    m_wide = wide;
    // At least one entry, so that every cell has a candidate.
    m_entries = std::clamp<DWORD>(entries, 1, 256);
    // Entries past the palette sit farther than any colour: they never win
    // and never narrow a cell's bound.
    for (DWORD i = 0; i < 256; ++i) {
      m_blue[i] = i < m_entries ? palette[i].rgbBlue : kFar;
      m_green[i] = i < m_entries ? palette[i].rgbGreen : kFar;
      m_red[i] = i < m_entries ? palette[i].rgbRed : kFar;
    }
    m_cells.assign(kCells, kUnbuilt);
    m_parentCount.assign(kCells / 8, kUnbuilt);
    m_parentRun.assign(kCells / 8, kUnbuilt);
    m_lent.resize(kCells / 8);
    m_parentStart.resize(kCells / 8);
    m_outerCount.assign(kCells / 64, kUnbuilt);
    m_outerStart.resize(kCells / 64);
    m_parentBlue.clear(), m_parentGreen.clear(), m_parentRed.clear(), m_parentIndex.clear();
    m_groupsUsed = 0;
  }

  static DWORD CellOf(int blue, int green, int red) {
    return static_cast<DWORD>(blue >> kCellShift | (green >> kCellShift) << kCellBits | (red >> kCellShift) << (2 * kCellBits));
  }

  // The same from a pixel's blue, green and red bytes in one word, low byte first.
  static DWORD CellOfWord(DWORD bgr) {
    constexpr DWORD mask = (1u << kCellBits) - 1;
    return (bgr >> kCellShift & mask) | (bgr >> (8 + kCellShift - kCellBits) & mask << kCellBits) |
           (bgr >> (16 + kCellShift - 2 * kCellBits) & mask << (2 * kCellBits));
  }

#if defined(CALVETTA_MAPPING_SSE41)
  // ParentOfWord with BMI2, as CellOfWordGathered.
  static DWORD ParentOfWordGathered(DWORD bgr) {
    static_assert(kCellShift + 1 == 4);
    DWORD parent;
    asm("pextl %2, %1, %0" : "=r"(parent) : "r"(bgr), "r"(0xF0F0F0u));
    return parent;
  }

  // CellOfWord in one instruction of BMI2, which gathers the bits of a mask:
  // the high five of each channel. Written out, as the assembler takes it
  // whatever the function's target; only the form that checked runs it.
  static DWORD CellOfWordGathered(DWORD bgr) {
    static_assert(kCellShift == 3);
    DWORD cell;
    asm("pextl %2, %1, %0" : "=r"(cell) : "r"(bgr), "r"(0xF8F8F8u));
    return cell;
  }
#endif

  // A cell's run of candidates, built on first use: the byte offset of its
  // first group in GroupBytes() and, in the low bits, its groups less one.
  // A cell of one group (nearly all) is found at GroupBytes() + run.
  DWORD Run(DWORD cell) {
    if (m_cells[cell] == kUnbuilt) BuildCell(cell);
    return m_cells[cell];
  }

  // The nearest entry among a run's candidates; its colour, which the
  // caller needs next, comes from the candidate rather than the palette.
  BYTE Search(DWORD run, int blue, int green, int red, int* chosen) const {
    const size_t first = run / sizeof(Group), end = first + (run & kGroupsMask) + 1;
    const Group* groups = m_groups.data();
#if defined(__SSE2__)
    const __m128i b = _mm_set1_epi8(static_cast<char>(blue)), g = _mm_set1_epi8(static_cast<char>(green)),
                  r = _mm_set1_epi8(static_cast<char>(red));
    __m128i low, high;
    if (end - first == 1) {
      // Most cells hold up to sixteen candidates. Distance and lane position
      // in one word (a distance fits in 10 bits): the least word is the
      // least distance at the lowest position, the lowest index among equals.
      Distances(groups[first], b, g, r, &low, &high);
      __m128i best = _mm_min_epi16(_mm_or_si128(_mm_slli_epi16(low, 4), _mm_set_epi16(7, 6, 5, 4, 3, 2, 1, 0)),
                                   _mm_or_si128(_mm_slli_epi16(high, 4), _mm_set_epi16(15, 14, 13, 12, 11, 10, 9, 8)));
      best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(1, 0, 3, 2)));
      best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(2, 3, 0, 1)));
      best = _mm_min_epi16(best, _mm_shufflelo_epi16(best, _MM_SHUFFLE(2, 3, 0, 1)));
      return Chosen(groups[first], _mm_cvtsi128_si32(best) & 15, chosen);
    }
    // Larger cells: the least distance, then the first lane that has it.
    __m128i best = _mm_set1_epi16(0x7FFF);
    for (size_t i = first; i < end; ++i) {
      Distances(groups[i], b, g, r, &low, &high);
      best = _mm_min_epi16(best, _mm_min_epi16(low, high));
    }
    best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(1, 0, 3, 2)));
    best = _mm_min_epi16(best, _mm_shuffle_epi32(best, _MM_SHUFFLE(2, 3, 0, 1)));
    best = _mm_min_epi16(best, _mm_shufflelo_epi16(_mm_shufflehi_epi16(best, _MM_SHUFFLE(2, 3, 0, 1)), _MM_SHUFFLE(2, 3, 0, 1)));
    for (size_t i = first; i < end; ++i) {
      Distances(groups[i], b, g, r, &low, &high);
      const int mask = _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, best), _mm_cmpeq_epi16(high, best)));
      if (mask) return Chosen(groups[i], __builtin_ctz(static_cast<unsigned>(mask)), chosen);
    }
    return Chosen(groups[first], 0, chosen);
#else
    int best = 200000;
    size_t bestGroup = first, bestLane = 0;
    for (size_t i = first; i < end; ++i)
      for (size_t k = 0; k < kLanes; ++k) {
        const Group& c = groups[i];
        const int d = std::abs(c.blue[k] - blue) + std::abs(c.green[k] - green) + std::abs(c.red[k] - red);
        if (d < best) best = d, bestGroup = i, bestLane = k;
      }
    return Chosen(groups[bestGroup], static_cast<int>(bestLane), chosen);
#endif
  }

  // Asks the memory for the candidates a colour's search would read: the
  // cell's word, and its candidates once the cell is built.
  void Prefetch(int blue, int green, int red) const { PrefetchCell(CellWords(), GroupBytes(), CellOf(blue, green, red)); }
  // The same from CellWords() and GroupBytes() held by the caller.
  static void PrefetchCell(const DWORD* cells, const BYTE* groups, DWORD cell) {
    const DWORD word = cells[cell];
    if (word != kUnbuilt) __builtin_prefetch(groups + (word & ~kGroupsMask));
  }

  // The low bits of a run: its groups less one.
  static constexpr DWORD kGroupsMask = 63;
  const DWORD* CellWords() const { return m_cells.data(); }

  // Per parent cube, the run it lends its cells (see BuildCell), or a word
  // with the low bits set where it lends none (its cells have lists of
  // their own) or is unbuilt; and at the parent's place, a copy of the
  // lent group. The mapping reads the copy straight from a colour, without
  // waiting first for the word, which it checks beside.
  const DWORD* LentRuns() const { return m_parentRun.data(); }
  const BYTE* LentGroups() const { return reinterpret_cast<const BYTE*>(m_lent.data()); }
  static constexpr size_t kGroupBytes = kGroupsMask + 1;

  // The parent cube of a pixel's blue, green and red bytes in one word.
  static DWORD ParentOfWord(DWORD bgr) { return (bgr >> 4 & 0xF) | (bgr >> 8 & 0xF0) | (bgr >> 12 & 0xF00); }
  // Moves when a cell is built.
  const BYTE* GroupBytes() const { return reinterpret_cast<const BYTE*>(m_groups.data()); }

#if defined(CALVETTA_MAPPING_SSE41)
  // The nearest of a one-group run's candidates for the colour in the low
  // three bytes of `pixel`, as blue, green, red and entry in the low four
  // 16-bit lanes. Distances are summed in bytes, saturating at 255: while
  // the least stays below 255 it and every lane that has it are exact, and
  // a saturated lane is farther, so the lowest lane of the least distance
  // (the first entry in index order) is the same as in Search. Returns
  // false, leaving the search to Search, when the least reaches 255.
  // `b`, `g`, `r`: the colour's channels in every byte.
  static CALVETTA_SSE41 bool NearestInGroup(const BYTE* group, __m128i b, __m128i g, __m128i r, __m128i* chosen) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i* lanes = reinterpret_cast<const __m128i*>(group);
    const __m128i cb = _mm_load_si128(lanes), cg = _mm_load_si128(lanes + 1), cr = _mm_load_si128(lanes + 2),
                  ci = _mm_load_si128(lanes + 3);
    const __m128i db = _mm_or_si128(_mm_subs_epu8(cb, b), _mm_subs_epu8(b, cb));
    const __m128i dg = _mm_or_si128(_mm_subs_epu8(cg, g), _mm_subs_epu8(g, cg));
    const __m128i dr = _mm_or_si128(_mm_subs_epu8(cr, r), _mm_subs_epu8(r, cr));
    const __m128i d = _mm_adds_epu8(_mm_adds_epu8(db, dg), dr);
    // Distance above, lane below in one word: the least word is the answer.
    const __m128i position = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i best = _mm_minpos_epu16(_mm_min_epu16(_mm_unpacklo_epi8(position, d), _mm_unpackhi_epi8(position, d)));
    // The winning lane in every byte picks its channels and entry.
    const __m128i lane = _mm_shuffle_epi8(best, zero);
    const __m128i blueGreen = _mm_unpacklo_epi8(_mm_shuffle_epi8(cb, lane), _mm_shuffle_epi8(cg, lane));
    const __m128i redIndex = _mm_unpacklo_epi8(_mm_shuffle_epi8(cr, lane), _mm_shuffle_epi8(ci, lane));
    *chosen = _mm_cvtepu8_epi16(_mm_unpacklo_epi16(blueGreen, redIndex));
    return _mm_extract_epi16(best, 0) < 0xFF00;
  }

  // NearestInGroup over a run of `count` groups (at most 16) in one pass:
  // a lane's position in the run, group * 16 + lane, fits the low byte of
  // its word, so the least word is the least distance at the first
  // position, the first entry in index order, as Search's two passes find.
  static CALVETTA_SSE41 bool NearestInGroups(const BYTE* first, size_t count, __m128i b, __m128i g, __m128i r, __m128i* chosen) {
    const __m128i zero = _mm_setzero_si128();
    __m128i position = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i sixteen = _mm_set1_epi8(16);
    __m128i least = _mm_set1_epi8(-1);
    const BYTE* group = first;
    for (size_t j = 0; j < count; ++j, group += sizeof(Group), position = _mm_add_epi8(position, sixteen)) {
      const __m128i* lanes = reinterpret_cast<const __m128i*>(group);
      const __m128i cb = _mm_load_si128(lanes), cg = _mm_load_si128(lanes + 1), cr = _mm_load_si128(lanes + 2);
      const __m128i db = _mm_or_si128(_mm_subs_epu8(cb, b), _mm_subs_epu8(b, cb));
      const __m128i dg = _mm_or_si128(_mm_subs_epu8(cg, g), _mm_subs_epu8(g, cg));
      const __m128i dr = _mm_or_si128(_mm_subs_epu8(cr, r), _mm_subs_epu8(r, cr));
      const __m128i d = _mm_adds_epu8(_mm_adds_epu8(db, dg), dr);
      least = _mm_min_epu16(least, _mm_min_epu16(_mm_unpacklo_epi8(position, d), _mm_unpackhi_epi8(position, d)));
    }
    const __m128i best = _mm_minpos_epu16(least);
    const int word = _mm_extract_epi16(best, 0);
    if (word >= 0xFF00) return false;
    const __m128i* lanes = reinterpret_cast<const __m128i*>(first + (word >> 4 & 15) * sizeof(Group));
    const __m128i lane = _mm_and_si128(_mm_shuffle_epi8(best, zero), _mm_set1_epi8(15));
    const __m128i blueGreen = _mm_unpacklo_epi8(_mm_shuffle_epi8(_mm_load_si128(lanes), lane), _mm_shuffle_epi8(_mm_load_si128(lanes + 1), lane));
    const __m128i redIndex = _mm_unpacklo_epi8(_mm_shuffle_epi8(_mm_load_si128(lanes + 2), lane), _mm_shuffle_epi8(_mm_load_si128(lanes + 3), lane));
    *chosen = _mm_cvtepu8_epi16(_mm_unpacklo_epi16(blueGreen, redIndex));
    return true;
  }
#endif

 private:
  // Sixteen candidates in one cache line: their channels, then their
  // entries. A cell's last group is padded with its first candidate, which
  // comes before the copies and so wins over them, and names the same entry.
  struct alignas(64) Group {
    BYTE blue[16], green[16], red[16], index[16];
  };

  static_assert(sizeof(Group) == kGroupsMask + 1);

  static BYTE Chosen(const Group& group, int lane, int* chosen) {
    chosen[0] = group.blue[lane], chosen[1] = group.green[lane], chosen[2] = group.red[lane];
    return static_cast<BYTE>(group.index[lane]);
  }

  static constexpr int kCellShift = 3, kCellBits = 8 - kCellShift, kCellSide = 1 << kCellShift;
  static constexpr DWORD kCells = 1u << (3 * kCellBits);
  // A run starts below 2^25 bytes (32768 cells of at most 16 groups of 64
  // bytes) and holds at most 16 groups. An unbuilt cell's word has the low
  // bits set, as a cell of many groups does, so one test sends both aside.
  static constexpr DWORD kUnbuilt = 0xFFFFFFFFu;
  static constexpr size_t kLanes = 16;
  // The candidate lists a cell's are taken from are padded to whole groups
  // of eight 16-bit lanes with far entries, whose channel value is farther
  // from any colour than any entry (at least 3 x 345 against at most 3 x 255).
  static constexpr size_t kSourceLanes = 8;
  static constexpr int16_t kFar = 600;

#if defined(__SSE2__)
  // A group's sixteen distances, in 16-bit lanes: the first eight, the last eight.
  static void Distances(const Group& group, __m128i b, __m128i g, __m128i r, __m128i* low, __m128i* high) {
    auto difference = [](const BYTE* lanes, __m128i v) {
      const __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
      return _mm_or_si128(_mm_subs_epu8(c, v), _mm_subs_epu8(v, c));
    };
    const __m128i db = difference(group.blue, b), dg = difference(group.green, g), dr = difference(group.red, r);
    const __m128i zero = _mm_setzero_si128();
    *low = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(db, zero), _mm_unpacklo_epi8(dg, zero)), _mm_unpacklo_epi8(dr, zero));
    *high = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(db, zero), _mm_unpackhi_epi8(dg, zero)), _mm_unpackhi_epi8(dr, zero));
  }
#endif

  // The positions among `n` of a source (channels, padded to whole groups
  // of eight with far lanes) of the entries that can be nearest for some
  // colour of the cube of `side` at (blue, green, red), in the source's
  // order, into `kept` (room for n rounded up to eight, and eight more);
  // returns how many.
  static size_t Candidates(const int16_t* sourceBlue, const int16_t* sourceGreen, const int16_t* sourceRed, size_t n,
                           int blue, int green, int red, int side, BYTE* kept) {
    alignas(16) int16_t least[256 + kSourceLanes];
    int bound = 0x7FFF;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowB = _mm_set1_epi16(static_cast<int16_t>(blue)), highB = _mm_set1_epi16(static_cast<int16_t>(blue + side - 1));
    const __m128i lowG = _mm_set1_epi16(static_cast<int16_t>(green)), highG = _mm_set1_epi16(static_cast<int16_t>(green + side - 1));
    const __m128i lowR = _mm_set1_epi16(static_cast<int16_t>(red)), highR = _mm_set1_epi16(static_cast<int16_t>(red + side - 1));
    // Per channel: least = max(low - v, v - high, 0), most = max(|v - low|, |v - high|).
    auto channel = [&](const int16_t* values, size_t i, __m128i low, __m128i high, __m128i* most) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
      const __m128i below = _mm_sub_epi16(low, v), above = _mm_sub_epi16(v, high);
      *most = _mm_max_epi16(_mm_max_epi16(below, _mm_sub_epi16(zero, below)), _mm_max_epi16(above, _mm_sub_epi16(zero, above)));
      return _mm_max_epi16(_mm_max_epi16(below, above), zero);
    };
    __m128i bounds = _mm_set1_epi16(0x7FFF);
    for (size_t i = 0; i < n; i += kSourceLanes) {
      __m128i mostB, mostG, mostR;
      const __m128i l = _mm_add_epi16(_mm_add_epi16(channel(sourceBlue, i, lowB, highB, &mostB), channel(sourceGreen, i, lowG, highG, &mostG)),
                                      channel(sourceRed, i, lowR, highR, &mostR));
      _mm_store_si128(reinterpret_cast<__m128i*>(least + i), l);
      bounds = _mm_min_epi16(bounds, _mm_add_epi16(_mm_add_epi16(mostB, mostG), mostR));
    }
    alignas(16) int16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), bounds);
    for (int16_t b : lanes) bound = std::min<int>(bound, b);
    // Far lanes have a least distance above any bound, so they are never
    // kept. Eight lanes' kept positions are written at once from a table,
    // without a branch on each (which way it goes is as good as random).
    const __m128i limit = _mm_set1_epi16(static_cast<int16_t>(bound));
    size_t count = 0;
    for (size_t i = 0; i < n; i += kSourceLanes) {
      const __m128i over = _mm_cmpgt_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(least + i)), limit);
      const unsigned keep = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(over, over))) & 0xFFu;
      const uint64_t positions = kKeptPositions.lanes[keep] + i * 0x0101010101010101ull;
      std::memcpy(kept + count, &positions, sizeof positions);
      count += kKeptPositions.count[keep];
    }
    return count;
#else
    auto lowest = [side](int v, int low) { return v < low ? low - v : v > low + side - 1 ? v - (low + side - 1) : 0; };
    auto farthest = [side](int v, int low) { return std::max(std::abs(v - low), std::abs(v - (low + side - 1))); };
    for (size_t i = 0; i < n; ++i) {
      least[i] = static_cast<int16_t>(lowest(sourceBlue[i], blue) + lowest(sourceGreen[i], green) + lowest(sourceRed[i], red));
      bound = std::min(bound, farthest(sourceBlue[i], blue) + farthest(sourceGreen[i], green) + farthest(sourceRed[i], red));
    }
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) {
      kept[count] = static_cast<BYTE>(i);
      count += least[i] <= bound;
    }
    return count;
#endif
  }

  // Drops from `kept` (`count` positions in a source list, in its order) the
  // entries that another of them beats at every colour of the cube of
  // `side` at (blue, green, red): nearer, or as near and earlier in the
  // list (a lower index). Such an entry is never nearest in the cube, and
  // an entry nearest somewhere is beaten by none there, so the search finds
  // the same entry in the shorter list; where entries crowd (where the
  // median cut puts them), a cell's list of some twenty shrinks to a few and
  // fits one group. Over the cube, d(x, f) - d(x, e) is a sum of one term a
  // channel, each monotonic in its channel's value, so its greatest value
  // is the sum of each term's greater value at the two ends of the range:
  // f beats e when that is below 0, or 0 with f first. Returns the count
  // left. The work goes as the square of the count, but the longest lists
  // shrink the most (a palette crowded far from a cell's colours leaves one
  // or two), so that the mapping takes the same time for any palette.
  static size_t Undominated(const int16_t* sourceBlue, const int16_t* sourceGreen, const int16_t* sourceRed, BYTE* kept, size_t count,
                            int blue, int green, int red, int side, bool wide) {
    // Per candidate and channel, its distances to the range's two ends.
    alignas(32) int16_t ends[6][256];
    const int low[3] = {blue, green, red};
    const int16_t* sources[3] = {sourceBlue, sourceGreen, sourceRed};
    for (size_t k = 0; k < count; ++k)
      for (int c = 0; c < 3; ++c) {
        const int v = sources[c][kept[k]];
        ends[2 * c][k] = static_cast<int16_t>(std::abs(v - low[c]));
        ends[2 * c + 1][k] = static_cast<int16_t>(std::abs(v - (low[c] + side - 1)));
      }
    alignas(32) int16_t beaten[256] = {};
#if defined(CALVETTA_MAPPING_SSE41)
    if (wide) {
      for (size_t k = count; k < (count + 15) / 16 * 16; ++k)
        for (auto& end : ends) end[k] = 0;
      BeatSixteenAtATime(ends, beaten, count);
    } else
#endif
#if defined(__SSE2__)
    {
      // Lanes past the count are compared too, and never read back.
      const size_t blocks = (count + kSourceLanes - 1) / kSourceLanes;
      for (size_t k = count; k < blocks * kSourceLanes; ++k)
        for (auto& end : ends) end[k] = 0;
      for (size_t f = 0; f < count; ++f) {
        // What a beaten entry beats, the entry beating it beats too.
        if (beaten[f]) continue;
        __m128i own[6];
        for (int j = 0; j < 6; ++j) own[j] = _mm_set1_epi16(ends[j][f]);
        const __m128i first = _mm_set1_epi16(static_cast<int16_t>(f));
        for (size_t i = 0; i < blocks * kSourceLanes; i += kSourceLanes) {
          __m128i worst = _mm_setzero_si128();
          for (int c = 0; c < 3; ++c) {
            const __m128i atLow = _mm_sub_epi16(own[2 * c], _mm_load_si128(reinterpret_cast<const __m128i*>(ends[2 * c] + i)));
            const __m128i atHigh = _mm_sub_epi16(own[2 * c + 1], _mm_load_si128(reinterpret_cast<const __m128i*>(ends[2 * c + 1] + i)));
            worst = _mm_add_epi16(worst, _mm_max_epi16(atLow, atHigh));
          }
          // Below 1 where f comes first, below 0 elsewhere (f itself gives 0).
          const __m128i lanes = _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(i)), _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7));
          const __m128i threshold = _mm_sub_epi16(_mm_setzero_si128(), _mm_cmpgt_epi16(lanes, first));
          __m128i* out = reinterpret_cast<__m128i*>(beaten + i);
          _mm_store_si128(out, _mm_or_si128(_mm_load_si128(out), _mm_cmpgt_epi16(threshold, worst)));
        }
      }
    }
#else
    for (size_t f = 0; f < count; ++f)
      for (size_t e = 0; e < count && !beaten[f]; ++e) {
        int worst = 0;
        for (int c = 0; c < 3; ++c)
          worst += std::max(ends[2 * c][f] - ends[2 * c][e], ends[2 * c + 1][f] - ends[2 * c + 1][e]);
        if (worst < (e > f ? 1 : 0)) beaten[e] = -1;
      }
#endif
    size_t left = 0;
    for (size_t k = 0; k < count; ++k) {
      kept[left] = kept[k];
      left += beaten[k] == 0;
    }
    return left;
  }

#if defined(CALVETTA_MAPPING_SSE41)
  // Undominated's comparisons in sixteen lanes of AVX2, the same way;
  // `ends` padded to whole sixteens.
  static __attribute__((target("avx2"))) void BeatSixteenAtATime(const int16_t (*ends)[256], int16_t* beaten, size_t count) {
    const size_t lanesUsed = (count + 15) / 16 * 16;
    for (size_t f = 0; f < count; ++f) {
      if (beaten[f]) continue;
      __m256i own[6];
      for (int j = 0; j < 6; ++j) own[j] = _mm256_set1_epi16(ends[j][f]);
      const __m256i first = _mm256_set1_epi16(static_cast<int16_t>(f));
      for (size_t i = 0; i < lanesUsed; i += 16) {
        __m256i worst = _mm256_setzero_si256();
        for (int c = 0; c < 3; ++c) {
          const __m256i atLow = _mm256_sub_epi16(own[2 * c], _mm256_load_si256(reinterpret_cast<const __m256i*>(ends[2 * c] + i)));
          const __m256i atHigh = _mm256_sub_epi16(own[2 * c + 1], _mm256_load_si256(reinterpret_cast<const __m256i*>(ends[2 * c + 1] + i)));
          worst = _mm256_add_epi16(worst, _mm256_max_epi16(atLow, atHigh));
        }
        const __m256i lanes = _mm256_add_epi16(_mm256_set1_epi16(static_cast<int16_t>(i)),
                                               _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
        const __m256i threshold = _mm256_sub_epi16(_mm256_setzero_si256(), _mm256_cmpgt_epi16(lanes, first));
        __m256i* out = reinterpret_cast<__m256i*>(beaten + i);
        _mm256_store_si256(out, _mm256_or_si256(_mm256_load_si256(out), _mm256_cmpgt_epi16(threshold, worst)));
      }
    }
  }
#endif

  // A cell's candidates come from its parent's (the cube of twice its side
  // around it): an entry that can be nearest in the cell can be in the
  // parent, and so can the entry that sets the cell's bound, so the lists
  // are those a search of the whole palette makes.
  __attribute__((noinline)) void BuildCell(DWORD cell) {
    const int mask = (1 << kCellBits) - 1;
    const int blue = static_cast<int>(cell & mask) << kCellShift, green = static_cast<int>((cell >> kCellBits) & mask) << kCellShift,
              red = static_cast<int>(cell >> (2 * kCellBits)) << kCellShift;
    const DWORD parent = ParentOf(blue, green, red);
    if (m_parentCount[parent] == kUnbuilt) {
      BuildParent(parent, blue, green, red);
      // A group lent goes to all eight cells at once, sparing the other
      // seven a call here from the middle of the mapping.
      if (m_parentRun[parent] != kUnbuilt)
        for (DWORD corner = 0; corner < 8; ++corner)
          m_cells[cell ^ ((corner & 1) | (corner & 2) << (kCellBits - 1) | (corner & 4) << (2 * kCellBits - 2))] = m_parentRun[parent];
    }
    // A parent of one group's candidates lends its group to its cells: a
    // search of more candidates than the cell's own (in the same order)
    // finds the same entry, and costs the same within one group.
    if (m_parentRun[parent] != kUnbuilt) {
      m_cells[cell] = m_parentRun[parent];
      return;
    }
    const size_t first = m_parentStart[parent];
    BYTE kept[256 + kLanes];
    size_t count = Candidates(m_parentBlue.data() + first, m_parentGreen.data() + first, m_parentRed.data() + first,
                              m_parentCount[parent], blue, green, red, kCellSide, kept);
    // Lists of one group cost the same however short.
    if (count > kLanes)
      count = Undominated(m_parentBlue.data() + first, m_parentGreen.data() + first, m_parentRed.data() + first, kept, count, blue, green,
                          red, kCellSide, m_wide);
    m_cells[cell] = AddRun(first, m_parentCount[parent], kept, count);
  }

  // A new run of the parent lists' candidates at `first` + each of `kept`,
  // padded to whole groups with the first.
  DWORD AddRun(size_t first, size_t listed, BYTE* kept, size_t count) {
    const size_t groups = (count + kLanes - 1) / kLanes;
    if (m_groups.size() < m_groupsUsed + groups) m_groups.resize(std::max(2 * m_groups.size(), m_groupsUsed + kCells / 16 + groups));
    Group* out = m_groups.data() + m_groupsUsed;
#if defined(CALVETTA_MAPPING_SSE41)
    if (m_shuffles) {
      for (size_t k = count; k < groups * kLanes; ++k) kept[k] = kept[0];
      for (size_t j = 0; j < groups; ++j) GatherRun(first, listed, kept + j * kLanes, out + j);
      const DWORD run = static_cast<DWORD>(m_groupsUsed * sizeof(Group)) | static_cast<DWORD>(groups - 1);
      m_groupsUsed += groups;
      return run;
    }
#endif
    const int16_t* blue = m_parentBlue.data() + first;
    const int16_t* green = m_parentGreen.data() + first;
    const int16_t* red = m_parentRed.data() + first;
    const BYTE* index = m_parentIndex.data() + first;
    for (size_t k = count; k < groups * kLanes; ++k) kept[k] = kept[0];
    for (size_t k = 0; k < groups * kLanes; ++k) {
      Group& group = out[k / kLanes];
      const size_t lane = k % kLanes, from = kept[k];
      group.blue[lane] = static_cast<BYTE>(blue[from]);
      group.green[lane] = static_cast<BYTE>(green[from]);
      group.red[lane] = static_cast<BYTE>(red[from]);
      group.index[lane] = index[from];
    }
    const DWORD run = static_cast<DWORD>(m_groupsUsed * sizeof(Group)) | static_cast<DWORD>(groups - 1);
    m_groupsUsed += groups;
    return run;
  }

#if defined(CALVETTA_MAPPING_SSE41)
  // One group of AddRun: the list at `first` (`listed` long, padded to
  // whole groups of eight lanes) taken sixteen at a time as bytes, each
  // kept lane shuffled from the sixteen that hold it. Channel values
  // pack to themselves (far lanes, never kept, to 255); reads stop at the
  // list's padded end.
  __attribute__((target("ssse3"))) void GatherRun(size_t first, size_t listed, const BYTE* kept, Group* out) const {
    const __m128i positions = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kept));
    const __m128i lanes = _mm_and_si128(positions, _mm_set1_epi8(15));
    const __m128i sixteens = _mm_and_si128(_mm_srli_epi16(positions, 4), _mm_set1_epi8(15));
    __m128i blue = _mm_setzero_si128(), green = blue, red = blue, index = blue;
    for (size_t at = 0; at < listed; at += kLanes) {
      const bool whole = at + kSourceLanes < listed;
      auto bytes = [&](const std::vector<int16_t>& list) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(list.data() + first + at));
        const __m128i high = whole ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(list.data() + first + at + kSourceLanes)) : low;
        return _mm_packus_epi16(low, high);
      };
      const BYTE* entries = m_parentIndex.data() + first + at;
      const __m128i lowEntries = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(entries));
      const __m128i entryBytes =
          whole ? _mm_unpacklo_epi64(lowEntries, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(entries + kSourceLanes))) : lowEntries;
      const __m128i here = _mm_cmpeq_epi8(sixteens, _mm_set1_epi8(static_cast<char>(at / kLanes)));
      blue = _mm_or_si128(blue, _mm_and_si128(here, _mm_shuffle_epi8(bytes(m_parentBlue), lanes)));
      green = _mm_or_si128(green, _mm_and_si128(here, _mm_shuffle_epi8(bytes(m_parentGreen), lanes)));
      red = _mm_or_si128(red, _mm_and_si128(here, _mm_shuffle_epi8(bytes(m_parentRed), lanes)));
      index = _mm_or_si128(index, _mm_and_si128(here, _mm_shuffle_epi8(entryBytes, lanes)));
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(out->blue), blue);
    _mm_store_si128(reinterpret_cast<__m128i*>(out->green), green);
    _mm_store_si128(reinterpret_cast<__m128i*>(out->red), red);
    _mm_store_si128(reinterpret_cast<__m128i*>(out->index), index);
  }
#endif

  static DWORD ParentOf(int blue, int green, int red) {
    constexpr int shift = kCellShift + 1, bits = kCellBits - 1;
    return static_cast<DWORD>(blue >> shift | (green >> shift) << bits | (red >> shift) << (2 * bits));
  }

  // The whole palette's candidates for a parent cube, padded to whole
  // groups of eight with far lanes. They come from the list of the cube of
  // twice its side around it, as a cell's come from its parent's (the same
  // list), which spares reading the whole palette for each parent.
  void BuildParent(DWORD parent, int blue, int green, int red) {
    constexpr int side = 2 * kCellSide, outerSide = 2 * side, outerCubes = 256 / outerSide;
    blue &= ~(side - 1), green &= ~(side - 1), red &= ~(side - 1);
    const DWORD outer = static_cast<DWORD>(blue / outerSide + (green / outerSide + red / outerSide * outerCubes) * outerCubes);
    BYTE kept[256 + kLanes];
    if (m_outerCount[outer] == kUnbuilt) {
      size_t count = Candidates(m_blue, m_green, m_red, 256, blue & ~(outerSide - 1), green & ~(outerSide - 1),
                                red & ~(outerSide - 1), outerSide, kept);
      // Shorter lists here make the parents' lists quicker to make.
      if (count > kLanes)
        count = Undominated(m_blue, m_green, m_red, kept, count, blue & ~(outerSide - 1), green & ~(outerSide - 1),
                            red & ~(outerSide - 1), outerSide, m_wide);
      m_outerStart[outer] = static_cast<DWORD>(AppendList(kPalette, kept, count));
      m_outerCount[outer] = static_cast<DWORD>(count);
    }
    const size_t from = m_outerStart[outer];
    size_t count = Candidates(m_parentBlue.data() + from, m_parentGreen.data() + from, m_parentRed.data() + from,
                              m_outerCount[outer], blue, green, red, side, kept);
    // A list of one group serves all the parent's cells without lists of their own.
    if (count > kLanes)
      count = Undominated(m_parentBlue.data() + from, m_parentGreen.data() + from, m_parentRed.data() + from, kept, count, blue, green,
                          red, side, m_wide);
    const size_t start = AppendList(from, kept, count);
    m_parentCount[parent] = static_cast<DWORD>(count);
    m_parentStart[parent] = static_cast<DWORD>(start);
    if (count <= kLanes) {
      for (size_t k = 0; k < count; ++k) kept[k] = static_cast<BYTE>(k);
      m_parentRun[parent] = AddRun(start, count, kept, count);
      m_lent[parent] = m_groups[m_parentRun[parent] / sizeof(Group)];
    }
  }

  // Appends a list of the candidates at each of `kept` of the list at
  // `from`, or of the palette, padded to whole groups of eight with far
  // lanes; returns where it starts.
  static constexpr size_t kPalette = ~size_t{0};
  size_t AppendList(size_t from, const BYTE* kept, size_t count) {
    const size_t start = m_parentBlue.size(), padded = (count + kSourceLanes - 1) / kSourceLanes * kSourceLanes;
    m_parentBlue.resize(start + padded, kFar), m_parentGreen.resize(start + padded, kFar), m_parentRed.resize(start + padded, kFar);
    m_parentIndex.resize(start + padded, 0);
    int16_t* blue = m_parentBlue.data() + start;
    int16_t* green = m_parentGreen.data() + start;
    int16_t* red = m_parentRed.data() + start;
    BYTE* index = m_parentIndex.data() + start;
    if (from == kPalette) {
      for (size_t k = 0; k < count; ++k) blue[k] = m_blue[kept[k]], green[k] = m_green[kept[k]], red[k] = m_red[kept[k]], index[k] = kept[k];
    } else {
      for (size_t k = 0; k < count; ++k) {
        const size_t i = from + kept[k];
        blue[k] = m_parentBlue[i], green[k] = m_parentGreen[i], red[k] = m_parentRed[i], index[k] = m_parentIndex[i];
      }
    }
    return start;
  }

  DWORD m_entries = 0;
  bool m_shuffles = false, m_wide = false;
  alignas(16) int16_t m_blue[256], m_green[256], m_red[256];
  // Per cell: its run (see Run), or unbuilt.
  std::vector<DWORD> m_cells;
  // The cells' candidates, each cell's run padded to whole groups.
  std::vector<Group> m_groups;
  // Per parent cube: its candidates' count (or unbuilt) and first lane, and
  // where it has one group's worth, the run its cells share (or unbuilt).
  std::vector<DWORD> m_parentCount, m_parentStart, m_parentRun;
  // Per parent cube, a copy of the group it lends (see LentGroups).
  std::vector<Group> m_lent;
  // Per cube of twice a parent's side: its candidates' count (or unbuilt)
  // and first lane.
  std::vector<DWORD> m_outerCount, m_outerStart;
  // The lists of all these cubes, one after another.
  std::vector<int16_t> m_parentBlue, m_parentGreen, m_parentRed;
  std::vector<BYTE> m_parentIndex;
  size_t m_groupsUsed = 0;
};

// --- boxes and counting colours ---

void CColorBox::ComputeVolume() {
  volume = (Span(redMin, redMax) + 1) * (Span(greenMin, greenMax) + 1) * (Span(blueMin, blueMax) + 1);
}

CMedianCutQuantizer::CMedianCutQuantizer(int maxColors) : m_maxColors(maxColors) {}
CMedianCutQuantizer::~CMedianCutQuantizer() = default;

// In front of the first box of strictly greater volume: equal volumes keep
// their order of insertion, and the last box is the one split next.
void CMedianCutQuantizer::InsertBox(const CColorBox& box) {
  const auto at = std::upper_bound(m_boxes.begin(), m_boxes.end(), box.volume,
                                   [](LONG volume, const CColorBox& other) { return volume < other.volume; });
  m_boxes.insert(at, box);
}

namespace {

// The cube's cells for sorting a frame's colours: 32 values of each channel.
constexpr int kGridShift = 3;
constexpr DWORD kGridCells = 1u << (3 * (8 - kGridShift));

DWORD GridCell(DWORD color) {
  constexpr DWORD side = (1u << (8 - kGridShift)) - 1;
  return (color >> kGridShift & side) | (color >> (8 + kGridShift - (8 - kGridShift)) & side << (8 - kGridShift)) |
         (color >> (16 + kGridShift - 2 * (8 - kGridShift)) & side << (2 * (8 - kGridShift)));
}

#if defined(__SSE2__)
// GridCell of four colours.
__m128i GridCells(__m128i colors) {
  constexpr int bits = 8 - kGridShift, side = (1 << bits) - 1;
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_epi32(colors, kGridShift), _mm_set1_epi32(side)),
                                   _mm_and_si128(_mm_srli_epi32(colors, 8 + kGridShift - bits), _mm_set1_epi32(side << bits))),
                      _mm_and_si128(_mm_srli_epi32(colors, 16 + kGridShift - 2 * bits), _mm_set1_epi32(side << (2 * bits))));
}

// Per lane of four cells, one more than how many lanes before it hold the
// same cell. Neighbouring pixels are often in one cell; four colours then
// take their counts or places from one read of the cell's count, rather
// than each read waiting for the write before it.
__m128i RanksAmongFour(__m128i cells) {
  // Lanes shifted in read as -1, which no cell is.
  const __m128i one = _mm_or_si128(_mm_slli_si128(cells, 4), _mm_setr_epi32(-1, 0, 0, 0));
  const __m128i two = _mm_or_si128(_mm_slli_si128(cells, 8), _mm_setr_epi32(-1, -1, 0, 0));
  const __m128i three = _mm_or_si128(_mm_slli_si128(cells, 12), _mm_setr_epi32(-1, -1, -1, 0));
  const __m128i same = _mm_add_epi32(_mm_add_epi32(_mm_cmpeq_epi32(cells, one), _mm_cmpeq_epi32(cells, two)),
                                     _mm_cmpeq_epi32(cells, three));
  return _mm_sub_epi32(_mm_set1_epi32(1), same);
}
#endif

// Byte by byte least and greatest of two colour words.
DWORD LeastBytes(DWORD a, DWORD b) {
#if defined(__SSE2__)
  return static_cast<DWORD>(_mm_cvtsi128_si32(_mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)))));
#else
  DWORD least = 0;
  for (int k = 0; k < 32; k += 8) least |= std::min(a >> k & 0xFF, b >> k & 0xFF) << k;
  return least;
#endif
}

DWORD MostBytes(DWORD a, DWORD b) {
#if defined(__SSE2__)
  return static_cast<DWORD>(_mm_cvtsi128_si32(_mm_max_epu8(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)))));
#else
  DWORD most = 0;
  for (int k = 0; k < 32; k += 8) most |= std::max(a >> k & 0xFF, b >> k & 0xFF) << k;
  return most;
#endif
}

// The least and greatest value of each channel over a run of colours.
void RangesOf(const DWORD* colors, DWORD n, DWORD* least, DWORD* most) {
  DWORD i = 0;
  DWORD low = 0xFFFFFFFFu, high = 0;
#if defined(__SSE2__)
  if (n >= 4) {
    __m128i lowLanes = _mm_set1_epi8(static_cast<char>(0xFF)), highLanes = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i));
      lowLanes = _mm_min_epu8(lowLanes, v), highLanes = _mm_max_epu8(highLanes, v);
    }
    lowLanes = _mm_min_epu8(lowLanes, _mm_shuffle_epi32(lowLanes, _MM_SHUFFLE(1, 0, 3, 2)));
    lowLanes = _mm_min_epu8(lowLanes, _mm_shuffle_epi32(lowLanes, _MM_SHUFFLE(2, 3, 0, 1)));
    highLanes = _mm_max_epu8(highLanes, _mm_shuffle_epi32(highLanes, _MM_SHUFFLE(1, 0, 3, 2)));
    highLanes = _mm_max_epu8(highLanes, _mm_shuffle_epi32(highLanes, _MM_SHUFFLE(2, 3, 0, 1)));
    low = static_cast<DWORD>(_mm_cvtsi128_si32(lowLanes)), high = static_cast<DWORD>(_mm_cvtsi128_si32(highLanes));
  }
#endif
  for (; i < n; ++i) low = LeastBytes(low, colors[i]), high = MostBytes(high, colors[i]);
  *least = low, *most = high;
}

}  // namespace

// The frame's colours counted by cell of the cube, and the least and
// greatest value of each channel over them, in one pass.
void CMedianCutQuantizer::CountByCell(DWORD* least, DWORD* most) {
  m_cellCounts.assign(kGridCells, 0);
  DWORD* counts = m_cellCounts.data();
  const BYTE* p = m_pixels;
  DWORD i = 0, low = 0xFFFFFFFFu, high = 0;
#if defined(__SSE2__)
  if (m_pixelCount >= 4) {
    alignas(16) DWORD cells[4];
    __m128i lowLanes = _mm_set1_epi8(static_cast<char>(0xFF)), highLanes = _mm_setzero_si128();
    for (; i + 4 <= m_pixelCount; i += 4, p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      lowLanes = _mm_min_epu8(lowLanes, v), highLanes = _mm_max_epu8(highLanes, v);
      _mm_store_si128(reinterpret_cast<__m128i*>(cells), GridCells(v));
      ++counts[cells[0]], ++counts[cells[1]], ++counts[cells[2]], ++counts[cells[3]];
    }
    lowLanes = _mm_min_epu8(lowLanes, _mm_shuffle_epi32(lowLanes, _MM_SHUFFLE(1, 0, 3, 2)));
    lowLanes = _mm_min_epu8(lowLanes, _mm_shuffle_epi32(lowLanes, _MM_SHUFFLE(2, 3, 0, 1)));
    highLanes = _mm_max_epu8(highLanes, _mm_shuffle_epi32(highLanes, _MM_SHUFFLE(1, 0, 3, 2)));
    highLanes = _mm_max_epu8(highLanes, _mm_shuffle_epi32(highLanes, _MM_SHUFFLE(2, 3, 0, 1)));
    low = static_cast<DWORD>(_mm_cvtsi128_si32(lowLanes)), high = static_cast<DWORD>(_mm_cvtsi128_si32(highLanes));
  }
#endif
  for (; i < m_pixelCount; ++i, p += 4) {
    DWORD color;
    std::memcpy(&color, p, sizeof color);
    low = LeastBytes(low, color), high = MostBytes(high, color);
    ++counts[GridCell(color)];
  }
  *least = low, *most = high;
}

// The frame's colours sorted by cell of the cube (a counting sort over
// CountByCell's counts), and a piece for each cell that has any. Boxes,
// their ranges and their averages depend only on how many pixels have each
// colour, never on their order, so a box may hold its colours in any order;
// sorted by cell, a box whose split value falls between a cell's colours
// partitions only that cell's, and takes the other cells whole by their ranges.
DWORD CMedianCutQuantizer::SortByCell() {
  DWORD* counts = m_cellCounts.data();
  DWORD start = 0;
  for (DWORD cell = 0; cell < kGridCells; ++cell) {
    const DWORD n = counts[cell];
    counts[cell] = start;
    start += n;
  }
  // The scratch has room for a vector store past the colours' count.
  if (m_colors.size() < m_pixelCount) m_colors.resize(m_pixelCount), m_scratch.resize(m_pixelCount + 4);
  DWORD* colors = m_colors.data();
  const BYTE* p = m_pixels;
  DWORD i = 0;
#if defined(__SSE2__)
  alignas(16) DWORD cells[4], words[4], ranks[4];
  const __m128i colourBytes = _mm_set1_epi32(0xFFFFFF);
  for (; i + 4 <= m_pixelCount; i += 4, p += 16) {
    const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), colourBytes);
    const __m128i cellLanes = GridCells(v);
    _mm_store_si128(reinterpret_cast<__m128i*>(words), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(cells), cellLanes);
    _mm_store_si128(reinterpret_cast<__m128i*>(ranks), RanksAmongFour(cellLanes));
    // A lane's place is its cell's count before the four plus the lanes of
    // that cell before it, so the colours keep their order.
    const DWORD n0 = counts[cells[0]], n1 = counts[cells[1]], n2 = counts[cells[2]], n3 = counts[cells[3]];
    colors[n0 + ranks[0] - 1] = words[0], colors[n1 + ranks[1] - 1] = words[1];
    colors[n2 + ranks[2] - 1] = words[2], colors[n3 + ranks[3] - 1] = words[3];
    counts[cells[0]] = n0 + ranks[0], counts[cells[1]] = n1 + ranks[1];
    counts[cells[2]] = n2 + ranks[2], counts[cells[3]] = n3 + ranks[3];
  }
#endif
  for (; i < m_pixelCount; ++i, p += 4) {
    DWORD color;
    std::memcpy(&color, p, sizeof color);
    color &= 0xFFFFFFu;
    colors[counts[GridCell(color)]++] = color;
  }
  // Each cell's count now holds where its colours end.
  m_pieces.clear();
  DWORD first = 0;
  for (DWORD cell = 0; cell < kGridCells; ++cell) {
    const DWORD end = counts[cell];
    if (end == first) continue;
    CColorPiece piece{first, end - first, 0, 0};
    RangesOf(colors + first, piece.count, &piece.least, &piece.most);
    m_pieces.push_back(piece);
    first = end;
  }
  return static_cast<DWORD>(m_pieces.size());
}

int CMedianCutQuantizer::AddPixels(BYTE* pixels, DWORD width, DWORD height) {
  m_boxes.clear();
  m_pixels = pixels;
  m_pixelCount = 0;
  const unsigned long long count = static_cast<unsigned long long>(width) * height;
  if (!pixels || count == 0 || count > 0x7FFFFFFF) return 0;
  m_pixelCount = static_cast<DWORD>(count);
  CColorBox box;
  box.pixelCount = static_cast<LONG>(count);
  DWORD least, most;
  CountByCell(&least, &most);
  box.blueMin = static_cast<BYTE>(least), box.blueMax = static_cast<BYTE>(most);
  box.greenMin = static_cast<BYTE>(least >> 8), box.greenMax = static_cast<BYTE>(most >> 8);
  box.redMin = static_cast<BYTE>(least >> 16), box.redMax = static_cast<BYTE>(most >> 16);
  box.ComputeVolume();
  const bool small = box.volume < m_maxColors;
  if (!small) box.pieceCount = SortByCell();
  InsertBox(box);
  if (small) return 1;
  while (static_cast<int>(m_boxes.size()) < m_maxColors) {
    if (m_boxes.back().volume < 2) break;
    const CColorBox largest = m_boxes.back();
    m_boxes.pop_back();
    SplitBox(largest);
  }
  return static_cast<int>(m_boxes.size());
}

// --- splitting boxes ---

namespace {

// The least and greatest value of each channel over some colours, held in
// two words of bytes laid out as a colour is.
struct ChannelRanges {
  DWORD least = 0xFFFFFFFFu, most = 0;

  void Widen(DWORD otherLeast, DWORD otherMost) { least = LeastBytes(least, otherLeast), most = MostBytes(most, otherMost); }

  // An empty box keeps the ranges it started with.
  void SetOn(CColorBox& box) const {
    if (box.pixelCount <= 0) return;
    box.blueMin = static_cast<BYTE>(least), box.blueMax = static_cast<BYTE>(most);
    box.greenMin = static_cast<BYTE>(least >> 8), box.greenMax = static_cast<BYTE>(most >> 8);
    box.redMin = static_cast<BYTE>(least >> 16), box.redMax = static_cast<BYTE>(most >> 16);
  }
};

// Moves the colours at or below `split` in the channel at bit `shift` to
// the front and returns how many there are. Each colour is written at both
// ends of the part of `scratch` not yet settled and settles at the end its
// side grows from, so that no branch depends on the colours (they come in
// short runs of one side, which a branch would mispredict at every turn).
DWORD Partition(DWORD* colors, DWORD n, int shift, DWORD split, DWORD* scratch) {
  const DWORD mask = 0xFFu << shift, bound = split << shift;
  DWORD low = 0, high = n;
  for (DWORD i = 0; i < n; ++i) {
    const DWORD c = colors[i];
    const DWORD isLow = (c & mask) <= bound;
    scratch[low] = c;
    scratch[high - 1] = c;
    low += isLow;
    high -= isLow ^ 1;
  }
  std::memcpy(colors, scratch, sizeof(DWORD) * n);
  return low;
}

// Whether a box split may partition with SSSE3 (tests lower the limit to
// compare the forms: 0 the plain partition, 1 the vector one).
std::atomic<int> g_splitFormLimit{1};

#if defined(CALVETTA_MAPPING_SSE41)
#define CALVETTA_SSSE3 __attribute__((target("ssse3")))

bool HasSsse3() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return has;
}

// Per set of four lanes (a bit each), the bytes that gather those lanes to
// the front in order, and how many there are.
struct PackLanes {
  alignas(16) BYTE bytes[16][16];
  BYTE count[16];
  constexpr PackLanes() : bytes(), count() {
    for (unsigned lanes = 0; lanes < 16; ++lanes) {
      unsigned n = 0;
      for (unsigned k = 0; k < 4; ++k)
        if (lanes >> k & 1) {
          for (unsigned b = 0; b < 4; ++b) bytes[lanes][4 * n + b] = static_cast<BYTE>(4 * k + b);
          ++n;
        }
      for (unsigned b = 4 * n; b < 16; ++b) bytes[lanes][b] = 0x80;
      count[lanes] = static_cast<BYTE>(n);
    }
  }
};
constexpr PackLanes kPackLanes{};

// Partition with the channel ranges of both sides, four colours a step: the
// low ones of four are gathered and stored over the colours already read,
// the high ones gathered into `scratch` (which has room for three more) and
// copied in behind the low ones at the end. Fills `ranges` with the low
// side's least and greatest, then the high side's, as RangesOf would.
CALVETTA_SSSE3 DWORD PartitionSsse3(DWORD* colors, DWORD n, int shift, DWORD split, DWORD* scratch, DWORD* ranges) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(0xFFu << shift)), bound = _mm_set1_epi32(static_cast<int>(split << shift));
  __m128i lowLeast = _mm_set1_epi8(static_cast<char>(0xFF)), lowMost = _mm_setzero_si128();
  __m128i highLeast = lowLeast, highMost = lowMost;
  DWORD low = 0, high = 0, i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i));
    // Channel values sit below bit 24, so a signed comparison serves.
    const __m128i isHigh = _mm_cmpgt_epi32(_mm_and_si128(v, mask), bound);
    const int highLanes = _mm_movemask_ps(_mm_castsi128_ps(isHigh)), lowLanes = highLanes ^ 15;
    lowLeast = _mm_min_epu8(lowLeast, _mm_or_si128(v, isHigh)), lowMost = _mm_max_epu8(lowMost, _mm_andnot_si128(isHigh, v));
    highLeast = _mm_min_epu8(highLeast, _mm_or_si128(v, _mm_andnot_si128(isHigh, _mm_set1_epi8(static_cast<char>(0xFF)))));
    highMost = _mm_max_epu8(highMost, _mm_and_si128(isHigh, v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(colors + low),
                     _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i*>(kPackLanes.bytes[lowLanes]))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(scratch + high),
                     _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i*>(kPackLanes.bytes[highLanes]))));
    low += kPackLanes.count[lowLanes], high += kPackLanes.count[highLanes];
  }
  auto fold = [](__m128i lanes, bool least) {
    const __m128i half = _mm_shuffle_epi32(lanes, _MM_SHUFFLE(1, 0, 3, 2));
    lanes = least ? _mm_min_epu8(lanes, half) : _mm_max_epu8(lanes, half);
    const __m128i quarter = _mm_shuffle_epi32(lanes, _MM_SHUFFLE(2, 3, 0, 1));
    return static_cast<DWORD>(_mm_cvtsi128_si32(least ? _mm_min_epu8(lanes, quarter) : _mm_max_epu8(lanes, quarter)));
  };
  DWORD lowLow = fold(lowLeast, true), lowHigh = fold(lowMost, false), highLow = fold(highLeast, true), highHigh = fold(highMost, false);
  const DWORD channelMask = 0xFFu << shift, channelBound = split << shift;
  for (; i < n; ++i) {
    const DWORD c = colors[i];
    if ((c & channelMask) <= channelBound) {
      colors[low++] = c, lowLow = LeastBytes(lowLow, c), lowHigh = MostBytes(lowHigh, c);
    } else {
      scratch[high++] = c, highLow = LeastBytes(highLow, c), highHigh = MostBytes(highHigh, c);
    }
  }
  std::memcpy(colors + low, scratch, sizeof(DWORD) * high);
  ranges[0] = lowLow, ranges[1] = lowHigh, ranges[2] = highLow, ranges[3] = highHigh;
  return low;
}
#endif

// The sums of each channel over a run of colours.
void AddChannels(const DWORD* colors, DWORD n, unsigned long long* sums) {
  DWORD i = 0;
#if defined(__SSE2__)
  if (n >= 4) {
    // Each channel masked out of four colours, its bytes summed in two
    // 64-bit lanes.
    const __m128i zero = _mm_setzero_si128(), blueMask = _mm_set1_epi32(0xFF), greenMask = _mm_set1_epi32(0xFF00),
                  redMask = _mm_set1_epi32(0xFF0000);
    __m128i blue = zero, green = zero, red = zero;
    for (; i + 4 <= n; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colors + i));
      blue = _mm_add_epi64(blue, _mm_sad_epu8(_mm_and_si128(v, blueMask), zero));
      green = _mm_add_epi64(green, _mm_sad_epu8(_mm_and_si128(v, greenMask), zero));
      red = _mm_add_epi64(red, _mm_sad_epu8(_mm_and_si128(v, redMask), zero));
    }
    alignas(16) unsigned long long lanes[6];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), blue);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 2), green);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 4), red);
    sums[0] += lanes[0] + lanes[1], sums[1] += lanes[2] + lanes[3], sums[2] += lanes[4] + lanes[5];
  }
#endif
  for (; i < n; ++i) sums[0] += colors[i] & 0xFF, sums[1] += colors[i] >> 8 & 0xFF, sums[2] += colors[i] >> 16 & 0xFF;
}

}  // namespace

void SetSplitFormLimit(int highest) { g_splitFormLimit.store(std::clamp(highest, 0, 1), std::memory_order_relaxed); }

// The box's pieces are sorted into the two new boxes' runs, appended to the
// pieces: a piece wholly on one side of the split value goes as it is, one
// across it is partitioned into two.
void CMedianCutQuantizer::SplitBox(const CColorBox& box) {
  const int red = Span(box.redMin, box.redMax), green = Span(box.greenMin, box.greenMax),
            blue = Span(box.blueMin, box.blueMax);
  // Colours at or below the split value make the low box.
  int shift;
  DWORD split;
  if (red >= green && red >= blue) {
    shift = 16, split = static_cast<DWORD>(box.redMin + box.redMax) / 2;
  } else if (green >= blue) {
    shift = 8, split = static_cast<DWORD>(box.greenMin + box.greenMax) / 2;
  } else {
    shift = 0, split = static_cast<DWORD>(box.blueMin + box.blueMax) / 2;
  }
  DWORD* colors = m_colors.data();
#if defined(CALVETTA_MAPPING_SSE41)
  const bool vectorForm = g_splitFormLimit.load(std::memory_order_relaxed) > 0 && HasSsse3();
#endif
  ChannelRanges lows, highs;
  LONG lowPixels = 0, highPixels = 0;
  const DWORD lowFirst = static_cast<DWORD>(m_pieces.size());
  m_highPieces.clear();
  for (DWORD i = 0; i < box.pieceCount; ++i) {
    const CColorPiece piece = m_pieces[box.first + i];  // a copy: the pieces grow
    if ((piece.most >> shift & 0xFF) <= split) {
      m_pieces.push_back(piece);
      lows.Widen(piece.least, piece.most);
      lowPixels += static_cast<LONG>(piece.count);
    } else if ((piece.least >> shift & 0xFF) > split) {
      m_highPieces.push_back(piece);
      highs.Widen(piece.least, piece.most);
      highPixels += static_cast<LONG>(piece.count);
    } else {
      ChannelRanges low, high;
      DWORD* begin = colors + piece.first;
      DWORD front;
#if defined(CALVETTA_MAPPING_SSE41)
      if (vectorForm) {
        DWORD ranges[4];
        front = PartitionSsse3(begin, piece.count, shift, split, m_scratch.data(), ranges);
        low.least = ranges[0], low.most = ranges[1], high.least = ranges[2], high.most = ranges[3];
      } else
#endif
      {
        front = Partition(begin, piece.count, shift, split, m_scratch.data());
        RangesOf(begin, front, &low.least, &low.most);
        RangesOf(begin + front, piece.count - front, &high.least, &high.most);
      }
      m_pieces.push_back({piece.first, front, low.least, low.most});
      m_highPieces.push_back({piece.first + front, piece.count - front, high.least, high.most});
      lows.Widen(low.least, low.most), highs.Widen(high.least, high.most);
      lowPixels += static_cast<LONG>(front), highPixels += static_cast<LONG>(piece.count - front);
    }
  }
  CColorBox low = box, high = box;
  low.first = lowFirst, low.pieceCount = static_cast<DWORD>(m_pieces.size()) - lowFirst, low.pixelCount = lowPixels;
  high.first = static_cast<DWORD>(m_pieces.size()), high.pieceCount = static_cast<DWORD>(m_highPieces.size());
  high.pixelCount = highPixels;
  m_pieces.insert(m_pieces.end(), m_highPieces.begin(), m_highPieces.end());
  lows.SetOn(low);
  low.ComputeVolume();
  highs.SetOn(high);
  high.ComputeVolume();
  InsertBox(low);
  InsertBox(high);
}

// --- the palette ---

// The colours of an unsplit frame in the order of their first pixel.
int CMedianCutQuantizer::ListDistinctColors(RGBQUAD* palette) const {
  const CColorBox& box = m_boxes.front();
  // The cube of an unsplit frame is small: a table over its cells says which
  // colours are listed already. A larger one (a quantiser for one colour) searches.
  const int redSpan = box.redMax - box.redMin + 1, greenSpan = box.greenMax - box.greenMin + 1;
  const bool tabled = box.volume > 0 && box.volume <= 256;
  BYTE listed[256] = {};
  int n = 0;
  const BYTE* p = m_pixels;
  for (DWORD i = 0; i < m_pixelCount && n < 256; ++i, p += 4) {
    bool seen = false;
    if (tabled) {
      const int cell = ((p[0] - box.blueMin) * greenSpan + (p[1] - box.greenMin)) * redSpan + (p[2] - box.redMin);
      seen = listed[cell] != 0;
      listed[cell] = 1;
    } else {
      for (int k = 0; k < n && !seen; ++k)
        seen = palette[k].rgbBlue == p[0] && palette[k].rgbGreen == p[1] && palette[k].rgbRed == p[2];
    }
    if (seen) continue;
    palette[n].rgbBlue = p[0];
    palette[n].rgbGreen = p[1];
    palette[n].rgbRed = p[2];
    ++n;
  }
  return n;
}

int CMedianCutQuantizer::MakePalette(RGBQUAD* palette) {
  if (!palette || m_boxes.empty()) return 0;
  // One box only when the frame has fewer colours than entries: list them.
  if (m_boxes.size() == 1) return ListDistinctColors(palette);
  int n = 0;
  for (const auto& box : m_boxes) {
    if (n >= 256) break;
    unsigned long long sum[3] = {0, 0, 0}, pixels = 0;
    for (DWORD i = 0; i < box.pieceCount; ++i) {
      const CColorPiece& piece = m_pieces[box.first + i];
      AddChannels(m_colors.data() + piece.first, piece.count, sum);
      pixels += piece.count;
    }
    const unsigned long long count = pixels > 0 ? pixels : 1;
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

// --- error diffusion: mapping pixels to the palette ---

namespace {

// Signed diffusion amounts for errors -255..255 (index e + 255) and the clamp
// of a channel value plus an amount (index v + kClampBias). An amount beyond
// 256 either way clamps like 256 does, so strengths far from 1 (or not a
// number, which spreads nothing) fit the same tables.
struct DiffusionTables {
  static constexpr int kClampBias = 256;
  int ahead[511], belowBehind[511], below[511], belowAhead[511];
  BYTE clamp[768];
  // Per error, the line below's amounts side by side: behind, below, ahead.
  alignas(16) int16_t belowRow[511][8];

  explicit DiffusionTables(float strength) {
    for (int e = 0; e < 256; ++e) {
      Set(ahead, e, e * strength * 0.4375f);
      Set(belowBehind, e, e * strength * 0.1875f);
      Set(below, e, e * strength * 0.3125f);
      Set(belowAhead, e, e * strength * 0.0625f);
    }
    for (int v = 0; v < 768; ++v) clamp[v] = Clamp(v - kClampBias);
    for (int e = 0; e < 511; ++e) {
      const int amounts[8] = {belowBehind[e], below[e], belowAhead[e]};
      for (int k = 0; k < 8; ++k) belowRow[e][k] = static_cast<int16_t>(amounts[k]);
    }
    fixedPoint = FixedPointOf(ahead, &aheadFactor) && FixedPointOf(belowBehind, &belowBehindFactor) &&
                 FixedPointOf(below, &belowFactor) && FixedPointOf(belowAhead, &belowAheadFactor);
  }

  // Whether every table is a fixed-point product: amount(e) = sign(e) *
  // (|e| * factor >> 16) for each error, as for strength 1 (7/16, 3/16,
  // 5/16, 1/16) and most others; then the amounts can be worked out in
  // vector lanes instead of looked up.
  bool fixedPoint = false;
  uint16_t aheadFactor = 0, belowBehindFactor = 0, belowFactor = 0, belowAheadFactor = 0;

 private:
  // The least factor that no error's amount falls short of; the table is a
  // fixed-point product if any factor is, and then this one is. Amounts are
  // odd in the error by construction, so the errors 0..255 decide.
  static bool FixedPointOf(const int* table, uint16_t* factor) {
    int least = 0;
    for (int e = 1; e < 256; ++e) {
      if (table[255 + e] < 0) return false;
      least = std::max(least, (table[255 + e] * 65536 + e - 1) / e);
    }
    if (least > 0xFFFF) return false;
    for (int e = 0; e < 256; ++e)
      if ((e * least) >> 16 != table[255 + e]) return false;
    *factor = static_cast<uint16_t>(least);
    return true;
  }

  static void Set(int* table, int e, float amount) {
    const int truncated = amount >= 256.0f ? 256 : amount <= -256.0f ? -256 : amount == amount ? static_cast<int>(amount) : 0;
    table[255 + e] = truncated;
    table[255 - e] = -truncated;
  }
};

#if defined(__SSE2__)
// A pixel's four bytes in the low four 16-bit lanes, and back.
__m128i LoadPixel(const BYTE* pixel) {
  int word;
  std::memcpy(&word, pixel, sizeof word);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), _mm_setzero_si128());
}

void StorePixel(BYTE* pixel, __m128i lanes) {
  const int word = _mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes));
  std::memcpy(pixel, &word, sizeof word);
}

// The line below's share of one pixel's error. `window` carries, in 16-bit
// lanes each clamped after every amount as it comes, the pixel behind the
// one mapped (low half, stored once this step adds to it) and the one
// below (high half); the one ahead is read when this step reaches it.
// `amounts` is [behind | below], `aheadAmount` below ahead in the low half.
// `top`: 255 in every lane.
template <int dir>
inline void SpreadBelow(__m128i& window, __m128i amounts, __m128i aheadAmount, BYTE* below, bool behindOnLine,
                        bool aheadOnLine, __m128i top) {
  const __m128i zero = _mm_setzero_si128();
  window = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(window, amounts), zero), top);
  if (behindOnLine) StorePixel(below - 4 * dir, window);
  if (aheadOnLine) {
    const __m128i ahead = _mm_add_epi16(LoadPixel(below + 4 * dir), aheadAmount);
    window = _mm_unpacklo_epi64(_mm_unpackhi_epi64(window, window), _mm_min_epi16(_mm_max_epi16(ahead, zero), top));
  } else {
    StorePixel(below, _mm_unpackhi_epi64(window, window));
  }
}
#endif

// One line of the serpentine walk: `dir` is +1 left to right, -1 right to left.
// The pixel being mapped is carried in registers: it is the pixel the last
// step pushed its error into, stored then and not read back.
template <int dir>
void DiffuseLine(const DiffusionTables& t, CNearestColorFinder& nearest, BYTE* line,
                 BYTE* next, LONG width, BYTE* indices) {
  LONG x = dir > 0 ? 0 : width - 1;
  int blue = line[4 * x], green = line[4 * x + 1], red = line[4 * x + 2];
#if defined(__SSE2__)
  // The line below's pixels that the error reaches (see SpreadBelow).
  const __m128i zero = _mm_setzero_si128();
  __m128i window = next ? _mm_slli_si128(LoadPixel(next + 4 * x), 8) : zero;
#endif
  for (LONG step = 0; step < width; ++step, x += dir) {
    BYTE* p = line + 4 * x;
    // The pixel after next is near its own colour still: its candidates
    // come in while this one is mapped.
    if (step + 2 < width) nearest.Prefetch(p[8 * dir], p[8 * dir + 1], p[8 * dir + 2]);
    int chosen[3];
    indices[x] = nearest.Search(nearest.Run(CNearestColorFinder::CellOf(blue, green, red)), blue, green, red, chosen);
    const int error[3] = {255 + blue - chosen[0], 255 + green - chosen[1], 255 + red - chosen[2]};
    const bool aheadOnLine = step + 1 < width, behindOnLine = step > 0;
    if (aheadOnLine) {
      BYTE* a = p + 4 * dir;
      blue = std::clamp(a[0] + t.ahead[error[0]], 0, 255);
      green = std::clamp(a[1] + t.ahead[error[1]], 0, 255);
      red = std::clamp(a[2] + t.ahead[error[2]], 0, 255);
      a[0] = static_cast<BYTE>(blue), a[1] = static_cast<BYTE>(green), a[2] = static_cast<BYTE>(red);
    }
    if (!next) continue;
    BYTE* below = next + 4 * x;
#if defined(__SSE2__)
    // The three channels' amounts for behind, below and ahead, laid out as
    // the pixels are: [behind | below] and [ahead | unused].
    const __m128i blueRow = _mm_load_si128(reinterpret_cast<const __m128i*>(t.belowRow[error[0]]));
    const __m128i greenRow = _mm_load_si128(reinterpret_cast<const __m128i*>(t.belowRow[error[1]]));
    const __m128i redRow = _mm_load_si128(reinterpret_cast<const __m128i*>(t.belowRow[error[2]]));
    const __m128i blueGreen = _mm_unpacklo_epi16(blueRow, greenRow), redNone = _mm_unpacklo_epi16(redRow, zero);
    SpreadBelow<dir>(window, _mm_unpacklo_epi32(blueGreen, redNone), _mm_unpackhi_epi32(blueGreen, redNone), below, behindOnLine,
                     aheadOnLine, _mm_set1_epi16(255));
#else
    const BYTE* clamp = t.clamp + DiffusionTables::kClampBias;
    for (int ch = 0; ch < 3; ++ch) {
      if (behindOnLine) below[ch - 4 * dir] = clamp[below[ch - 4 * dir] + t.belowBehind[error[ch]]];
      below[ch] = clamp[below[ch] + t.below[error[ch]]];
      if (aheadOnLine) below[ch + 4 * dir] = clamp[below[ch + 4 * dir] + t.belowAhead[error[ch]]];
    }
#endif
  }
}

#if defined(CALVETTA_MAPPING_SSE41)
// The highest form of the vector loop the processor runs well: 0 none, 1
// SSE4.1, 2 SSE4.1 with BMI2's bit gathering where it takes one step (on
// AMD processors before family 19h it is microcoded, many times slower
// than the shifts it replaces), 3 that form in AVX2's encoding.
int VectorLoopForm() {
  static const int form = [] {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("sse4.1")) return 0;
    const bool gathersFast = __builtin_cpu_is("intel") || __builtin_cpu_is("amdfam19h");
    if (!__builtin_cpu_supports("bmi2") || !gathersFast) return 1;
    return __builtin_cpu_supports("avx2") ? 3 : 2;
  }();
  return form;
}

// A value the compiler cannot see through, so that it keeps it rather than
// make it again where it is used.
inline __m128i Held(__m128i v) {
  asm("" : "+x"(v));
  return v;
}

// DiffuseLine for fixed-point tables on SSE4.1, with the same bytes: the
// pixel being mapped stays in a vector register as bytes, the nearest entry
// comes back as lanes, and the amounts are products of the error's
// magnitude with the error's sign put back, [ahead | below ahead] and
// [behind | below] (zero for the fourth byte, which stays as it was); only
// a cell's word is read through a general register. `gathered`: cells are
// found with BMI2 (see CellOfWordGathered).
template <int dir, bool gathered>
CALVETTA_SSE41 inline __attribute__((always_inline)) void DiffuseLineSse41(const DiffusionTables& t, CNearestColorFinder& nearest,
                                                                          BYTE* line, BYTE* next, LONG width, BYTE* indices) {
  LONG x = dir > 0 ? 0 : width - 1;
  const __m128i zero = _mm_setzero_si128();
  const short ahead = static_cast<short>(t.aheadFactor), belowAhead = static_cast<short>(t.belowAheadFactor);
  const short behind = static_cast<short>(t.belowBehindFactor), below = static_cast<short>(t.belowFactor);
  const __m128i aheadFactors = _mm_setr_epi16(ahead, ahead, ahead, 0, belowAhead, belowAhead, belowAhead, 0);
  const __m128i belowFactors = _mm_setr_epi16(behind, behind, behind, 0, below, below, below, 0);
  const DWORD* cells = nearest.CellWords();
  const BYTE* groups = nearest.GroupBytes();
  const DWORD* lentRuns = nearest.LentRuns();
  const BYTE* lentGroups = nearest.LentGroups();
  int first;
  std::memcpy(&first, line + 4 * x, sizeof first);
  __m128i pixel = _mm_cvtsi32_si128(first);
  __m128i window = next ? _mm_slli_si128(LoadPixel(next + 4 * x), 8) : zero;
  // Constants the compiler would otherwise make afresh in every step, three
  // instructions each, in the AVX2 form.
  const __m128i spreadBlue = zero, spreadGreen = Held(_mm_set1_epi8(1)), spreadRed = Held(_mm_set1_epi8(2)), top = Held(_mm_set1_epi16(255));
  for (LONG step = 0; step < width; ++step, x += dir) {
    BYTE* p = line + 4 * x;
    auto parentOf = [](DWORD bgr) {
      return gathered ? CNearestColorFinder::ParentOfWordGathered(bgr) : CNearestColorFinder::ParentOfWord(bgr);
    };
    if (step + 2 < width) {
      DWORD after;
      std::memcpy(&after, p + 8 * dir, sizeof after);
      __builtin_prefetch(lentGroups + CNearestColorFinder::kGroupBytes * parentOf(after));
    }
    const DWORD bgr = static_cast<DWORD>(_mm_cvtsi128_si32(pixel));
    const DWORD parent = parentOf(bgr);
    DWORD run = lentRuns[parent];
    const BYTE* group = lentGroups + CNearestColorFinder::kGroupBytes * parent;
    if (run & CNearestColorFinder::kGroupsMask) {
      const DWORD cell = gathered ? CNearestColorFinder::CellOfWordGathered(bgr) : CNearestColorFinder::CellOfWord(bgr);
      run = cells[cell];
      if (run & CNearestColorFinder::kGroupsMask) {
        run = nearest.Run(cell);
        groups = nearest.GroupBytes();
      }
      group = groups + (run & ~CNearestColorFinder::kGroupsMask);
    }
    __m128i chosen;
    const DWORD more = run & CNearestColorFinder::kGroupsMask;
    const __m128i blues = _mm_shuffle_epi8(pixel, spreadBlue), greens = _mm_shuffle_epi8(pixel, spreadGreen),
                  reds = _mm_shuffle_epi8(pixel, spreadRed);
    if (!(more == 0 ? CNearestColorFinder::NearestInGroup(group, blues, greens, reds, &chosen)
                    : CNearestColorFinder::NearestInGroups(group, more + 1, blues, greens, reds, &chosen))) {
      int colour[3];
      const BYTE entry = nearest.Search(run, bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF, colour);
      chosen = _mm_setr_epi16(static_cast<short>(colour[0]), static_cast<short>(colour[1]), static_cast<short>(colour[2]), entry, 0, 0, 0, 0);
    }
    indices[x] = static_cast<BYTE>(_mm_extract_epi16(chosen, 3));
    const __m128i error = _mm_sub_epi16(_mm_cvtepu8_epi16(pixel), chosen);
    const __m128i errors = _mm_unpacklo_epi64(error, error), magnitudes = _mm_abs_epi16(errors);
    const __m128i aheadAmounts = _mm_sign_epi16(_mm_mulhi_epu16(magnitudes, aheadFactors), errors);
    const bool aheadOnLine = step + 1 < width, behindOnLine = step > 0;
    if (aheadOnLine) {
      BYTE* a = p + 4 * dir;
      pixel = _mm_packus_epi16(_mm_add_epi16(LoadPixel(a), aheadAmounts), zero);
      const int word = _mm_cvtsi128_si32(pixel);
      std::memcpy(a, &word, sizeof word);
    }
    if (!next) continue;
    BYTE* b = next + 4 * x;
    const __m128i belowAmounts = _mm_sign_epi16(_mm_mulhi_epu16(magnitudes, belowFactors), errors);
    SpreadBelow<dir>(window, belowAmounts, _mm_unpackhi_epi64(aheadAmounts, aheadAmounts), b, behindOnLine, aheadOnLine, top);
  }
}

// DiffuseLineSse41 made on its own, and again in AVX2's encoding: its
// three-operand instructions spare the register copies of about a sixth of
// the loop's instructions, which bound its speed as much as its chain does.
template <int dir, bool gathered>
CALVETTA_SSE41 void DiffuseLineSse41Made(const DiffusionTables& t, CNearestColorFinder& nearest, BYTE* line, BYTE* next, LONG width,
                                         BYTE* indices) {
  DiffuseLineSse41<dir, gathered>(t, nearest, line, next, width, indices);
}

template <int dir>
__attribute__((target("avx2,bmi2"))) void DiffuseLineAvx2(const DiffusionTables& t, CNearestColorFinder& nearest, BYTE* line, BYTE* next,
                                                         LONG width, BYTE* indices) {
  DiffuseLineSse41<dir, true>(t, nearest, line, next, width, indices);
}
#endif

}  // namespace

void SetMappingFormLimit(int highest) { g_mappingFormLimit.store(std::clamp(highest, 0, 3), std::memory_order_relaxed); }

void CMedianCutQuantizer::MapPixels(CPicImage& image, BYTE* pixels, DWORD width, DWORD height, float strength) {
  image.ResetNearestIndexCache(kMappingCacheBuckets);
  const RGBQUAD* palette = image.GetPalette();
  if (!palette) return;
  const DiffusionTables tables(strength);
  if (!m_nearest) m_nearest = std::make_unique<CNearestColorFinder>();
  CNearestColorFinder& nearest = *m_nearest;
#if defined(CALVETTA_MAPPING_SSE41)
  // The cells' lists are gathered by shuffles in every vector form, the
  // loop takes one where the amounts are fixed-point products.
  const int highest = std::min(g_mappingFormLimit.load(std::memory_order_relaxed), VectorLoopForm());
  const int form = tables.fixedPoint ? highest : 0;
  nearest.Reset(palette, image.GetColorCount(), highest > 0, highest >= 3);
#else
  nearest.Reset(palette, image.GetColorCount(), false);
#endif
  const size_t stride = static_cast<size_t>(width) * 4;
  BYTE* bits = image.GetBits();
  const DWORD rowBytes = image.GetRowBytes();
  const WORD bpp = image.GetBpp();
  std::vector<BYTE> indices(width);
  for (DWORD k = 0; k < height; ++k) {
    const DWORD sourceLine = height - 1 - k;  // bottom line of the picture first
    BYTE* line = pixels + stride * sourceLine;
    BYTE* next = sourceLine > 0 ? line - stride : nullptr;
    // An 8-bit row takes the indices directly.
    BYTE* row = bpp == 8 ? bits + static_cast<size_t>(k) * rowBytes : indices.data();
    const LONG columns = static_cast<LONG>(width);
#if defined(CALVETTA_MAPPING_SSE41)
    if (form == 3) {
      if ((k & 1) == 0)
        DiffuseLineAvx2<1>(tables, nearest, line, next, columns, row);
      else
        DiffuseLineAvx2<-1>(tables, nearest, line, next, columns, row);
    } else if (form == 2) {
      if ((k & 1) == 0)
        DiffuseLineSse41Made<1, true>(tables, nearest, line, next, columns, row);
      else
        DiffuseLineSse41Made<-1, true>(tables, nearest, line, next, columns, row);
    } else if (form == 1) {
      if ((k & 1) == 0)
        DiffuseLineSse41Made<1, false>(tables, nearest, line, next, columns, row);
      else
        DiffuseLineSse41Made<-1, false>(tables, nearest, line, next, columns, row);
    } else
#endif
    if ((k & 1) == 0)
      DiffuseLine<1>(tables, nearest, line, next, columns, row);
    else
      DiffuseLine<-1>(tables, nearest, line, next, columns, row);
    if (bpp != 8)
      for (DWORD x = 0; x < width; ++x) image.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(k), indices[x]);
  }
}
