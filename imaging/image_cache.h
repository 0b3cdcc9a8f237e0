// CImageCache: the last decoded pictures, keyed by path, the file's
// last-write time and its size, shared by every CImageFile of the process.
#pragma once

#include <mutex>
#include <vector>

#include "compat/afx.h"

class CImageCache {
public:
  static constexpr int kEntries = 5;

  // What tells one version of a file from another.
  struct FileStamp {
    unsigned long long written = 0;  // last-write time, 100-ns units
    unsigned long long size = 0;
    bool operator==(const FileStamp&) const = default;
  };

  // Index of the entry holding this unchanged file, or -1.
  int Find(const CString& path);
  bool GetInfo(const CString& path, LONG* originX, LONG* originY, LONG* width, LONG* height);
  // Copies the entry's pixels; false when the path is not cached or when the
  // caller's size is not the cached picture's.
  bool CopyPixels(const CString& path, DWORD* pixels, LONG width, LONG height);
  // Keeps a copy of the pixels; the result is whether the file's status could
  // be read.
  bool Store(const CString& path, const DWORD* pixels, LONG width, LONG height);

private:
  struct Entry {
    FileStamp stamp;
    LONG originX = 0, originY = 0;
    LONG width = 0, height = 0;
    CString path;
    std::vector<DWORD> pixels;
  };
  int FindLocked(const CString& path);

  // The interface thread and the export's render thread both load pictures.
  std::mutex m_lock;
  Entry m_entries[kEntries];
};

CImageCache& GetImageCache();
