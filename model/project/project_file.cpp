// The project file: the project record with its fills and pairs, Open and
// Save. A load reads the whole record aside and takes it only when all of it
// was read and checked; a save writes a temporary file beside the target and
// renames it over the target only when everything was written.
#include "model/project/morph_project.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "compat/afx/archive.h"
#include "compat/win32.h"
#include "model/project/morph_pair.h"
#include "model/project/project_links.h"
#include "model/project/record_checks.h"
#include "model/project/undo_history.h"

namespace {

constexpr DWORD kMaxTempPath = 4096;

[[noreturn]] void Refuse() { AfxThrowArchiveException(CArchiveException::badIndex); }

bool HasProjectEnding(const CString& path) {
  CString ending = path.Right(3);
  ending.MakeLower();
  return ending == u"pvk";
}

// A fresh, empty file in the target's folder, so the rename stays on one
// volume and replaces the target in one step.
bool MakeTempBeside(const CString& path, CString& temp) {
  const int slash = path.ReverseFind(u'\\');
  const CString folder = slash >= 0 ? path.Left(slash) : CString(u".");
  TCHAR name[kMaxTempPath] = {};
  if (GetTempFileNameW(folder, u"pvk", 0, name) == 0) {
    // No such folder: for the user the path is not found.
    if (GetLastError() == ERROR_DIRECTORY) SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  temp = name;
  return true;
}

// The folder's entry for the renamed file reaches the disk too, so a power
// cut after the save leaves the new file or the old one, never neither.
void FlushFolderOf(const CString& path) {
  const int slash = path.ReverseFind(u'\\');
  const CString folder = slash > 0 ? path.Left(slash) : slash == 0 ? CString(u"\\") : CString(u".");
  HANDLE handle = CreateFileW(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(handle);
  CloseHandle(handle);
}

// A project that already exists keeps its permissions: the new file takes
// the old one's place rather than arriving with default ones.
bool PutInPlace(const CString& temp, const CString& path) {
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
    return ReplaceFileW(path, temp, nullptr, 0, nullptr, nullptr) != FALSE;
  return MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace

struct CMorphProject::Record {
  Record() = default;
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() {
    for (CMorphPair* pair : pairs) delete pair;
  }

  std::vector<CMorphPair*> pairs;
  int reserved = 1, current = 0, width = 256, height = 256;
  CFillStyle foreground, background;
};

int CMorphProject::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    if (CEditorLink* editor = GetEditorLink()) editor->StopPlayback();
    StoreRecord(ar);
    return 1;
  }
  Record record;
  LoadRecord(ar, record);
  // Only a whole record replaces the project: until here a refusal leaves
  // the open project and its playback as they were.
  if (CEditorLink* editor = GetEditorLink()) editor->StopPlayback();
  SwapRecord(record);
  try {
    AfterLoad();
  } catch (...) {
    // Any failure while the new project is set up (out of memory, a file
    // error the renderer meets): the earlier project, whose pictures are
    // still held, comes back whole and the open fails.
    SwapRecord(record);
    try {
      AfterLoad(false);
    } catch (CException* e) {
      e->Delete();
    } catch (...) {
    }
    throw;
  }
  // The history belongs to the project that was open until now; it stays
  // with that project when the new one cannot be taken.
  CComandmanger::Get()->Clear();
  return 1;
}

void CMorphProject::StoreRecord(CArchive& ar) {
  ar << static_cast<DWORD>(m_pairs.GetSize()) << static_cast<DWORD>(m_editMode) << m_reserved << m_current;
  ar << m_width << m_height;
  m_foreground.Serialize(ar);
  m_background.Serialize(ar);
  for (int i = 0; i < m_pairs.GetSize(); ++i) m_pairs[i]->Serialize(ar);
}

void CMorphProject::LoadRecord(CArchive& ar, Record& record) {
  int count = 0, storedMode = 0, current = 0;
  ar >> count >> storedMode >> record.reserved >> current >> record.width >> record.height;
  // The stored edit mode is not taken: the editor keeps its own.
  if (count < 1 || count > kMaxPairs) Refuse();
  const int width = record.width, height = record.height;
  if (width < 1 || height < 1 || width > kMaxStoredOutputSide || height > kMaxStoredOutputSide) Refuse();
  record.foreground.Serialize(ar);
  record.background.Serialize(ar);
  // Pairs are made as their records arrive, so a huge count in a short file
  // makes few of them. Bytes after the last pair are not read: they are not
  // part of the project, and the next save does not write them.
  for (int i = 0; i < count; ++i) {
    record.pairs.push_back(nullptr);
    record.pairs.back() = new CMorphPair;
    record.pairs.back()->Serialize(ar);
  }
  // Every outline of the file was laid out for the file's output size.
  for (CMorphPair* pair : record.pairs)
    for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()})
      slot->m_layout = SIZE{record.width, record.height};
  record.current = current < 0 ? 0 : current >= count ? count - 1 : current;
}

