// CRenerThread: the export's worker thread. Its whole work runs in
// InitInstance: every frame of every pair, in order, rendered and handed to
// the writer that the output file's type picks; progress goes to the owner
// window, a stop request ends it before the next frame.
#pragma once

#include <atomic>

#include "compat/afx.h"

class CExportFrameSource;
struct CPixelBuffer;

// Sent to the owner after each frame: wParam the file just written (stills)
// or 0, lParam the running frame number from 0. The last frame's number
// (total frames - 1) means the export has ended.
constexpr UINT WM_RENDER_PROGRESS = WM_USER + 18;
// The progress number that ends an export which did not finish (a failure,
// told to the user already, or a cancelled compressor choice): the owner
// goes back to ready and shows no frame number.
constexpr LPARAM kRenderEndedUnfinished = -1;

class CRenerThread : public CWinThread {
  DECLARE_DYNCREATE(CRenerThread)

 public:
  CRenerThread();
  ~CRenerThread() override;

  void SetOutputPath(const CString& path) { m_outputPath = path; }
  void SetFps(int fps) { m_fps = fps; }
  void SetTransparent(int transparent) { m_transparent = transparent; }
  void SetQuality(int quality) { m_quality = quality; }
  // The frames' maker; the pair's frame grabs unless another is given.
  void SetFrameSource(CExportFrameSource* source) { m_source = source; }
  void RequestStop() { m_stop = 1; }
  BOOL IsStopRequested() const { return m_stop != 0; }

  // The owner's wait for the end of the thread. Messages other threads send
  // to the caller's thread are answered meanwhile, so a progress message in
  // flight when the owner stops the export cannot leave both threads waiting.
  BOOL WaitForEnd();

  BOOL InitInstance() override;
  int ExitInstance() override;

  BOOL RenderToAvi();
  BOOL RenderToGif();
  BOOL RenderToStills();
  BOOL RenderToSwf();

 private:
  // One frame's writer step; false ends the loop (a failed write).
  class CFrameStep {
   public:
    virtual ~CFrameStep() = default;
    virtual bool Write(CPixelBuffer& frame, int n) = 0;
    // The file the step just wrote, shown by the owner (stills only).
    virtual const CString* FileName() const { return nullptr; }
  };
  class CStillStep;

  BOOL RenderUnsupported();
  bool RunFrameLoop(CPixelBuffer& buffer, bool dib24, CFrameStep& step);
  void SendProgress(int n, const CString* fileName);
  // After the writer has closed its file: the last frame's progress, held
  // back by the loop, or (after a failure) the end of an unfinished export.
  void FinishExport(bool failed);
  void ShowError(LPCTSTR text, UINT stringId = 0);
  // The message in the style of the others, naming the file that failed.
  void ShowFileError(LPCTSTR text, UINT stringId, const CString& path);
  SIZE RoundedFrameSize() const;
  int ExportFps() const;

  CString m_outputPath;
  std::atomic<int> m_stop{0};
  int m_fps = 30;
  int m_transparent = 0;
  int m_quality = 75;
  CExportFrameSource* m_source = nullptr;
  HWND m_owner = nullptr;     // taken from the main window when the thread starts
  int m_totalFrames = 0;
  bool m_lastFramePending = false;
  CString m_lastFileName;
};
