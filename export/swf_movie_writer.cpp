// The SWF movie of an export: frames JPEG-encoded in memory by the image
// codec library and handed to the SWF library, which owns them from then on.
#include "export/swf_movie_writer.h"

#include <cstdlib>
#include <memory>

#include "export/ansi_text.h"
#include "imaging/pic_file.h"
#include "imaging/pic_image.h"
#include "model/raster/pixel_buffer.h"

namespace {

// The frame as a JPEG stream in a malloc'd block the caller owns; null when
// it could not be encoded.
unsigned char* EncodeJpegFrame(const CPixelBuffer& frame, int quality, int* size) {
  *size = 0;
  auto image = std::make_unique<CPicImage>();
  if (!image->CreateFromBGRA(static_cast<DWORD>(frame.Width()), static_cast<DWORD>(frame.Height()),
                             reinterpret_cast<const BYTE*>(frame.bits)))
    return nullptr;
  image->SetJpegQuality(static_cast<BYTE>(quality < 1 ? 1 : quality > 100 ? 100 : quality));
  CPicMemFile memory;
  if (!memory.Open() || !image->Encode(&memory, PIC_FORMAT_JPG) || memory.Size() <= 0) return nullptr;
  *size = static_cast<int>(memory.Size());
  return memory.GetBuffer(true);  // the memory file no longer frees it
}

}  // namespace

BOOL CSwfMovieWriter::Open(SIZE size, int fps, int totalFrames) {
  if (m_movie || size.cx <= 0 || size.cy <= 0 || fps <= 0 || totalFrames < 0 || totalFrames > kMaxFrames)
    return FALSE;
  Ming_init();
  m_movie = newSWFMovie();
  if (!m_movie) return FALSE;
  m_size = size;
  m_capacity = totalFrames;
  SWFMovie_setRate(m_movie, static_cast<float>(fps));
  SWFMovie_setDimension(m_movie, static_cast<float>(size.cx), static_cast<float>(size.cy));
  SWFMovie_setNumberOfFrames(m_movie, totalFrames);
  m_bitmaps.reserve(static_cast<size_t>(totalFrames));
  return TRUE;
}

BOOL CSwfMovieWriter::AddFrame(const CPixelBuffer& frame, int quality) {
  if (!m_movie || !frame.bits || frame.Width() != m_size.cx || frame.Height() != m_size.cy ||
      GetFrameCount() >= m_capacity)
    return FALSE;
  int size = 0;
  unsigned char* jpeg = EncodeJpegFrame(frame, quality, &size);
  if (!jpeg) return FALSE;
  // The input takes the JPEG bytes, the bitmap the input.
  SWFJpegBitmap bitmap = newSWFJpegBitmap_fromInput(newSWFInput_allocedBuffer(jpeg, size));
  if (!bitmap) return FALSE;
  m_bitmaps.push_back(bitmap);
  if (!SWFMovie_add(m_movie, bitmap)) return FALSE;
  SWFMovie_nextFrame(m_movie);
  ++m_frames;
  return TRUE;
}

BOOL CSwfMovieWriter::Save(LPCTSTR path) {
  if (!m_movie || !path) {
    Discard();
    return FALSE;
  }
  // A stopped export holds fewer frames than it announced; the header must
  // not promise the missing ones.
  SWFMovie_setNumberOfFrames(m_movie, m_frames);
  std::string ansiPath = ToAnsiText(path);
  BOOL saved = SWFMovie_save(m_movie, ansiPath.c_str(), -1) >= 0;
  Discard();
  return saved;
}

void CSwfMovieWriter::Discard() {
  if (m_movie) destroySWFMovie(m_movie);
  m_movie = nullptr;
  // Each bitmap frees its input and the input its JPEG bytes.
  for (SWFJpegBitmap bitmap : m_bitmaps) destroySWFJpegBitmap(bitmap);
  m_bitmaps.clear();
  m_capacity = 0;
  m_frames = 0;
}
