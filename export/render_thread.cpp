// The export's worker thread: the writer dispatch by output type, the frame
// loop all writers share, progress to the owner and the end of an export.
#include "export/render_thread.h"

#include <new>

#include "export/avi_writer.h"
#include "export/export_frame_source.h"
#include "export/render_grab_source.h"
#include "export/swf_html_page.h"
#include "export/swf_movie_writer.h"
#include "imaging/anim_gif_writer.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/raster/pixel_buffer.h"
#include "platform/replacing_file.h"
#include "platform/shown_path.h"
#include "res/resource.h"

IMPLEMENT_DYNCREATE(CRenerThread, CWinThread)

namespace {

constexpr WCHAR kCreateAviErrorText[] = u"Create AVI File Error!";
constexpr WCHAR kCreateGifErrorText[] = u"Create GIF File Error!";
constexpr WCHAR kCreateSwfErrorText[] = u"Create SWF File Error!";
constexpr WCHAR kCreateBmpErrorText[] = u"Create BMP File Error!";
constexpr WCHAR kCreateTgaErrorText[] = u"Create TGA File Error!";
constexpr WCHAR kOutOfMemoryText[] = u"Out of memory.";
constexpr WCHAR kUnsupportedTypeText[] = u"Animations cannot be exported to files of this type.";
constexpr WCHAR kTooManySwfFramesText[] = u"A Flash movie holds at most 32767 frames; shorten the animation.";
constexpr int kMinFps = 1;
constexpr int kMaxFps = 100;
constexpr int kHundredthsPerSecond = 100;
constexpr int kExtensionLength = 4;  // ".bmp", ".tga"

// One frame buffer for a whole export, cleared once: the grab fills the
// output's columns, the columns of the rounded width beyond stay black.
class CExportBuffer {
 public:
  explicit CExportBuffer(SIZE size) : m_buffer(RECT{0, 0, size.cx, size.cy}) { m_buffer.Fill(0); }
  ~CExportBuffer() { m_buffer.Free(); }
  CExportBuffer(const CExportBuffer&) = delete;
  CExportBuffer& operator=(const CExportBuffer&) = delete;
  CPixelBuffer& Get() { return m_buffer; }
  bool IsValid() const { return m_buffer.bits != nullptr; }

 private:
  CPixelBuffer m_buffer;
};

SIZE OutputSize() {
  SIZE size{0, 0};
  return GetMorphProject()->GetOutputSize(size);
}

}  // namespace

CRenerThread::CRenerThread() { m_bAutoDelete = FALSE; }

CRenerThread::~CRenerThread() = default;

