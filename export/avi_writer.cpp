// The AVI writer: file, video stream with the user's compressor, caption
// stream; one keyframe sample per stream and frame.
#include "export/avi_writer.h"

#include <string>

#include "export/ansi_text.h"

namespace {

constexpr DWORD kLowestVfwVersion = 0x010A;  // 1.10, in the high word
constexpr DWORD kCaptionBufferSize = 260;
constexpr LONG kCaptionHeight = 16;
constexpr ULONGLONG kMaxFrameBytes = 0x7FFFFFFF;  // a sample's size is a LONG

ULONGLONG FrameBytes(int width, int height) {
  return static_cast<ULONGLONG>(width) * static_cast<ULONGLONG>(height) * 3;
}

}  // namespace

int CAviWriter::Open(LPCTSTR path, int fps, SIZE size, CWnd* owner) {
  m_failed = false;
  m_closeFailed = false;
  if (m_file || !path || fps <= 0 || size.cx <= 0 || size.cy <= 0 || size.cx % 4 != 0 ||
      FrameBytes(size.cx, size.cy) > kMaxFrameBytes)
    return 0;
  m_width = size.cx;
  m_height = size.cy;
  m_frameIndex = 0;
  if (HIWORD(VideoForWindowsVersion()) < kLowestVfwVersion) return 0;
  AVIFileInit();
  m_libraryOpen = true;
  // The file is replaced without asking: the output dialog already chose it.
  if (AVIFileOpenW(&m_file, path, OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK ||
      !CreateVideoStreams(fps, owner ? owner->GetSafeHwnd() : nullptr) || !CreateCaptionStream(fps)) {
    Close();
    return 0;
  }
  return 1;
}

bool CAviWriter::CreateVideoStreams(int fps, HWND owner) {
  AVISTREAMINFOW info{};
  info.fccType = streamtypeVIDEO;
  info.dwScale = 1;
  info.dwRate = static_cast<DWORD>(fps);
  info.dwSuggestedBufferSize = static_cast<DWORD>(FrameBytes(m_width, m_height));
  info.rcFrame = {0, 0, m_width, m_height};
  if (AVIFileCreateStreamW(m_file, &m_videoStream, &info) != AVIERR_OK) return false;

  AVICOMPRESSOPTIONS options{};
  LPAVICOMPRESSOPTIONS optionList[1] = {&options};
  if (!AVISaveOptions(owner, ICMF_CHOOSE_KEYFRAME, 1, &m_videoStream, optionList)) return false;
  HRESULT made = AVIMakeCompressedStream(&m_compressedStream, m_videoStream, &options, nullptr);
  // The choice may have allocated a codec format and state; they are copied
  // into the compressed stream, so they go back at once.
  AVISaveOptionsFree(1, optionList);
  if (made != AVIERR_OK) return false;

  BITMAPINFOHEADER format{};
  format.biSize = sizeof(BITMAPINFOHEADER);
  format.biWidth = m_width;
  format.biHeight = m_height;  // positive: rows bottom-up
  format.biPlanes = 1;
  format.biBitCount = 24;
  format.biCompression = BI_RGB;
  format.biSizeImage = static_cast<DWORD>(FrameBytes(m_width, m_height));
  return AVIStreamSetFormat(m_compressedStream, 0, &format, sizeof format) == AVIERR_OK;
}

bool CAviWriter::CreateCaptionStream(int fps) {
  AVISTREAMINFOW info{};
  info.fccType = streamtypeTEXT;
  info.fccHandler = mmioFOURCC('D', 'R', 'A', 'W');
  info.dwScale = 1;
  // One caption per video frame: at any other rate the captions drift away
  // from their frames.
  info.dwRate = static_cast<DWORD>(fps);
  info.dwSuggestedBufferSize = kCaptionBufferSize;
  info.rcFrame = {0, m_height, m_width, m_height + kCaptionHeight};
  if (AVIFileCreateStreamW(m_file, &m_textStream, &info) != AVIERR_OK) return false;
  DWORD textFormat = sizeof(DWORD);
  return AVIStreamSetFormat(m_textStream, 0, &textFormat, sizeof textFormat) == AVIERR_OK;
}

int CAviWriter::WriteFrame(const BYTE* pixels) {
  if (!m_compressedStream || !m_textStream || !pixels) return 0;
  const LONG frameBytes = static_cast<LONG>(FrameBytes(m_width, m_height));
  if (AVIStreamWrite(m_compressedStream, m_frameIndex, 1, const_cast<BYTE*>(pixels), frameBytes, AVIIF_KEYFRAME,
                     nullptr, nullptr) != AVIERR_OK) {
    m_failed = true;
    Close();
    return 0;
  }
  CString caption;
  caption.Format(_T("This is frame #%d"), m_frameIndex);
  std::string text = ToAnsiText(caption);
  if (AVIStreamWrite(m_textStream, m_frameIndex, 1, text.data(), static_cast<LONG>(text.size() + 1), AVIIF_KEYFRAME,
                     nullptr, nullptr) != AVIERR_OK) {
    m_failed = true;
    Close();
    return 0;
  }
  ++m_frameIndex;
  return 1;
}

void CAviWriter::Close() {
  // The file's last release writes its index and headers and tells a
  // failure only through the last error.
  const bool hadFile = m_file != nullptr;
  ::SetLastError(ERROR_SUCCESS);
  for (PAVISTREAM* stream : {&m_videoStream, &m_compressedStream, &m_textStream}) {
    if (*stream) AVIStreamRelease(*stream);
    *stream = nullptr;
  }
  if (m_file) AVIFileRelease(m_file);
  m_file = nullptr;
  if (hadFile && ::GetLastError() == ERROR_WRITE_FAULT) m_failed = m_closeFailed = true;
  if (m_libraryOpen) AVIFileExit();
  m_libraryOpen = false;
}
