// Whole-file reads and writes for the own BMP and TGA files.
#include "imaging/own_file_io.h"

namespace ownfile {

namespace {
// Files larger than any picture we accept are not read whole.
constexpr DWORD kMaxFileBytes = 0x7FFFFFF0;
}  // namespace

bool PixelCountFits(LONG width, LONG height) {
  return width > 0 && height > 0 &&
         static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4 <= kMaxPixelBytes;
}

bool ReadWholeFile(LPCTSTR path, std::vector<BYTE>& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::typeBinary | CFile::shareDenyNone)) return false;
  DWORD length = file.GetLength();
  if (length > kMaxFileBytes) return false;
  bytes.resize(length);
  UINT got = length ? file.Read(bytes.data(), length) : 0;
  bytes.resize(got);
  file.Abort();
  return true;
}

bool ReadFilePrefix(LPCTSTR path, UINT count, std::vector<BYTE>& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::typeBinary | CFile::shareDenyNone)) return false;
  bytes.resize(count);
  bytes.resize(count ? file.Read(bytes.data(), count) : 0);
  file.Abort();
  return true;
}

bool WriteWholeFile(LPCTSTR path, const std::vector<BYTE>& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) return false;
  try {
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.Close();
  } catch (CException* e) {
    e->Delete();
    file.Abort();
    return false;
  }
  return true;
}

}  // namespace ownfile