BOOL CRenerThread::WaitForEnd() {
  if (!m_hThread) return TRUE;
  for (;;) {
    DWORD result = ::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return TRUE;
    if (result != WAIT_OBJECT_0 + 1) return FALSE;
    // Woken by a sent message: the peek delivers it. Posted messages stay
    // queued for the owner's own loop.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
}

// --- dispatch ---

BOOL CRenerThread::InitInstance() {
  // The owner sets its window before it starts the thread and stops the
  // export before it goes away, so the handle is taken once here.
  m_owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
  m_totalFrames = GetMorphProject()->GetTotalFrames();
  m_lastFramePending = false;
  if (!m_source) m_source = GetRenderFrameGrabs();
  try {
    switch (GetImageFileType(m_outputPath)) {
      case IMAGE_FILE_AVI: return RenderToAvi();
      case IMAGE_FILE_GIF: return RenderToGif();
      case IMAGE_FILE_TGA:
      case IMAGE_FILE_BMP: return RenderToStills();
      case IMAGE_FILE_SWF: return RenderToSwf();
      default: return RenderUnsupported();
    }
  } catch (const std::bad_alloc&) {
    // Frame buffers the memory cannot hold end the export as a failure;
    // an exception leaving the thread would end the program.
    ShowError(kOutOfMemoryText, 0);
    FinishExport(true);
    return TRUE;
  }
}

int CRenerThread::ExitInstance() { return CWinThread::ExitInstance(); }

BOOL CRenerThread::RenderUnsupported() {
  // The owner offers every picture type, but only these writers exist; an
  // export that silently wrote nothing would look like a success.
  ShowError(kUnsupportedTypeText, IDS_NO_WRITER_FOR_TYPE);
  FinishExport(true);
  return TRUE;
}

// --- the frame loop ---

bool CRenerThread::RunFrameLoop(CPixelBuffer& buffer, bool dib24, CFrameStep& step) {
  CMorphProject* project = GetMorphProject();
  int n = 0;
  for (int p = 0; p < project->GetPairCount(); ++p) {
    CMorphPair* pair = project->PairAt(p);
    for (int f = 0; f < pair->GetFrameCount(); ++f) {
      if (IsStopRequested()) return true;
      pair->SetCurrentFrame(f);
      if (dib24)
        m_source->GrabDib24(pair, &buffer);
      else
        m_source->GrabPixels(pair, &buffer);
      if (!step.Write(buffer, n)) return false;
      if (IsStopRequested()) return true;
      if (n == m_totalFrames - 1) {
        // The owner takes the last number for the end of the export; it is
        // sent once the writer has closed its file.
        m_lastFramePending = true;
        if (const CString* name = step.FileName()) m_lastFileName = *name;
      } else {
        SendProgress(n, step.FileName());
      }
      ++n;
    }
  }
  return true;
}

void CRenerThread::SendProgress(int n, const CString* fileName) {
  if (!m_owner || IsStopRequested()) return;
  WPARAM text = fileName ? reinterpret_cast<WPARAM>(fileName->GetString()) : 0;
  ::SendMessageW(m_owner, WM_RENDER_PROGRESS, text, static_cast<LPARAM>(n));
}

void CRenerThread::FinishExport(bool failed) {
  if (failed)
    SendProgress(static_cast<int>(kRenderEndedUnfinished), nullptr);
  else if (m_lastFramePending)
    SendProgress(m_totalFrames - 1, m_lastFileName.IsEmpty() ? nullptr : &m_lastFileName);
  m_lastFramePending = false;
  ::PostQuitMessage(0);
}

void CRenerThread::ShowError(LPCTSTR text, UINT stringId) {
  CString message;
  if (stringId == 0 || !message.LoadString(stringId)) message = text;
  ::MessageBoxW(nullptr, message, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CRenerThread::ShowFileError(LPCTSTR text, UINT stringId, const CString& path) {
  CString message;
  if (!message.LoadString(stringId)) message = text;
  message += u"\n";
  message += ShownPath(path);
  ::MessageBoxW(nullptr, message, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

SIZE CRenerThread::RoundedFrameSize() const {
  SIZE size = OutputSize();
  size.cx = (size.cx + 3) / 4 * 4;
  return size;
}

int CRenerThread::ExportFps() const { return m_fps < kMinFps ? kMinFps : m_fps > kMaxFps ? kMaxFps : m_fps; }

// --- writers ---

// Every writer fills a file beside the output and puts it in the output's
// place only when all of it was written: a failure tells the user once,
// leaves no partial file and keeps an earlier one; a stop keeps what was
// written, whole.

BOOL CRenerThread::RenderToAvi() {
  const SIZE size = RoundedFrameSize();
  CReplacingFile output(m_outputPath);
  CAviWriter writer;
  if (!writer.Open(output.GetTempPath(), ExportFps(), size, m_pMainWnd)) {
    // A cancelled compressor choice counts as a failure too. The owner is
    // given the last number, which ends its export.
    ShowError(kCreateAviErrorText, IDS_CREATE_AVI_ERROR);
    output.Discard();
    SendProgress(m_totalFrames - 1, nullptr);
    ::PostQuitMessage(0);
    return TRUE;
  }
  class CAviStep : public CFrameStep {
   public:
    explicit CAviStep(CAviWriter& writer) : m_writer(writer) {}
    bool Write(CPixelBuffer& frame, int) override { return m_writer.WriteFrame(reinterpret_cast<BYTE*>(frame.bits)); }

   private:
    CAviWriter& m_writer;
  } step(writer);
  CExportBuffer buffer(size);
  const bool framesDone = buffer.IsValid() && RunFrameLoop(buffer.Get(), true, step);
  writer.Close();
  // A frame that cannot be written (a full disk, the largest file the
  // writer makes) closes the movie with the frames before it; whole and not
  // empty, it is kept, and the failure is still told.
  const bool failed = !framesDone || writer.HasFailed();
  const bool whole = buffer.IsValid() && writer.IsClosedWhole() && (!failed || writer.GetFrameCount() > 0);
  const bool kept = whole && output.Commit();
  if (!kept) output.Discard();
  if (failed || !kept) ShowError(kCreateAviErrorText, IDS_CREATE_AVI_ERROR);
  FinishExport(failed || !kept);
  return TRUE;
}

BOOL CRenerThread::RenderToGif() {
  const SIZE size = RoundedFrameSize();
  CReplacingFile output(m_outputPath);
  CAnimGifWriter writer;
  // Frames are quantised on every core while the next ones render.
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  writer.SetWorkers(static_cast<int>(system.dwNumberOfProcessors));
  if (!writer.Open(output.GetTempPath(), static_cast<DWORD>(kHundredthsPerSecond / ExportFps()), size)) {
    ShowFileError(kCreateGifErrorText, IDS_CREATE_GIF_ERROR, m_outputPath);
    FinishExport(true);
    return TRUE;
  }
  if (m_transparent) {
    CFillStyle background;
    GetMorphProject()->GetBackground(background);
    writer.SetTransparentColor(background.type == kFillColor ? background.color : 0);
    writer.SetTransparent(true);
  }
  class CGifStep : public CFrameStep {
   public:
    explicit CGifStep(CAnimGifWriter& writer) : m_writer(writer) {}
    bool Write(CPixelBuffer& frame, int) override {
      ++m_frames;
      return m_writer.AddFrame(reinterpret_cast<BYTE*>(frame.bits));
    }
    int Frames() const { return m_frames; }

   private:
    CAnimGifWriter& m_writer;
    int m_frames = 0;
  } step(writer);
  CExportBuffer buffer(size);
  bool written = buffer.IsValid() && RunFrameLoop(buffer.Get(), false, step);
  written = writer.Close() && written;
  // Stopped before the first frame: there is no animation to keep or to
  // complain about.
  const bool stoppedEmpty = !written && buffer.IsValid() && step.Frames() == 0 && IsStopRequested();
  written = written && output.Commit();
  if (!written) {
    output.Discard();
    if (!stoppedEmpty) ShowFileError(kCreateGifErrorText, IDS_CREATE_GIF_ERROR, m_outputPath);
  }
  FinishExport(!written && !stoppedEmpty);
  return TRUE;
}

class CRenerThread::CStillStep : public CFrameStep {
 public:
  CStillStep(const CString& stem, const CString& extension) : m_stem(stem), m_extension(extension) {}
  bool Write(CPixelBuffer& frame, int n) override {
    m_fileName.Format(_T("%s%d"), m_stem.GetString(), n);
    m_fileName += m_extension;
    // The file is written whole or not at all. One that cannot be written
    // is skipped and the export goes on; the first is named at the end.
    if (!CImageFile().Save(m_fileName, 0, 0, frame.Width(), frame.Height(), frame.bits, 0) && m_firstFailed.IsEmpty())
      m_firstFailed = m_fileName;
    return true;
  }
  const CString* FileName() const override { return &m_fileName; }
  const CString& FirstFailed() const { return m_firstFailed; }

 private:
  CString m_stem;
  CString m_extension;
  CString m_fileName;
  CString m_firstFailed;
};

BOOL CRenerThread::RenderToStills() {
  const int length = m_outputPath.GetLength();
  if (length <= kExtensionLength) return RenderUnsupported();
  CStillStep step(m_outputPath.Left(length - kExtensionLength), m_outputPath.Right(kExtensionLength));
  CExportBuffer buffer(RoundedFrameSize());
  const bool rendered = buffer.IsValid() && RunFrameLoop(buffer.Get(), false, step);
  const CString& failed = rendered ? step.FirstFailed() : m_outputPath;
  if (!failed.IsEmpty()) {
    if (GetImageFileType(m_outputPath) == IMAGE_FILE_TGA)
      ShowFileError(kCreateTgaErrorText, IDS_CREATE_TGA_ERROR, failed);
    else
      ShowFileError(kCreateBmpErrorText, IDS_CREATE_BMP_ERROR, failed);
  }
  FinishExport(!rendered);
  return TRUE;
}

BOOL CRenerThread::RenderToSwf() {
  const SIZE size = OutputSize();  // the movie takes the exact size
  if (m_totalFrames > CSwfMovieWriter::kMaxFrames) {
    ShowError(kTooManySwfFramesText, IDS_SWF_TOO_MANY_FRAMES);
    FinishExport(true);
    return TRUE;
  }
  CSwfMovieWriter movie;
  CExportBuffer buffer(size);
  if (!buffer.IsValid() || !movie.Open(size, ExportFps(), m_totalFrames)) {
    ShowError(kCreateSwfErrorText, IDS_CREATE_SWF_ERROR);
    FinishExport(true);
    return TRUE;
  }
  class CSwfStep : public CFrameStep {
   public:
    CSwfStep(CSwfMovieWriter& movie, int quality) : m_movie(movie), m_quality(quality) {}
    bool Write(CPixelBuffer& frame, int) override { return m_movie.AddFrame(frame, m_quality) != FALSE; }

   private:
    CSwfMovieWriter& m_movie;
    int m_quality;
  } step(movie, m_quality);
  const bool framesMade = RunFrameLoop(buffer.Get(), false, step);
  CReplacingFile output(m_outputPath);
  if (!framesMade || !movie.Save(output.GetTempPath()) || !output.Commit()) {
    output.Discard();
    ShowError(kCreateSwfErrorText, IDS_CREATE_SWF_ERROR);
    FinishExport(true);
    return TRUE;
  }
  // The movie stays when only its page cannot be written; the user is told.
  const bool pageWritten = WriteSwfHtmlPage(m_outputPath, size.cx, size.cy) != FALSE;
  if (!pageWritten) ShowFileError(kCreateSwfErrorText, IDS_CREATE_SWF_ERROR, SwfHtmlPagePath(m_outputPath));
  FinishExport(!pageWritten);
  return TRUE;
}
