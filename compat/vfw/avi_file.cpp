// The Video for Windows file and stream objects over the AVI layout writer,
// with the two compressors a user can choose: full frames and Motion JPEG.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "compat/host_path.h"
#include "compat/vfw.h"
#include "compat/win32.h"
#include "compat/vfw/avi_riff_writer.h"
#include "compat/vfw/compressor_dialog.h"
#include "compat/vfw/mjpeg_encoder.h"

// --- objects ---

class CAviFileObject {
 public:
  std::atomic<ULONG> refs{1};
  std::mutex lock;
  compat::AviRiffWriter writer;
};

class CAviStreamObject {
 public:
  std::atomic<ULONG> refs{1};
  CAviFileObject* file = nullptr;      // held reference
  int index = -1;                      // stream slot in the file
  CAviStreamObject* source = nullptr;  // compressed streams: the stream they write into
  DWORD handler = 0;                   // compressed streams: comptypeDIB or comptypeMJPG
  DWORD quality = 7500;
  BITMAPINFOHEADER input{};            // compressed streams: the frames handed in
  bool hasInput = false;
};

namespace {

struct CompressorChoice {
  DWORD handler = comptypeDIB;
  DWORD quality = 7500;
  bool cancel = false;
};
std::mutex g_choiceLock;
CompressorChoice g_choice;
std::atomic<int> g_realDialog{-1};  // -1: a dialog with a display, none headless

bool ShowsDialog() {
  const int real = g_realDialog;
  if (real >= 0) return real != 0;
  const char* host = std::getenv("CALVETTA_HOST");
  return !(host && std::strcmp(host, "headless") == 0) && std::getenv("DISPLAY");
}

constexpr ULONGLONG kMaxFrameBytes = 256ull << 20;

DWORD ChunkId(int stream, const char* kind) {
  return mmioFOURCC('0' + stream / 10, '0' + stream % 10, kind[0], kind[1]);
}

const char* ChunkKind(DWORD fccType, bool compressed) {
  if (fccType == streamtypeVIDEO) return compressed ? "dc" : "db";
  if (fccType == streamtypeAUDIO) return "wb";
  return "tx";
}

// The last release writes the index and the headers; when that fails the
// file is not whole, which the caller learns from the last error.
void ReleaseFile(CAviFileObject* file) {
  if (file && --file->refs == 0) {
    if (!file->writer.Finish()) SetLastError(ERROR_WRITE_FAULT);
    delete file;
  }
}

bool FrameBytes(const BITMAPINFOHEADER& h, ULONGLONG* bytes) {
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biBitCount != 24 || h.biCompression != BI_RGB) return false;
  ULONGLONG rows = static_cast<ULONGLONG>(h.biHeight < 0 ? -static_cast<LONGLONG>(h.biHeight) : h.biHeight);
  ULONGLONG rowBytes = ((static_cast<ULONGLONG>(h.biWidth) * 24 + 31) / 32) * 4;
  *bytes = rowBytes * rows;
  return *bytes <= kMaxFrameBytes;
}

HRESULT WriteCompressed(CAviStreamObject* s, const void* data, LONG size, DWORD flags) {
  CAviStreamObject* target = s->source;
  ULONGLONG need = 0;
  if (!s->hasInput || !FrameBytes(s->input, &need)) return AVIERR_BADFORMAT;
  if (size < 0 || static_cast<ULONGLONG>(size) < need) return AVIERR_BADSIZE;
  std::lock_guard<std::mutex> guard(target->file->lock);
  compat::AviRiffWriter& writer = target->file->writer;
  DWORD fccType = writer.Stream(target->index)->fccType;
  if (s->handler != comptypeMJPG) {
    return writer.WriteChunk(target->index, ChunkId(target->index, ChunkKind(fccType, false)), data,
                             static_cast<DWORD>(need), flags | AVIIF_KEYFRAME)
               ? AVIERR_OK
               : AVIERR_FILEWRITE;
  }
  // Every Motion-JPEG frame is a key frame. Rows of a 24-bit frame whose
  // width is not a multiple of 4 are padded; pack them for the encoder.
  const BITMAPINFOHEADER& h = s->input;
  int width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  size_t rowBytes = static_cast<size_t>(((static_cast<ULONGLONG>(width) * 24 + 31) / 32) * 4);
  std::vector<BYTE> packed;
  const BYTE* pixels = static_cast<const BYTE*>(data);
  if (rowBytes != static_cast<size_t>(width) * 3 || h.biHeight < 0) {
    packed.resize(static_cast<size_t>(width) * 3 * height);
    for (int y = 0; y < height; ++y) {
      int from = h.biHeight < 0 ? height - 1 - y : y;
      std::memcpy(&packed[static_cast<size_t>(y) * width * 3], pixels + rowBytes * from,
                  static_cast<size_t>(width) * 3);
    }
    pixels = packed.data();
  }
  int quality = static_cast<int>(s->quality / 100);
  std::vector<BYTE> jpeg;
  if (!compat::EncodeMjpegFrame(pixels, width, height, quality ? quality : 75, jpeg))
    return AVIERR_COMPRESSOR;
  return writer.WriteChunk(target->index, ChunkId(target->index, ChunkKind(fccType, true)),
                           jpeg.data(), static_cast<DWORD>(jpeg.size()), AVIIF_KEYFRAME)
             ? AVIERR_OK
             : AVIERR_FILEWRITE;
}

}  // namespace

