// The history files, their rings, the snapshot records and the manager.
#include "model/project/undo_history.h"

#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"

namespace {

constexpr DWORD kTempPathChars = 4096;
constexpr UINT kRecordBufferGrowth = 4096;

CComandmanger* g_manager = nullptr;

void Refresh() {
  if (CEditorLink* editor = GetEditorLink()) editor->PairChanged(0);
}

std::vector<BYTE> StoreBytes(CUndoScope* record) {
  CMemFile file(kRecordBufferGrowth);
  {
    CArchive ar(&file, CArchive::store);
    record->Serialize(ar);
    ar.Close();
  }
  std::vector<BYTE> bytes(file.GetLength());
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Reads and restores; a record that cannot be read (a damaged history
// file) restores nothing, and the user is told.
std::unique_ptr<CUndoScope> RestoreBytes(std::vector<BYTE>& bytes) {
  CMemFile file(bytes.empty() ? nullptr : bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  try {
    return ReadHistoryRecord(ar);
  } catch (CException* e) {
    e->Delete();
  }
  if (CEditorLink* editor = GetEditorLink())
    editor->ShowMessage(u"This step of the history is damaged and was not restored.");
  return nullptr;
}

}  // namespace

// --- history file ---

// Files of earlier runs are not searched for and deleted: other programs use
// the same prefix in the same folder, and ours are removed when we close.
CHistoryFile::CHistoryFile() {
  TCHAR folder[kTempPathChars] = {};
  TCHAR name[kTempPathChars] = {};
  if (GetTempPathW(kTempPathChars, folder) == 0 || GetTempFileNameW(folder, u"LD", 0, name) == 0)
    AfxThrowFileException(CFileException::genericException);
  m_path = name;
  CFileException* error = nullptr;
  if (!m_file.Open(m_path, CFile::modeCreate | CFile::modeReadWrite, error))
    AfxThrowFileException(CFileException::genericException, -1, m_path);
}

CHistoryFile::~CHistoryFile() {
  m_file.Abort();
  DeleteFileW(m_path);
}

void CHistoryFile::Append(const BYTE* bytes, DWORD n) {
  m_file.Seek(static_cast<LONG>(GetEnd()), CFile::begin);
  m_file.Write(bytes, n);
  m_ends.push_back(GetEnd() + n);
}

std::vector<BYTE> CHistoryFile::TakeLast() {
  const DWORD end = GetEnd();
  m_ends.pop_back();
  const DWORD start = GetEnd();
  std::vector<BYTE> bytes(end - start);
  m_file.Seek(static_cast<LONG>(start), CFile::begin);
  if (!bytes.empty() && m_file.Read(bytes.data(), end - start) != end - start)
    AfxThrowFileException(CFileException::endOfFile, -1, m_path);
  m_file.SetLength(start);
  return bytes;
}

void CHistoryFile::Truncate() {
  m_file.SetLength(0);
  m_ends.clear();
}

// --- ring ---

CHistoryRing::CHistoryRing(int files) {
  for (int i = 0; i < files; ++i) m_files.push_back(std::make_unique<CHistoryFile>());
}

void CHistoryRing::Push(const std::vector<BYTE>& bytes) {
  const DWORD n = static_cast<DWORD>(bytes.size());
  CHistoryFile* file = m_files[m_current].get();
  // 64-bit sum: a record near 4 GiB must not wrap the test.
  if (file->GetRecordCount() > 0 && static_cast<uint64_t>(file->GetEnd()) + n > kMaxFileBytes) {
    // The oldest history is lost this way.
    m_current = (m_current + 1) % GetFileCount();
    file = m_files[m_current].get();
    file->Truncate();
  }
  file->Append(bytes.data(), n);
  m_empty = FALSE;
}

BOOL CHistoryRing::Pop(std::vector<BYTE>& bytes) {
  if (m_empty) return FALSE;
  CHistoryFile* file = m_files[m_current].get();
  if (file->GetRecordCount() == 0) {
    m_empty = TRUE;
    return FALSE;
  }
  bytes = file->TakeLast();
  if (file->GetRecordCount() == 0) {
    m_current = (m_current + GetFileCount() - 1) % GetFileCount();
    if (m_files[m_current]->GetRecordCount() == 0) m_empty = TRUE;
  }
  return TRUE;
}

void CHistoryRing::Clear() {
  if (m_empty) return;
  for (auto& file : m_files) file->Truncate();
  m_current = 0;
  m_empty = TRUE;
}

// --- records ---

CUndoScope::CUndoScope(CWnd* window, int keepRedo, DWORD tag) : m_tag(tag) {
  (void)window;  // the editor link carries the refresh
  CComandmanger::Get()->RecordState(this, keepRedo);
}

void CUndoScope::OnUndo() { Refresh(); }
void CUndoScope::OnRedo() { Refresh(); }

void CUndoScope::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    // The class tag, always 0, then the record's own tag.
    ar << DWORD{0} << m_tag;
    GetMorphProject()->CurrentPair()->SerializeSnapshot(ar);
    if (m_tag == kPicturesRecord) GetMorphProject()->CurrentPair()->SerializePictures(ar);
    return;
  }
  ar >> m_tag;
  if (m_tag != kSnapshotRecord && m_tag != kPicturesRecord) AfxThrowArchiveException(CArchiveException::badIndex);
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  CMorphPair::RestoredState kept;
  pair->KeepRestoredState(kept);
  try {
    pair->SerializeSnapshot(ar);
    if (m_tag == kPicturesRecord) pair->SerializePictures(ar);
  } catch (...) {
    pair->PutBackRestoredState(kept);
    throw;
  }
  Refresh();
}

std::unique_ptr<CUndoScope> ReadHistoryRecord(CArchive& ar) {
  DWORD classTag = 0;
  ar >> classTag;
  if (classTag != 0) return nullptr;
  std::unique_ptr<CUndoScope> record(new CUndoScope);
  record->Serialize(ar);
  return record;
}

// --- manager ---

CComandmanger* CComandmanger::Get() {
  if (g_manager == nullptr) g_manager = new CComandmanger;
  return g_manager;
}

void CComandmanger::Destroy() {
  delete g_manager;
  g_manager = nullptr;
}

int CComandmanger::RecordState(CUndoScope* record, int keepRedo) {
  m_undo.Push(StoreBytes(record));
  if (!keepRedo) m_redo.Clear();
  return 1;
}

int CComandmanger::Step(CHistoryRing& from, CHistoryRing& to, bool undo) {
  std::vector<BYTE> bytes;
  if (!from.Pop(bytes)) return 0;
  to.Push(bytes);
  RestoreBytes(bytes);
  // The edit's other snapshot: the before-state for undo, the after-state
  // for redo.
  if (!from.Pop(bytes)) return 0;
  to.Push(bytes);
  std::unique_ptr<CUndoScope> record = RestoreBytes(bytes);
  if (record) {
    if (undo)
      record->OnUndo();
    else
      record->OnRedo();
  }
  return 1;
}

int CComandmanger::Undo() { return Step(m_undo, m_redo, true); }
int CComandmanger::Redo() { return Step(m_redo, m_undo, false); }

void CComandmanger::Clear() {
  m_undo.Clear();
  m_redo.Clear();
}
