// Animated GIF output: frames are quantised as they arrive and the whole file
// is encoded at Close.
#include "imaging/anim_gif_writer.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_file.h"

CAnimGifWriter::CAnimGifWriter(DWORD delay, int colors)
    : m_delay(delay), m_colors(colors), m_frames(new CPicImage*[kListStep]()) {}

CAnimGifWriter::~CAnimGifWriter() {
  Close();
  for (int i = 0; i < m_frameCount; ++i) delete m_frames[i];
  delete[] m_frames;
}

void CAnimGifWriter::SetTransparentColor(DWORD argb) {
  m_transColor[0] = static_cast<BYTE>(argb);
  m_transColor[1] = static_cast<BYTE>(argb >> 8);
  m_transColor[2] = static_cast<BYTE>(argb >> 16);
}

bool CAnimGifWriter::Open(const WCHAR* path, DWORD delay, SIZE size) {
  if (m_stream || size.cx <= 0 || size.cy <= 0 || size.cx > 0xFFFF || size.cy > 0xFFFF) return false;
  m_width = static_cast<DWORD>(size.cx);
  m_height = static_cast<DWORD>(size.cy);
  m_stream = PicOpenFile(path, "wb");
  if (!m_stream) return false;
  m_delay = delay;
  return true;
}

bool CAnimGifWriter::AddFrame(BYTE* pixels) {
  if (!pixels || m_width == 0 || m_height == 0) return false;
  RGBQUAD palette[256] = {};
  CMedianCutQuantizer quantizer(m_colors);
  quantizer.AddPixels(pixels, m_width, m_height);
  const int colors = quantizer.MakePalette(palette);
  LONG transIndex = -1;
  if (m_transparent) {
    int best = 0x7FFFFFFF;
    for (int i = 0; i < colors; ++i) {
      int d = std::abs(palette[i].rgbBlue - m_transColor[0]) + std::abs(palette[i].rgbGreen - m_transColor[1]) +
              std::abs(palette[i].rgbRed - m_transColor[2]);
      if (d < best) {
        best = d;
        transIndex = i;
      }
    }
  }
  std::unique_ptr<CPicImage> image(
      quantizer.CreateIndexedImage(pixels, m_width, m_height, 8, colors, palette, 1.0f, transIndex));
  if (!image->IsValid()) return false;
  image->SetFrameOffset(0, 0);
  image->SetFrameDelay(m_delay);
  if (m_frameCount + 1 == m_capacity) {
    auto** grown = new CPicImage*[m_capacity + kListStep]();
    std::memcpy(grown, m_frames, sizeof(CPicImage*) * m_capacity);
    delete[] m_frames;
    m_frames = grown;
    m_capacity += kListStep;
  }
  m_frames[m_frameCount++] = image.release();
  return true;
}

void CAnimGifWriter::Close() {
  if (!m_stream) return;
  m_codec.SetLoops(m_loops);
  m_codec.SetDisposalMethod(1);
  // Without frames the encoder refuses with its text and writes nothing.
  m_codec.EncodeMultiPage(m_stream, m_frames, m_frameCount, true);
  fclose(m_stream);
  m_stream = nullptr;
  for (int i = 0; i < m_frameCount; ++i) {
    delete m_frames[i];
    m_frames[i] = nullptr;
  }
  m_frameCount = 0;
}