namespace compat {

void SetAviCompressorChoice(DWORD fccHandler, DWORD quality, bool cancel) {
  std::lock_guard<std::mutex> guard(g_choiceLock);
  g_choice.handler = fccHandler == comptypeMJPG ? comptypeMJPG : comptypeDIB;
  g_choice.quality = quality > 10000 ? 10000 : quality;
  g_choice.cancel = cancel;
}

void SetRealCompressorDialog(bool on) { g_realDialog = on ? 1 : 0; }

}  // namespace compat

// --- the calls ---

DWORD VideoForWindowsVersion() { return 0x010A0000; }
void AVIFileInit() {}
void AVIFileExit() {}

HRESULT AVIFileOpenW(PAVIFILE* ppfile, LPCWSTR szFile, UINT uMode, CLSID*) {
  if (!ppfile) return AVIERR_BADPARAM;
  *ppfile = nullptr;
  if (!szFile || !(uMode & OF_CREATE) || !(uMode & (OF_WRITE | OF_READWRITE))) return AVIERR_UNSUPPORTED;
  auto* file = new CAviFileObject;
  if (!file->writer.Open(compat::ToHostPath(szFile))) {
    delete file;
    return AVIERR_FILEOPEN;
  }
  *ppfile = file;
  return AVIERR_OK;
}

ULONG AVIFileRelease(PAVIFILE pfile) {
  if (!pfile) return 0;
  ULONG left = pfile->refs - 1;
  ReleaseFile(pfile);
  return left;
}

HRESULT AVIFileCreateStreamW(PAVIFILE pfile, PAVISTREAM* ppavi, AVISTREAMINFOW* psi) {
  if (!ppavi) return AVIERR_BADPARAM;
  *ppavi = nullptr;
  if (!pfile || !psi || psi->dwScale == 0 || psi->dwRate == 0) return AVIERR_BADPARAM;
  compat::AviStreamLayout layout;
  layout.fccType = psi->fccType;
  layout.fccHandler = psi->fccHandler;
  layout.scale = psi->dwScale;
  layout.rate = psi->dwRate;
  layout.quality = psi->dwQuality ? psi->dwQuality : 0xFFFFFFFF;
  layout.sampleSize = psi->dwSampleSize;
  layout.suggestedBufferSize = psi->dwSuggestedBufferSize;
  layout.frame = psi->rcFrame;
  std::lock_guard<std::mutex> guard(pfile->lock);
  int index = pfile->writer.AddStream(layout);
  if (index < 0) return AVIERR_UNSUPPORTED;
  auto* stream = new CAviStreamObject;
  stream->file = pfile;
  ++pfile->refs;
  stream->index = index;
  *ppavi = stream;
  return AVIERR_OK;
}

BOOL AVISaveOptions(HWND hwnd, UINT uiFlags, int nStreams, PAVISTREAM* ppavi, LPAVICOMPRESSOPTIONS* plpOptions) {
  if (nStreams <= 0 || !ppavi || !plpOptions) return FALSE;
  CompressorChoice choice;
  {
    std::lock_guard<std::mutex> guard(g_choiceLock);
    choice = g_choice;
  }
  DWORD keyFrameEvery = 1;
  if (ShowsDialog()) {
    choice.cancel = !compat::vfw::RunCompressorDialog(hwnd, uiFlags, &choice.handler, &choice.quality, &keyFrameEvery);
  }
  if (choice.cancel) return FALSE;
  for (int i = 0; i < nStreams; ++i) {
    AVICOMPRESSOPTIONS* o = plpOptions[i];
    if (!o) return FALSE;
    o->fccType = streamtypeVIDEO;
    o->fccHandler = choice.handler;
    o->dwQuality = choice.quality;
    o->dwKeyFrameEvery = (uiFlags & ICMF_CHOOSE_KEYFRAME) ? keyFrameEvery : 0;
    o->dwFlags = AVICOMPRESSF_VALID | ((uiFlags & ICMF_CHOOSE_KEYFRAME) ? AVICOMPRESSF_KEYFRAMES : 0);
    // A codec with settings hands back its state block, as on the platform;
    // the caller returns it with AVISaveOptionsFree.
    if (choice.handler == comptypeMJPG) {
      auto* state = static_cast<DWORD*>(std::malloc(sizeof(DWORD)));
      if (!state) return FALSE;
      *state = choice.quality;
      o->lpParms = state;
      o->cbParms = sizeof(DWORD);
    }
  }
  return TRUE;
}

