// Plain AVI (RIFF 'AVI ') layout: headers, 'movi' and 'idx1'.
#include "compat/vfw/avi_riff_writer.h"

#include <atomic>
#include <cstring>

#include <unistd.h>

#include "compat/vfw.h"

namespace compat {

namespace {

// 'movi' starts at this fixed position; the headers and a 'JUNK' filler go
// in front of it, so samples can be written before the stream lengths are known.
constexpr ULONGLONG kMoviListOffset = 8192;
constexpr DWORD kAviHasIndex = 0x10;

std::atomic<ULONGLONG> g_fileSizeLimit{0};

void PutDword(std::vector<BYTE>& out, DWORD v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void PutWord(std::vector<BYTE>& out, WORD v) {
  out.push_back(static_cast<BYTE>(v));
  out.push_back(static_cast<BYTE>(v >> 8));
}
void PutFourcc(std::vector<BYTE>& out, const char* s) {
  out.insert(out.end(), s, s + 4);
}
void PatchDword(std::vector<BYTE>& out, size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// Starts a chunk or list and returns the position of its size field.
size_t BeginChunk(std::vector<BYTE>& out, const char* id) {
  PutFourcc(out, id);
  size_t at = out.size();
  PutDword(out, 0);
  return at;
}
void EndChunk(std::vector<BYTE>& out, size_t sizeAt) {
  PatchDword(out, sizeAt, static_cast<DWORD>(out.size() - sizeAt - 4));
  if (out.size() & 1) out.push_back(0);
}

bool WriteAll(std::FILE* f, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, f) == size;
}

bool WriteDwordAt(std::FILE* f, long at, DWORD v) {
  BYTE b[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
  return std::fseek(f, at, SEEK_SET) == 0 && WriteAll(f, b, 4);
}

}  // namespace

AviRiffWriter::~AviRiffWriter() {
  if (file_) std::fclose(file_);
}

void SetAviFileSizeLimit(ULONGLONG bytes) { g_fileSizeLimit = bytes; }

bool AviRiffWriter::Open(const std::string& hostPath) {
  const ULONGLONG limit = g_fileSizeLimit;
  maxFileBytes_ = limit && limit < kMaxAviFileBytes ? limit : kMaxAviFileBytes;
  file_ = std::fopen(hostPath.c_str(), "wb+");
  if (!file_) return false;
  // Unbuffered: samples are large anyway, and a failed write must leave no
  // bytes behind in a buffer that a later seek would try to write again.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  // RIFF header and 'movi' list header; sizes are filled in by Finish.
  std::vector<BYTE> head;
  PutFourcc(head, "RIFF");
  PutDword(head, 0);
  PutFourcc(head, "AVI ");
  if (!WriteAll(file_, head.data(), head.size()) ||
      std::fseek(file_, static_cast<long>(kMoviListOffset), SEEK_SET) != 0) {
    failed_ = true;
    return false;
  }
  std::vector<BYTE> movi;
  PutFourcc(movi, "LIST");
  PutDword(movi, 0);
  PutFourcc(movi, "movi");
  failed_ = !WriteAll(file_, movi.data(), movi.size());
  moviEnd_ = kMoviListOffset + movi.size();
  return !failed_;
}

int AviRiffWriter::AddStream(const AviStreamLayout& layout) {
  if (StreamCount() >= kMaxStreams || layout.format.size() > kMaxFormatBytes) return -1;
  streams_.push_back(layout);
  return StreamCount() - 1;
}

AviStreamLayout* AviRiffWriter::Stream(int index) {
  return index >= 0 && index < StreamCount() ? &streams_[index] : nullptr;
}

bool AviRiffWriter::WriteChunk(int index, DWORD chunkId, const void* data, DWORD size, DWORD flags) {
  AviStreamLayout* stream = Stream(index);
  if (!file_ || failed_ || !stream || (size && !data)) return false;
  ULONGLONG padded = size + (size & 1);
  ULONGLONG indexBytes = 8 + 16ull * (index_.size() + 1);
  // Room is kept for the index, so a chunk refused here leaves a file that
  // still closes whole.
  if (moviEnd_ + 8 + padded + indexBytes > maxFileBytes_) return false;

  BYTE head[8];
  std::memcpy(head, &chunkId, 4);
  for (int i = 0; i < 4; ++i) head[4 + i] = static_cast<BYTE>(size >> (8 * i));
  static const BYTE kPad = 0;
  if (std::fseek(file_, static_cast<long>(moviEnd_), SEEK_SET) != 0 || !WriteAll(file_, head, 8) ||
      !WriteAll(file_, data, size) || ((size & 1) && !WriteAll(file_, &kPad, 1))) {
    failed_ = true;
    return false;
  }
  // Index offsets count from the 'movi' fourcc.
  index_.push_back({chunkId, flags, static_cast<DWORD>(moviEnd_ - (kMoviListOffset + 8)), size});
  moviEnd_ += 8 + padded;
  stream->length += 1;
  if (size > stream->largestChunk) stream->largestChunk = size;
  return true;
}

std::vector<BYTE> AviRiffWriter::BuildHeaderList() const {
  DWORD totalFrames = 0, largest = 0, width = 0, height = 0;
  double bytesPerSecond = 0;
  const AviStreamLayout* video = nullptr;
  for (const AviStreamLayout& s : streams_) {
    if (!video && s.fccType == streamtypeVIDEO) video = &s;
    if (s.largestChunk > largest) largest = s.largestChunk;
    if (s.scale) bytesPerSecond += double(s.largestChunk) * s.rate / s.scale;
  }
  if (video) {
    totalFrames = video->length;
    width = static_cast<DWORD>(video->frame.right - video->frame.left);
    height = static_cast<DWORD>(video->frame.bottom - video->frame.top);
  }
  DWORD microSecPerFrame = 0;
  if (video && video->rate) microSecPerFrame = static_cast<DWORD>(1000000.0 * video->scale / video->rate + 0.5);

  std::vector<BYTE> out;
  size_t hdrl = BeginChunk(out, "LIST");
  PutFourcc(out, "hdrl");
  size_t avih = BeginChunk(out, "avih");
  PutDword(out, microSecPerFrame);
  PutDword(out, bytesPerSecond > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(bytesPerSecond));
  PutDword(out, 0);  // padding granularity
  PutDword(out, hasIndex_ ? kAviHasIndex : 0);
  PutDword(out, totalFrames);
  PutDword(out, 0);  // initial frames
  PutDword(out, static_cast<DWORD>(streams_.size()));
  PutDword(out, largest);
  PutDword(out, width);
  PutDword(out, height);
  for (int i = 0; i < 4; ++i) PutDword(out, 0);
  EndChunk(out, avih);

  for (const AviStreamLayout& s : streams_) {
    size_t strl = BeginChunk(out, "LIST");
    PutFourcc(out, "strl");
    size_t strh = BeginChunk(out, "strh");
    PutDword(out, s.fccType);
    PutDword(out, s.fccHandler);
    PutDword(out, 0);  // flags
    PutWord(out, 0);   // priority
    PutWord(out, 0);   // language
    PutDword(out, 0);  // initial frames
    PutDword(out, s.scale);
    PutDword(out, s.rate);
    PutDword(out, 0);  // start
    PutDword(out, s.length);
    PutDword(out, s.suggestedBufferSize > s.largestChunk ? s.suggestedBufferSize : s.largestChunk);
    PutDword(out, s.quality);
    PutDword(out, s.sampleSize);
    PutWord(out, static_cast<WORD>(s.frame.left));
    PutWord(out, static_cast<WORD>(s.frame.top));
    PutWord(out, static_cast<WORD>(s.frame.right));
    PutWord(out, static_cast<WORD>(s.frame.bottom));
    EndChunk(out, strh);
    size_t strf = BeginChunk(out, "strf");
    out.insert(out.end(), s.format.begin(), s.format.end());
    EndChunk(out, strf);
    EndChunk(out, strl);
  }
  EndChunk(out, hdrl);
  return out;
}

bool AviRiffWriter::WriteHeaders() {
  std::vector<BYTE> list = BuildHeaderList();
  constexpr size_t kRiffHeader = 12;
  if (kRiffHeader + list.size() + 8 > kMoviListOffset) return false;
  DWORD junk = static_cast<DWORD>(kMoviListOffset - kRiffHeader - list.size() - 8);
  PutFourcc(list, "JUNK");
  PutDword(list, junk);
  list.resize(list.size() + junk, 0);
  return std::fseek(file_, static_cast<long>(kRiffHeader), SEEK_SET) == 0 &&
         WriteAll(file_, list.data(), list.size());
}

bool AviRiffWriter::Finish() {
  if (!file_) return false;
  // After a failed write (a full disk) the chunks before it are kept: the
  // file is cut back to them and still gets its index and headers, so what
  // was written stays playable; the write itself reported its failure.
  bool ok = true;
  std::clearerr(file_);
  bool cut = ::ftruncate(::fileno(file_), static_cast<off_t>(moviEnd_)) == 0;
  std::vector<BYTE> idx;
  size_t at = BeginChunk(idx, "idx1");
  for (const IndexEntry& e : index_) {
    PutDword(idx, e.chunkId);
    PutDword(idx, e.flags);
    PutDword(idx, e.offset);
    PutDword(idx, e.size);
  }
  EndChunk(idx, at);
  hasIndex_ = cut && std::fseek(file_, static_cast<long>(moviEnd_), SEEK_SET) == 0 &&
              WriteAll(file_, idx.data(), idx.size());
  ULONGLONG fileEnd = moviEnd_ + idx.size();
  if (!hasIndex_) {
    // Players find the chunks without an index by walking 'movi'.
    ok = false;
    std::clearerr(file_);
    if (::ftruncate(::fileno(file_), static_cast<off_t>(moviEnd_)) != 0) ok = false;
    fileEnd = moviEnd_;
  }
  ok = WriteHeaders() && WriteDwordAt(file_, 4, static_cast<DWORD>(fileEnd - 8)) &&
       WriteDwordAt(file_, static_cast<long>(kMoviListOffset + 4), static_cast<DWORD>(moviEnd_ - kMoviListOffset - 8)) &&
       ok;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  return ok;
}

}  // namespace compat
