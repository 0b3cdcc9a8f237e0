// CImageCache: the last decoded pictures, keyed by path, the file's
// last-write time and its size, shared by every CImageFile of the process.
#pragma once

#include <mutex>
#include <vector>

#include "compat/afx.h"

class CImageCache {
public:
  static constexpr int kEntries = 5;
  // Larger pictures are not kept: a cached copy of a camera photo, let alone
  // of a 16384-pixel picture, would cost more than decoding it again saves.
  // Reduced pictures (slots keep theirs within 1024 a side) always fit.
  static constexpr long long kMaxPixels = 2048LL * 2048;

  // What tells one version of a file from another.
  struct FileStamp {
    unsigned long long written = 0;  // last-write time, 100-ns units
    unsigned long long size = 0;
    bool operator==(const FileStamp&) const = default;
  };

  // Index of the entry holding this unchanged file, or -1.
  int Find(const CString& path);
  // The picture's own size, whatever size its pixels were kept at.
  bool GetInfo(const CString& path, LONG* originX, LONG* originY, LONG* width, LONG* height);
  // Copies the pixels of an entry of this file kept at the caller's size;
  // false when there is none.
  bool CopyPixels(const CString& path, DWORD* pixels, LONG width, LONG height);
  // Keeps a copy of the pixels, width x height, of a picture whose own size
  // is pictureWidth x pictureHeight (0: the same). The result is whether the
  // file's status could be read; pixels above kMaxPixels are not kept (false).
  bool Store(const CString& path, const DWORD* pixels, LONG width, LONG height, LONG pictureWidth = 0,
             LONG pictureHeight = 0);

private:
  struct Entry {
    FileStamp stamp;
    LONG originX = 0, originY = 0;
    LONG width = 0, height = 0;                // of the pixels kept
    LONG pictureWidth = 0, pictureHeight = 0;  // of the picture in the file
    CString path;
    std::vector<DWORD> pixels;
  };
  // The first entry of this unchanged file, of pixels width x height when
  // width is above 0.
  int FindLocked(const CString& path, LONG width = 0, LONG height = 0);

  // The interface thread and the export's render thread both load pictures.
  std::mutex m_lock;
  Entry m_entries[kEntries];
};

CImageCache& GetImageCache();