// Exchanges the project's pairs and stored settings with the record's.
void CMorphProject::SwapRecord(Record& record) {
  std::vector<CMorphPair*> pairs(m_pairs.GetData(), m_pairs.GetData() + m_pairs.GetSize());
  m_pairs.RemoveAll();
  for (CMorphPair* pair : record.pairs) m_pairs.Add(pair);
  record.pairs = std::move(pairs);
  std::swap(m_reserved, record.reserved);
  std::swap(m_current, record.current);
  std::swap(m_width, record.width);
  std::swap(m_height, record.height);
  CFillStyle fill;
  fill = m_foreground;
  m_foreground = record.foreground;
  record.foreground = fill;
  fill = m_background;
  m_background = record.background;
  record.background = fill;
}

void CMorphProject::AfterLoad(bool reloadPictures) {
  if (CRendererLink* renderer = GetRendererLink()) renderer->SetFills(m_background, m_foreground);
  ResizeSurfaces();
  if (reloadPictures)
    for (int i = 0; i < m_pairs.GetSize(); ++i) m_pairs[i]->ReloadImages();
  RenderPair(CurrentPair());
  if (CEditorLink* editor = GetEditorLink()) {
    editor->RefreshPanel();
    editor->RefreshTimeline();
  }
}

BOOL CMorphProject::LoadProjectFile(LPCTSTR path) {
  if (path == nullptr || !HasProjectEnding(CString(path))) return FALSE;
  BOOL loaded = FALSE;
  try {
    CFile file(path, CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    try {
      Serialize(ar);
      ar.Close();
      loaded = TRUE;
    } catch (...) {
      ar.Abort();
      throw;
    }
  } catch (CException* e) {
    e->Delete();
  } catch (const std::bad_alloc&) {
    // Out of memory is a failed open like any other.
  }
  // The record is read aside and taken only when whole, so a file that
  // could not be read leaves the open project untouched.
  return loaded;
}

BOOL CMorphProject::SaveProjectFile(LPCTSTR path) {
  if (path == nullptr) return FALSE;
  CString temp;
  if (!MakeTempBeside(CString(path), temp)) return FALSE;
  BOOL written = FALSE;
  try {
    CFile file(temp, CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&file, CArchive::store);
    try {
      Serialize(ar);
      ar.Close();
      // On the disk before it replaces the target: a rename that outlives a
      // power cut must not bring a short file.
      file.Flush();
      file.Close();
      written = TRUE;
    } catch (...) {
      ar.Abort();
      file.Abort();
      throw;
    }
  } catch (CException* e) {
    // The cause stays the thread's last error, for the caller's message.
    if (auto* file = dynamic_cast<CFileException*>(e); file && file->m_lOsError != -1)
      SetLastError(static_cast<DWORD>(file->m_lOsError));
    e->Delete();
  }
  if (written && PutInPlace(temp, CString(path))) {
    FlushFolderOf(CString(path));
    return TRUE;
  }
  const DWORD error = GetLastError();
  DeleteFileW(temp);
  SetLastError(error);
  return FALSE;
}
