// Undo and redo of the current pair's geometry: snapshots of the pair
// (selection, both slots' lines and outlines, timing curve) kept in two
// rings of temporary files, each edit recorded before and after.
#pragma once

#include <memory>
#include <vector>

#include "compat/afx.h"

class CWnd;

// One temporary file of a ring and the end offset of every record in it.
class CHistoryFile {
 public:
  CHistoryFile();
  ~CHistoryFile();
  CHistoryFile(const CHistoryFile&) = delete;

  int GetRecordCount() const { return static_cast<int>(m_ends.size()); }
  DWORD GetEnd() const { return m_ends.empty() ? 0 : m_ends.back(); }
  void Append(const BYTE* bytes, DWORD n);
  // Takes the last record off the file.
  std::vector<BYTE> TakeLast();
  void Truncate();
  const CString& GetPath() const { return m_path; }

 private:
  CString m_path;
  CFile m_file;
  std::vector<DWORD> m_ends;
};

class CHistoryRing {
 public:
  static constexpr DWORD kMaxFileBytes = 0x600000;

  explicit CHistoryRing(int files);
  BOOL IsEmpty() const { return m_empty; }
  void Push(const std::vector<BYTE>& bytes);
  BOOL Pop(std::vector<BYTE>& bytes);
  void Clear();
  int GetCurrentFile() const { return m_current; }
  const CHistoryFile& FileAt(int i) const { return *m_files[i]; }
  int GetFileCount() const { return static_cast<int>(m_files.size()); }

 private:
  std::vector<std::unique_ptr<CHistoryFile>> m_files;
  int m_current = 0;
  BOOL m_empty = TRUE;
};

// One snapshot of the current pair; constructing it records the pair.
class CUndoScope {
 public:
  // Record tags: the pair snapshot alone, or followed by the pictures'
  // paths, clips and colour adjustments (around a swap of the pictures).
  static constexpr DWORD kSnapshotRecord = 0;
  static constexpr DWORD kPicturesRecord = 1;

  // keepRedo 0 before an edit (a new edit ends the redo history), 1 after.
  CUndoScope(CWnd* window, int keepRedo, DWORD tag = kSnapshotRecord);
  virtual ~CUndoScope() = default;
  virtual void OnUndo();
  virtual void OnRedo();
  void Serialize(CArchive& ar);

  DWORD m_tag = kSnapshotRecord;

 protected:
  CUndoScope() = default;
  friend std::unique_ptr<CUndoScope> ReadHistoryRecord(CArchive& ar);
};

// The record in the bytes, restored into the current pair; null for a
// record of another class.
std::unique_ptr<CUndoScope> ReadHistoryRecord(CArchive& ar);

class CComandmanger {
 public:
  static constexpr int kRingFiles = 8;

  static CComandmanger* Get();
  static void Destroy();

  int RecordState(CUndoScope* record, int keepRedo);
  int Undo();
  int Redo();
  void Clear();

  CHistoryRing& GetUndoRing() { return m_undo; }
  CHistoryRing& GetRedoRing() { return m_redo; }

 private:
  CComandmanger() : m_undo(kRingFiles), m_redo(kRingFiles) {}
  int Step(CHistoryRing& from, CHistoryRing& to, bool undo);

  CHistoryRing m_undo;
  CHistoryRing m_redo;
};
