// CAnimGifWriter: turns rendered 32-bit frames into one animated GIF. Each
// frame is reduced to its own 256-colour palette and encoded as it arrives;
// encoded frames are written to the file in frame order, so the file grows
// while later frames are still being quantised.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compat/win32/types.h"
#include "imaging/gif_codec.h"
#include "imaging/median_cut_quantizer.h"
#include "imaging/pic_file.h"

class CAnimGifWriter {
public:
  static constexpr int kListStep = 256;

  CAnimGifWriter(DWORD delay = 25, int colors = 256);
  ~CAnimGifWriter();
  CAnimGifWriter(const CAnimGifWriter&) = delete;
  CAnimGifWriter& operator=(const CAnimGifWriter&) = delete;

  bool Open(const WCHAR* path, DWORD delay, SIZE size);
  // Width x height pixels of 4 bytes (blue, green, red, fourth byte), top
  // line first. With one worker the quantiser's error diffusion changes
  // them; with more, the frame is copied and quantised on a worker while the
  // caller goes on, and the caller's pixels stay as they were.
  // False when the frame could not be made or the file could not take it;
  // a failure sticks, so every later call fails too.
  bool AddFrame(BYTE* pixels);
  // Writes the end of the file and closes it; true only when the whole
  // animation reached the file.
  bool Close();

  // Threads that quantise and encode frames, set before the first frame;
  // 1 (the default) does the work inside AddFrame.
  void SetWorkers(int workers);
  // The colour made transparent (0xAARRGGBB; alpha is ignored) and whether
  // frames get a transparent index at all.
  void SetTransparentColor(DWORD argb);
  void SetTransparent(bool enabled) { m_transparent = enabled; }
  // Play count handed to the encoder; 0 (the default) loops for ever. Set
  // before the first frame: the loop block follows the screen header.
  void SetLoops(LONG loops) { m_loops = loops; }

  int GetFrameCount() const { return m_frameCount; }
  int GetCapacity() const { return m_capacity; }
  const char* GetLastError() const { return m_codec.GetLastError(); }

private:
  struct CEncodedFrame;
  // What quantising a frame needs, copied for each frame so that workers
  // never read the writer's members.
  struct CFrameSettings {
    DWORD width, height, delay;
    int colors;
    bool transparent;
    BYTE transColor[3];
  };
  struct CFrameJob {
    int index;
    std::vector<BYTE> pixels;
    CFrameSettings settings;
  };

  static std::unique_ptr<CEncodedFrame> EncodeFrame(BYTE* pixels, const CFrameSettings& settings, bool localTable,
                                                    CMedianCutQuantizer& quantizer, CPicImageGIF& codec);
  CFrameSettings Settings() const;
  void GrowList();
  void WriteReadyFrames();
  void WriteFrame(CEncodedFrame& frame);
  bool WriteFrameBlocks(CEncodedFrame& frame);
  void StartWorkers();
  void StopWorkers();
  void WorkerLoop();

  BYTE m_transColor[3] = {255, 255, 255};  // blue, green, red
  bool m_transparent = false;
  CPicImageGIF m_codec;      // writes the header, the first frame when it must, and the end
  CPicImageGIF m_pageCodec;  // encodes frames on the caller's thread
  CMedianCutQuantizer m_quantizer;
  int m_frameCount = 0;
  int m_capacity = kListStep;
  int m_written = 0;          // frames taken from the list, in order
  bool m_started = false;     // the screen header is written
  bool m_failed = false;      // a frame or the file failed: the rest is dropped, the file is not whole
  DWORD m_width = 0, m_height = 0;
  FILE* m_stream = nullptr;
  std::unique_ptr<CPicIOFile> m_file;  // over m_stream, which it leaves open
  DWORD m_delay;
  int m_colors;
  LONG m_loops = 0;
  // The frame list: encoded frames not yet written, by frame number.
  CEncodedFrame** m_frames;

  // --- workers ---
  int m_workerCount = 1;
  std::vector<std::thread> m_workers;
  std::mutex m_mutex;  // the job queue, the frame list's slots, m_stopping
  std::condition_variable m_jobReady, m_frameDone;
  std::deque<CFrameJob> m_jobs;
  std::vector<std::vector<BYTE>> m_spareBuffers;  // frame copies the workers are done with
  int m_inFlight = 0;
  bool m_stopping = false;
};
