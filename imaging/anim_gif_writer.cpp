// Animated GIF output: frames are quantised and encoded as they arrive, on
// the caller's thread or on workers, and written in frame order.
#include "imaging/anim_gif_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>


namespace {

// Frames queued or being quantised per worker: enough to keep every worker
// busy while the caller renders, few enough to bound the copies held.
constexpr int kJobsPerWorker = 2;

}  // namespace

// A quantised frame: its image (kept until written, for the screen header
// or a re-encoding) and its control and image blocks.
struct CAnimGifWriter::CEncodedFrame {
  struct FreeBytes {
    void operator()(BYTE* bytes) const { free(bytes); }
  };
  std::unique_ptr<CPicImage> image;
  // The memory file's buffer, taken over rather than copied.
  std::unique_ptr<BYTE, FreeBytes> blocks;
  size_t blockBytes = 0;
  bool localTable = false;
  bool ok = false;
};

CAnimGifWriter::CAnimGifWriter(DWORD delay, int colors)
    : m_quantizer(colors), m_delay(delay), m_colors(colors), m_frames(new CEncodedFrame*[kListStep]()) {}

CAnimGifWriter::~CAnimGifWriter() {
  Close();
  StopWorkers();
  for (int i = 0; i < m_frameCount; ++i) delete m_frames[i];
  delete[] m_frames;
}

void CAnimGifWriter::SetTransparentColor(DWORD argb) {
  m_transColor[0] = static_cast<BYTE>(argb);
  m_transColor[1] = static_cast<BYTE>(argb >> 8);
  m_transColor[2] = static_cast<BYTE>(argb >> 16);
}

void CAnimGifWriter::SetWorkers(int workers) {
  if (m_frameCount == 0) m_workerCount = std::max(workers, 1);
}

bool CAnimGifWriter::Open(const WCHAR* path, DWORD delay, SIZE size) {
  if (m_stream || size.cx <= 0 || size.cy <= 0 || size.cx > 0xFFFF || size.cy > 0xFFFF) return false;
  m_width = static_cast<DWORD>(size.cx);
  m_height = static_cast<DWORD>(size.cy);
  m_stream = PicOpenFile(path, "wb");
  if (!m_stream) return false;
  m_file = std::make_unique<CPicIOFile>(m_stream);
  m_delay = delay;
  return true;
}

CAnimGifWriter::CFrameSettings CAnimGifWriter::Settings() const {
  return {m_width, m_height, m_delay, m_colors, m_transparent, {m_transColor[0], m_transColor[1], m_transColor[2]}};
}

std::unique_ptr<CAnimGifWriter::CEncodedFrame> CAnimGifWriter::EncodeFrame(BYTE* pixels, const CFrameSettings& settings,
                                                                           bool localTable, CMedianCutQuantizer& quantizer,
                                                                           CPicImageGIF& codec) {
  auto frame = std::make_unique<CEncodedFrame>();
  RGBQUAD palette[256] = {};
  quantizer.AddPixels(pixels, settings.width, settings.height);
  const int colors = quantizer.MakePalette(palette);
  LONG transIndex = -1;
  if (settings.transparent) {
    int best = 0x7FFFFFFF;
    for (int i = 0; i < colors; ++i) {
      int d = std::abs(palette[i].rgbBlue - settings.transColor[0]) +
              std::abs(palette[i].rgbGreen - settings.transColor[1]) +
              std::abs(palette[i].rgbRed - settings.transColor[2]);
      if (d < best) {
        best = d;
        transIndex = i;
      }
    }
  }
  frame->image.reset(
      quantizer.CreateIndexedImage(pixels, settings.width, settings.height, 8, colors, palette, 1.0f, transIndex));
  if (!frame->image->IsValid()) return frame;
  frame->image->SetFrameOffset(0, 0);
  frame->image->SetFrameDelay(settings.delay);
  CPicMemFile blocks;
  blocks.Open();
  frame->localTable = localTable;
  frame->ok = codec.EncodePage(&blocks, frame->image.get(), localTable);
  frame->blockBytes = static_cast<size_t>(blocks.Size());
  frame->blocks.reset(blocks.GetBuffer(true));
  return frame;
}

void CAnimGifWriter::GrowList() {
  if (m_frameCount + 1 != m_capacity) return;
  auto** grown = new CEncodedFrame*[m_capacity + kListStep]();
  std::memcpy(grown, m_frames, sizeof(CEncodedFrame*) * m_capacity);
  delete[] m_frames;
  m_frames = grown;
  m_capacity += kListStep;
}

