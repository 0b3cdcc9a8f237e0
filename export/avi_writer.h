// CAviWriter: the exported animation as an AVI file, one compressed video
// stream of 24-bit bottom-up frames and one caption stream, through the
// Video for Windows calls.
#pragma once

#include "compat/afx.h"
#include "compat/vfw.h"

class CAviWriter {
 public:
  CAviWriter() = default;
  ~CAviWriter() { Close(); }
  CAviWriter(const CAviWriter&) = delete;
  CAviWriter& operator=(const CAviWriter&) = delete;

  // 1 on success, 0 on failure (then nothing stays open), a cancelled
  // compressor choice included. The width must be
  // a multiple of 4, so rows of the frames need no padding.
  int Open(LPCTSTR path, int fps, SIZE size, CWnd* owner);
  // One frame of width x height x 3 bytes (blue, green, red, rows bottom-up)
  // and its caption. A failure closes the writer.
  int WriteFrame(const BYTE* pixels);
  void Close();

  // A frame or the file's end could not be written.
  bool HasFailed() const { return m_failed; }
  // The last Close wrote the file's index and headers: the file is whole,
  // with the frames written before a failed one.
  bool IsClosedWhole() const { return !m_closeFailed; }
  int GetFrameCount() const { return m_frameIndex; }

 private:
  bool CreateVideoStreams(int fps, HWND owner);
  bool CreateCaptionStream(int fps);

  int m_frameIndex = 0;
  int m_width = 0;
  int m_height = 0;
  PAVISTREAM m_videoStream = nullptr;
  PAVISTREAM m_compressedStream = nullptr;
  PAVISTREAM m_textStream = nullptr;
  PAVIFILE m_file = nullptr;
  bool m_libraryOpen = false;
  bool m_failed = false;
  bool m_closeFailed = false;
};
