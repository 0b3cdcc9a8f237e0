// Swatch files through the framework's archive with a 4096-byte buffer.
#include "ui/swatch_file.h"

#include <cstdlib>

#include "platform/program_folder.h"
#include "platform/replacing_file.h"

namespace {

constexpr int kArchiveBufferBytes = 4096;

// Opens `path` for a whole-file read; FALSE when it is not there.
BOOL OpenForReading(LPCTSTR path, CFile& file) {
  return _waccess(path, 0) == 0 && file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary);
}

// Reads the count and the records; the count may only claim as many records
// as the bytes after it could hold, and the list grows as records arrive, so
// a damaged count never sizes anything.
void ReadSwatchRecords(CFile& file, CSwatchArray& swatches) {
  CArchive ar(&file, CArchive::load, kArchiveBufferBytes);
  DWORD count = 0;
  ar >> count;
  const DWORD length = file.GetLength();
  const DWORD recordBytes = length >= sizeof(DWORD) ? length - sizeof(DWORD) : 0;
  if (count > recordBytes / kMinFillRecordBytes) AfxThrowArchiveException(CArchiveException::badIndex);
  for (DWORD i = 0; i < count; ++i) {
    CFillStyle fill;
    fill.Serialize(ar);
    swatches.push_back(fill);
  }
}

// The records go to memory first and then to the disk as one whole file
// beside the target, renamed over it: a full disk keeps the earlier file.
// The user hears of a failure once per file and run.
template <class Write>
BOOL WriteWholeFile(LPCTSTR path, Write write) {
  CreateDirectoryW(GetDataFolder(), nullptr);  // an existing folder is fine
  CMemFile memory;
  try {
    CArchive ar(&memory, CArchive::store, kArchiveBufferBytes);
    write(ar);
    ar.Close();
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
  const UINT length = static_cast<UINT>(memory.GetLength());
  BYTE* bytes = memory.Detach();
  const BOOL written = WriteFileReplacing(path, bytes, length);
  std::free(bytes);
  if (!written) ReportWriteFailureOnce(path);
  return written;
}

}  // namespace

CString SwatchFilePath(LPCTSTR fileName) { return GetDataFolder() + fileName; }

BOOL ReadSwatchFile(LPCTSTR path, CSwatchArray& swatches) {
  swatches.clear();
  CFile file;
  if (!OpenForReading(path, file)) return FALSE;
  try {
    ReadSwatchRecords(file, swatches);
  } catch (CException* e) {
    e->Delete();
    swatches.clear();
    return FALSE;
  }
  return TRUE;
}

BOOL WriteSwatchFile(LPCTSTR path, const CSwatchArray& swatches) {
  return WriteWholeFile(path, [&](CArchive& ar) {
    ar << static_cast<DWORD>(swatches.size());
    for (const CFillStyle& fill : swatches) const_cast<CFillStyle&>(fill).Serialize(ar);
  });
}

BOOL ReadFillFile(LPCTSTR path, CFillStyle& fill) {
  CFile file;
  if (!OpenForReading(path, file)) return FALSE;
  CFillStyle read;
  try {
    CArchive ar(&file, CArchive::load, kArchiveBufferBytes);
    read.Serialize(ar);
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
  fill = read;
  return TRUE;
}

BOOL WriteFillFile(LPCTSTR path, const CFillStyle& fill) {
  return WriteWholeFile(path, [&](CArchive& ar) { const_cast<CFillStyle&>(fill).Serialize(ar); });
}
