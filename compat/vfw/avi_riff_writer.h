// Lays out a plain AVI file: RIFF 'AVI ' with the stream headers in front,
// the samples in 'movi' as they come, and the 'idx1' index at the end.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "compat/vfw.h"
#include "compat/win32/types.h"

namespace compat {

struct AviStreamLayout {
  DWORD fccType = 0;
  DWORD fccHandler = 0;
  DWORD scale = 1;
  DWORD rate = 1;
  DWORD quality = 0xFFFFFFFF;
  DWORD sampleSize = 0;
  DWORD suggestedBufferSize = 0;
  RECT frame = {0, 0, 0, 0};
  std::vector<BYTE> format;  // the 'strf' payload
  DWORD length = 0;          // samples written
  DWORD largestChunk = 0;
};

class AviRiffWriter {
 public:
  // Streams and formats are limited so that the headers always fit in front
  // of 'movi', whose position is fixed before the first sample is written.
  static constexpr int kMaxStreams = 4;
  static constexpr size_t kMaxFormatBytes = 1024;

  AviRiffWriter() = default;
  ~AviRiffWriter();
  AviRiffWriter(const AviRiffWriter&) = delete;
  AviRiffWriter& operator=(const AviRiffWriter&) = delete;

  bool Open(const std::string& hostPath);
  int AddStream(const AviStreamLayout& layout);  // -1 when full
  AviStreamLayout* Stream(int index);
  int StreamCount() const { return static_cast<int>(streams_.size()); }

  // Appends one chunk ("NNdb", "NNdc", "NNtx" …) for stream `index`.
  bool WriteChunk(int index, DWORD chunkId, const void* data, DWORD size, DWORD flags);
  // Writes the index, fills in the headers and closes the file; true when
  // the file is whole with every chunk written before a failed one.
  bool Finish();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  struct IndexEntry {
    DWORD chunkId, flags, offset, size;
  };
  bool WriteHeaders();
  std::vector<BYTE> BuildHeaderList() const;

  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool hasIndex_ = true;
  std::vector<AviStreamLayout> streams_;
  std::vector<IndexEntry> index_;
  ULONGLONG moviEnd_ = 0;  // file position after the last chunk
  ULONGLONG maxFileBytes_ = kMaxAviFileBytes;
};

}  // namespace compat
