// Test helpers for archive records: store an object into bytes, build
// expected bytes word by word, and load bytes back (reporting the cause of
// a refused record).
#pragma once

#include <cstring>
#include <vector>

#include "compat/afx.h"

class RecordBytes {
 public:
  RecordBytes& Int(int v) { return Raw(&v, 4); }
  RecordBytes& Float(float v) { return Raw(&v, 4); }
  RecordBytes& Point(float x, float y) { return Float(x).Float(y); }
  const std::vector<BYTE>& bytes() const { return m_bytes; }

 private:
  RecordBytes& Raw(const void* p, size_t n) {
    const BYTE* b = static_cast<const BYTE*>(p);
    m_bytes.insert(m_bytes.end(), b, b + n);
    return *this;
  }
  std::vector<BYTE> m_bytes;
};

template <class T>
std::vector<BYTE> StoreRecord(T& object) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    object.Serialize(ar);
  }
  std::vector<BYTE> bytes(file.GetLength());
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// -1 when the record loaded, else the archive exception's cause.
template <class T>
int LoadRecord(const std::vector<BYTE>& bytes, T& object) {
  std::vector<BYTE> copy(bytes);
  CMemFile file(copy.empty() ? nullptr : copy.data(), static_cast<UINT>(copy.size()));
  CArchive ar(&file, CArchive::load);
  try {
    object.Serialize(ar);
  } catch (CArchiveException* e) {
    const int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}
