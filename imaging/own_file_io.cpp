// Whole-file reads and writes for the own BMP and TGA files.
#include "imaging/own_file_io.h"

#include "compat/win32.h"
#include "platform/replacing_file.h"

namespace ownfile {

namespace {
// Files larger than any picture we accept are not read whole.
constexpr DWORD kMaxFileBytes = 0x7FFFFFF0;

// The framework's file throws on a read error (a failing disk or mount);
// for the readers that is a file that cannot be read, and says so as a result.
template <class Read>
bool ReadCatching(LPCTSTR path, Read read) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::typeBinary | CFile::shareDenyNone)) return false;
  bool done = false;
  try {
    done = read(file);
  } catch (CException* e) {
    e->Delete();
  }
  file.Abort();
  return done;
}

}  // namespace

bool PixelCountFits(LONG width, LONG height) {
  return width > 0 && height > 0 &&
         static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4 <= kMaxPixelBytes;
}

bool ReadWholeFile(LPCTSTR path, std::vector<BYTE>& bytes) {
  return ReadCatching(path, [&bytes](CFile& file) {
    const DWORD length = file.GetLength();
    if (length > kMaxFileBytes) return false;
    bytes.resize(length);
    bytes.resize(length ? file.Read(bytes.data(), length) : 0);
    return true;
  });
}

bool ReadFilePrefix(LPCTSTR path, UINT count, std::vector<BYTE>& bytes) {
  return ReadCatching(path, [count, &bytes](CFile& file) {
    bytes.resize(count);
    bytes.resize(count ? file.Read(bytes.data(), count) : 0);
    return true;
  });
}

bool WriteWholeFile(LPCTSTR path, const std::vector<BYTE>& bytes) {
  // A read-only file is not replaced; the writers refuse it as they always have.
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  // Through a file beside the target: a full disk leaves the earlier file, or none.
  return WriteFileReplacing(path, bytes.data(), static_cast<UINT>(bytes.size())) != FALSE;
}

}  // namespace ownfile