LONG AVISaveOptionsFree(int nStreams, LPAVICOMPRESSOPTIONS* plpOptions) {
  if (!plpOptions) return AVIERR_OK;
  for (int i = 0; i < nStreams; ++i) {
    AVICOMPRESSOPTIONS* o = plpOptions[i];
    if (!o) continue;
    std::free(o->lpFormat);
    std::free(o->lpParms);
    o->lpFormat = o->lpParms = nullptr;
    o->cbFormat = o->cbParms = 0;
  }
  return AVIERR_OK;
}

HRESULT AVIMakeCompressedStream(PAVISTREAM* ppsCompressed, PAVISTREAM psSource,
                                AVICOMPRESSOPTIONS* lpOptions, CLSID*) {
  if (!ppsCompressed) return AVIERR_BADPARAM;
  *ppsCompressed = nullptr;
  if (!psSource || !lpOptions || psSource->source) return AVIERR_BADPARAM;
  DWORD handler = lpOptions->fccHandler;
  if (handler == 0) handler = comptypeDIB;
  if (handler != comptypeDIB && handler != comptypeMJPG) return AVIERR_COMPRESSOR;
  auto* stream = new CAviStreamObject;
  stream->source = psSource;
  ++psSource->refs;
  stream->handler = handler;
  stream->quality = lpOptions->dwQuality ? lpOptions->dwQuality : 7500;
  *ppsCompressed = stream;
  return AVIERR_OK;
}

HRESULT AVIStreamSetFormat(PAVISTREAM pavi, LONG, LPVOID lpFormat, LONG cbFormat) {
  if (!pavi || !lpFormat || cbFormat <= 0 ||
      static_cast<size_t>(cbFormat) > compat::AviRiffWriter::kMaxFormatBytes)
    return AVIERR_BADPARAM;
  const BYTE* bytes = static_cast<const BYTE*>(lpFormat);
  if (!pavi->source) {
    std::lock_guard<std::mutex> guard(pavi->file->lock);
    pavi->file->writer.Stream(pavi->index)->format.assign(bytes, bytes + cbFormat);
    return AVIERR_OK;
  }
  // A compressing stream takes 24-bit frames and stores the codec's format.
  if (static_cast<size_t>(cbFormat) < sizeof(BITMAPINFOHEADER)) return AVIERR_BADFORMAT;
  BITMAPINFOHEADER in;
  std::memcpy(&in, bytes, sizeof in);
  ULONGLONG frameBytes = 0;
  if (!FrameBytes(in, &frameBytes)) return AVIERR_BADFORMAT;
  pavi->input = in;
  pavi->hasInput = true;
  BITMAPINFOHEADER stored = in;
  if (pavi->handler == comptypeMJPG) {
    stored.biCompression = comptypeMJPG;
    stored.biHeight = in.biHeight < 0 ? -in.biHeight : in.biHeight;
    stored.biSizeImage = static_cast<DWORD>(static_cast<ULONGLONG>(in.biWidth) * stored.biHeight * 3);
  }
  CAviStreamObject* target = pavi->source;
  std::lock_guard<std::mutex> guard(target->file->lock);
  compat::AviStreamLayout* layout = target->file->writer.Stream(target->index);
  const BYTE* storedBytes = reinterpret_cast<const BYTE*>(&stored);
  layout->format.assign(storedBytes, storedBytes + sizeof stored);
  layout->fccHandler = pavi->handler;
  if (pavi->handler == comptypeMJPG) layout->quality = pavi->quality;
  return AVIERR_OK;
}

HRESULT AVIStreamWrite(PAVISTREAM pavi, LONG, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                       DWORD dwFlags, LONG* plSampWritten, LONG* plBytesWritten) {
  if (plSampWritten) *plSampWritten = 0;
  if (plBytesWritten) *plBytesWritten = 0;
  if (!pavi || lSamples != 1 || cbBuffer < 0 || (cbBuffer > 0 && !lpBuffer)) return AVIERR_BADPARAM;
  HRESULT hr;
  if (pavi->source) {
    hr = WriteCompressed(pavi, lpBuffer, cbBuffer, dwFlags);
  } else {
    std::lock_guard<std::mutex> guard(pavi->file->lock);
    compat::AviRiffWriter& writer = pavi->file->writer;
    DWORD fccType = writer.Stream(pavi->index)->fccType;
    hr = writer.WriteChunk(pavi->index, ChunkId(pavi->index, ChunkKind(fccType, false)), lpBuffer,
                           static_cast<DWORD>(cbBuffer), dwFlags)
             ? AVIERR_OK
             : AVIERR_FILEWRITE;
  }
  if (hr == AVIERR_OK) {
    if (plSampWritten) *plSampWritten = 1;
    if (plBytesWritten) *plBytesWritten = cbBuffer;
  }
  return hr;
}

ULONG AVIStreamRelease(PAVISTREAM pavi) {
  if (!pavi) return 0;
  ULONG left = --pavi->refs;
  if (left == 0) {
    if (pavi->source)
      AVIStreamRelease(pavi->source);
    else
      ReleaseFile(pavi->file);
    delete pavi;
  }
  return left;
}
