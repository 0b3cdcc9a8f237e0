// Box-filter resampling, one pass across each row as it arrives and one down
// the columns as soon as a destination row has all its source rows.
#include "imaging/box_reducer.h"

#include <algorithm>
#include <cmath>

namespace {

std::vector<CBoxReducer::Tap> MakeTaps(int sourceLength, int destinationLength) {
  std::vector<CBoxReducer::Tap> taps(static_cast<size_t>(destinationLength));
  const double step = static_cast<double>(sourceLength) / destinationLength;
  for (int d = 0; d < destinationLength; ++d) {
    const double start = d * step;
    const double end = std::min<double>(sourceLength, (d + 1) * step);
    CBoxReducer::Tap& tap = taps[static_cast<size_t>(d)];
    tap.first = static_cast<int>(std::floor(start));
    for (int s = tap.first; s < sourceLength && s < end; ++s) {
      const double covered = std::min<double>(s + 1, end) - std::max<double>(s, start);
      tap.weights.push_back(static_cast<float>(covered / (end - start)));
    }
  }
  return taps;
}

// lround for the channel sums, which are never negative: the library call
// took more time than the filter itself. The fraction of a float below 2^23
// is exact, so this rounds half up exactly as lround does.
long RoundSum(float sum) {
  if (!(sum > 0.0f)) return 0;
  if (sum >= 255.0f) return 255;
  const long whole = static_cast<long>(sum);
  // Without a branch: on noise the halves come unpredictably.
  return whole + static_cast<long>(sum - static_cast<float>(whole) >= 0.5f);
}

bool TakesSinglePixels(const std::vector<CBoxReducer::Tap>& taps) {
  return std::all_of(taps.begin(), taps.end(),
                     [](const CBoxReducer::Tap& tap) { return tap.weights.size() == 1 && tap.weights[0] == 1.0f; });
}

}  // namespace

CBoxReducer::CBoxReducer(int sourceWidth, int sourceHeight, DWORD* destination, int destinationWidth,
                         int destinationHeight, bool bottomUp)
    : m_bottomUp(bottomUp), m_sourceWidth(sourceWidth), m_sourceHeight(sourceHeight), m_destination(destination),
      m_width(destinationWidth), m_height(destinationHeight) {
  if (sourceWidth < 1 || sourceHeight < 1 || destinationWidth < 1 || destinationHeight < 1 || !destination) return;
  m_valid = true;
  m_across = MakeTaps(sourceWidth, destinationWidth);
  m_down = MakeTaps(sourceHeight, destinationHeight);
  m_rowsLeft = sourceHeight;
  m_nextSource = bottomUp ? sourceHeight - 1 : 0;
  m_nextDestination = bottomUp ? destinationHeight - 1 : 0;
  m_sum.resize(static_cast<size_t>(destinationWidth) * 4);
}

std::vector<float> CBoxReducer::TakeLine() {
  if (m_spare.empty()) return std::vector<float>(static_cast<size_t>(m_width) * 4);
  std::vector<float> line = std::move(m_spare.back());
  m_spare.pop_back();
  std::fill(line.begin(), line.end(), 0.0f);
  return line;
}

void CBoxReducer::Reduce(const DWORD* row, std::vector<float>& line) const {
  float* out = line.data();
  for (int x = 0; x < m_width; ++x, out += 4) {
    const Tap& tap = m_across[static_cast<size_t>(x)];
    const DWORD* in = row + tap.first;
    for (size_t k = 0; k < tap.weights.size(); ++k) {
      const DWORD p = in[k];
      const float w = tap.weights[k];
      for (int c = 0; c < 4; ++c) out[c] += w * static_cast<float>((p >> (8 * c)) & 0xFF);
    }
  }
}

// Sums the destination row's source lines in their top-down order, whichever
// order they came in, so both orders give the same pixels.
void CBoxReducer::FinishRow(int row) {
  const Tap& tap = m_down[static_cast<size_t>(row)];
  std::fill(m_sum.begin(), m_sum.end(), 0.0f);
  for (size_t k = 0; k < tap.weights.size(); ++k) {
    const float* line = m_lines[tap.first + static_cast<int>(k)].data();
    const float w = tap.weights[k];
    for (size_t i = 0; i < m_sum.size(); ++i) m_sum[i] += w * line[i];
  }
  DWORD* out = m_destination + static_cast<size_t>(row) * m_width;
  for (int x = 0; x < m_width; ++x) {
    DWORD pixel = 0;
    for (int c = 0; c < 4; ++c)
      pixel |= static_cast<DWORD>(RoundSum(m_sum[4 * static_cast<size_t>(x) + c])) << (8 * c);
    out[x] = pixel;
  }
}

bool CBoxReducer::CopyWhole(const DWORD* source) {
  if (!m_valid || m_rowsLeft != m_sourceHeight || !TakesSinglePixels(m_across) || !TakesSinglePixels(m_down))
    return false;
  for (int y = 0; y < m_height; ++y) {
    const DWORD* line = source + static_cast<size_t>(m_down[static_cast<size_t>(y)].first) * m_sourceWidth;
    DWORD* out = m_destination + static_cast<size_t>(y) * m_width;
    for (int x = 0; x < m_width; ++x) out[x] = line[m_across[static_cast<size_t>(x)].first];
  }
  m_rowsLeft = 0;
  return true;
}

void CBoxReducer::TakeRow(const DWORD* row) {
  if (!m_valid || m_rowsLeft == 0) return;
  const int y = m_nextSource;
  std::vector<float> line = TakeLine();
  Reduce(row, line);
  m_lines[y] = std::move(line);
  --m_rowsLeft;
  m_nextSource += m_bottomUp ? -1 : 1;
  // Every destination row whose source rows are all in; then the lines no
  // row still to come needs go back to the spares.
  if (m_bottomUp) {
    while (m_nextDestination >= 0 && m_down[static_cast<size_t>(m_nextDestination)].first >= y)
      FinishRow(m_nextDestination--);
    const int keepUpTo = m_nextDestination >= 0 ? m_down[static_cast<size_t>(m_nextDestination)].Last() : -1;
    while (!m_lines.empty() && std::prev(m_lines.end())->first > keepUpTo) {
      m_spare.push_back(std::move(std::prev(m_lines.end())->second));
      m_lines.erase(std::prev(m_lines.end()));
    }
  } else {
    while (m_nextDestination < m_height && m_down[static_cast<size_t>(m_nextDestination)].Last() <= y)
      FinishRow(m_nextDestination++);
    const int keepFrom = m_nextDestination < m_height ? m_down[static_cast<size_t>(m_nextDestination)].first : m_sourceHeight;
    while (!m_lines.empty() && m_lines.begin()->first < keepFrom) {
      m_spare.push_back(std::move(m_lines.begin()->second));
      m_lines.erase(m_lines.begin());
    }
  }
}
