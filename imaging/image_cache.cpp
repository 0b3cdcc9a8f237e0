// The five-entry decoded-picture cache.
#include "imaging/image_cache.h"

#include <algorithm>

namespace {

// The file's last-write time in full precision and its size: a picture saved
// again within the same second still differs in one or the other.
bool StampOf(const CString& path, CImageCache::FileStamp* stamp) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION found;
  const BOOL known = GetFileInformationByHandle(file, &found);
  CloseHandle(file);
  if (!known) return false;
  stamp->written = (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                   found.ftLastWriteTime.dwLowDateTime;
  stamp->size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return true;
}

}  // namespace

int CImageCache::FindLocked(const CString& path, LONG width, LONG height) {
  for (int i = 0; i < kEntries; ++i) {
    if (m_entries[i].path.IsEmpty() || m_entries[i].path != path) continue;
    if (width > 0 && (m_entries[i].width != width || m_entries[i].height != height)) continue;
    FileStamp stamp;
    if (StampOf(path, &stamp) && stamp == m_entries[i].stamp) return i;
  }
  return -1;
}

int CImageCache::Find(const CString& path) {
  std::lock_guard<std::mutex> guard(m_lock);
  return FindLocked(path);
}

bool CImageCache::GetInfo(const CString& path, LONG* originX, LONG* originY, LONG* width, LONG* height) {
  std::lock_guard<std::mutex> guard(m_lock);
  int i = FindLocked(path);
  if (i < 0) return false;
  if (originX) *originX = m_entries[i].originX;
  if (originY) *originY = m_entries[i].originY;
  if (width) *width = m_entries[i].pictureWidth;
  if (height) *height = m_entries[i].pictureHeight;
  return true;
}

bool CImageCache::CopyPixels(const CString& path, DWORD* pixels, LONG width, LONG height) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!pixels || width <= 0 || height <= 0) return false;
  int i = FindLocked(path, width, height);
  if (i < 0) return false;
  std::copy(m_entries[i].pixels.begin(), m_entries[i].pixels.end(), pixels);
  return true;
}

bool CImageCache::Store(const CString& path, const DWORD* pixels, LONG width, LONG height, LONG pictureWidth,
                        LONG pictureHeight) {
  if (!pixels || width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) return false;
  std::lock_guard<std::mutex> guard(m_lock);
  // The first free entry; once all are taken, entry 0 is replaced.
  int slot = 0;
  for (int i = 0; i < kEntries; ++i)
    if (m_entries[i].path.IsEmpty()) {
      slot = i;
      break;
    }
  Entry& e = m_entries[slot];
  e.path = path;
  e.width = width;
  e.height = height;
  e.pictureWidth = pictureWidth > 0 ? pictureWidth : width;
  e.pictureHeight = pictureHeight > 0 ? pictureHeight : height;
  e.originX = e.originY = 0;
  e.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
  FileStamp stamp;
  if (!StampOf(path, &stamp)) return false;
  e.stamp = stamp;
  return true;
}

CImageCache& GetImageCache() {
  static CImageCache cache;
  return cache;
}