bool CAnimGifWriter::AddFrame(BYTE* pixels) {
  if (!pixels || m_width == 0 || m_height == 0 || m_failed) return false;
  m_codec.SetDisposalMethod(1);  // leave each frame in place
  m_pageCodec.SetDisposalMethod(1);
  if (m_workerCount <= 1) {
    std::unique_ptr<CEncodedFrame> frame = EncodeFrame(pixels, Settings(), m_frameCount > 0, m_quantizer, m_pageCodec);
    if (!frame->image->IsValid()) {
      m_failed = true;
      return false;
    }
    GrowList();
    m_frames[m_frameCount++] = frame.release();
    WriteReadyFrames();
    return !m_failed;
  }
  StartWorkers();
  CFrameJob job{0, {}, Settings()};
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_spareBuffers.empty()) {
      job.pixels.swap(m_spareBuffers.back());
      m_spareBuffers.pop_back();
    }
  }
  job.pixels.assign(pixels, pixels + 4 * static_cast<size_t>(m_width) * m_height);
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    // Wait while the workers are full, writing what they finish meanwhile.
    while (m_inFlight >= kJobsPerWorker * m_workerCount) {
      m_frameDone.wait(lock);
      lock.unlock();
      WriteReadyFrames();
      lock.lock();
    }
    GrowList();
    job.index = m_frameCount++;
    ++m_inFlight;
    m_jobs.push_back(std::move(job));
  }
  m_jobReady.notify_one();
  WriteReadyFrames();
  return !m_failed;
}

// Writes the frames at the head of the list that are ready, in order.
void CAnimGifWriter::WriteReadyFrames() {
  for (;;) {
    CEncodedFrame* frame;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_written >= m_frameCount || !m_frames[m_written]) return;
      frame = m_frames[m_written];
      m_frames[m_written++] = nullptr;
    }
    WriteFrame(*frame);
    delete frame;
  }
}

void CAnimGifWriter::WriteFrame(CEncodedFrame& frame) {
  if (m_failed || !m_file) return;
  // A frame missing from the middle would leave a file that is not the
  // animation asked for: the whole file fails.
  if (!frame.image || !frame.image->IsValid() || !WriteFrameBlocks(frame) || m_file->Error()) m_failed = true;
}

bool CAnimGifWriter::WriteFrameBlocks(CEncodedFrame& frame) {
  if (!m_started) {
    m_codec.SetLoops(m_loops);
    if (!m_codec.BeginMultiPage(m_file.get(), frame.image.get())) return false;
    m_started = true;
    // The first frame written takes the global colour table.
    if (frame.localTable || !frame.ok) return m_codec.EncodePage(m_file.get(), frame.image.get(), false);
  }
  if (!frame.ok) return m_codec.EncodePage(m_file.get(), frame.image.get(), true);
  return !frame.blocks || m_file->Write(frame.blocks.get(), 1, frame.blockBytes) == frame.blockBytes;
}

bool CAnimGifWriter::Close() {
  if (!m_stream) return false;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_inFlight > 0) m_frameDone.wait(lock);
  }
  WriteReadyFrames();
  bool whole = false;
  if (m_started && !m_failed) {
    whole = m_codec.EndMultiPage(m_file.get());
  } else if (!m_started && !m_failed) {
    // Without frames the encoder refuses with its text and writes nothing.
    m_codec.SetLoops(m_loops);
    m_codec.EncodeMultiPage(m_file.get(), nullptr, 0, true);
  }
  m_file.reset();
  // The last buffered bytes reach the disk only here: a full disk may show
  // itself no earlier.
  whole = fclose(m_stream) == 0 && whole;
  m_stream = nullptr;
  for (int i = 0; i < m_frameCount; ++i) {
    delete m_frames[i];
    m_frames[i] = nullptr;
  }
  m_frameCount = 0;
  m_written = 0;
  m_started = false;
  // A failure stays with the writer: it is not reopened.
  m_failed = m_failed || !whole;
  return whole;
}

// --- workers ---

void CAnimGifWriter::StartWorkers() {
  if (!m_workers.empty()) return;
  m_stopping = false;
  for (int i = 0; i < m_workerCount; ++i) m_workers.emplace_back(&CAnimGifWriter::WorkerLoop, this);
}

void CAnimGifWriter::StopWorkers() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
  }
  m_jobReady.notify_all();
  for (std::thread& worker : m_workers) worker.join();
  m_workers.clear();
}

void CAnimGifWriter::WorkerLoop() {
  CMedianCutQuantizer quantizer(m_colors);
  CPicImageGIF codec;
  codec.SetDisposalMethod(1);
  for (;;) {
    CFrameJob job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_jobReady.wait(lock, [&] { return m_stopping || !m_jobs.empty(); });
      if (m_jobs.empty()) return;
      job = std::move(m_jobs.front());
      m_jobs.pop_front();
    }
    std::unique_ptr<CEncodedFrame> frame = EncodeFrame(job.pixels.data(), job.settings, job.index > 0, quantizer, codec);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_frames[job.index] = frame.release();
      m_spareBuffers.push_back(std::move(job.pixels));
      --m_inFlight;
    }
    m_frameDone.notify_all();
  }
}
