// CSwfMovieWriter: the SWF movie of an export, one JPEG bitmap per frame at
// the project's rate and exact output size, through the SWF library calls.
#pragma once

#include <vector>

#include "compat/afx.h"
#include "compat/swf.h"

struct CPixelBuffer;

class CSwfMovieWriter {
 public:
  // Every frame defines two characters (bitmap and shape) whose ids are
  // 16-bit, so a movie holds at most this many frames.
  static constexpr int kMaxFrames = 32767;

  CSwfMovieWriter() = default;
  ~CSwfMovieWriter() { Discard(); }
  CSwfMovieWriter(const CSwfMovieWriter&) = delete;
  CSwfMovieWriter& operator=(const CSwfMovieWriter&) = delete;

  // FALSE when the movie could not hold `totalFrames` frames.
  BOOL Open(SIZE size, int fps, int totalFrames);
  // The frame's 32-bit top-down pixels (the movie's size) as a JPEG frame of
  // the given quality 1..100.
  BOOL AddFrame(const CPixelBuffer& frame, int quality);
  // Writes the movie holding the frames made so far, then frees the movie
  // and its bitmaps (whatever the result).
  BOOL Save(LPCTSTR path);

  int GetFrameCount() const { return m_frames; }

 private:
  void Discard();

  SWFMovie m_movie = nullptr;
  SIZE m_size = {0, 0};
  int m_capacity = 0;
  int m_frames = 0;  // frames shown in the movie
  std::vector<SWFJpegBitmap> m_bitmaps;
};
