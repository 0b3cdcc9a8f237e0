// The metafile calls: enhanced metafiles made from file bytes or from a
// Windows metafile, their header and palette, playback and deletion.
#include <algorithm>
#include <mutex>
#include <set>

#include "compat/win32/gdi_internal.h"
#include "compat/win32/metafile_internal.h"

namespace compat::metafile {

namespace {

constexpr size_t kHeaderBytes = sizeof(ENHMETAHEADER);
constexpr uint32_t kEmrEof = 14;
constexpr size_t kWindowsHeaderBytes = 18;
constexpr double kMillimetresPerInch = 25.4;

std::mutex& TableMutex() {
  static std::mutex m;
  return m;
}
std::set<Metafile*>& Table() {
  static std::set<Metafile*> table;
  return table;
}

HENHMETAFILE Register(std::unique_ptr<Metafile> mf) {
  std::lock_guard lock(TableMutex());
  Metafile* raw = mf.release();
  Table().insert(raw);
  return reinterpret_cast<HENHMETAFILE>(raw);
}

// The palette an enhanced metafile carries in its end-of-file record.
std::vector<PALETTEENTRY> ReadPalette(const Bytes& all, const ENHMETAHEADER& h) {
  std::vector<PALETTEENTRY> out;
  if (h.nPalEntries == 0) return out;
  size_t pos = 0;
  while (all.Has(pos, 8)) {
    uint32_t type = 0, size = 0;
    all.U32(pos, &type);
    all.U32(pos + 4, &size);
    if (size < 8 || size % 4 != 0 || !all.Has(pos, size)) break;
    if (type == kEmrEof) {
      Bytes rec = all.Sub(pos, size);
      uint32_t count = 0, offset = 0;
      if (!rec.U32(8, &count) || !rec.U32(12, &offset) || count == 0 || count > 0xFFFF ||
          !rec.Has(offset, size_t{count} * 4))
        break;
      out.resize(count);
      std::memcpy(out.data(), rec.Data() + offset, size_t{count} * 4);
      break;
    }
    pos += size;
  }
  return out;
}

}  // namespace

Metafile* Lookup(HENHMETAFILE handle) {
  std::lock_guard lock(TableMutex());
  auto* mf = reinterpret_cast<Metafile*>(handle);
  return Table().count(mf) ? mf : nullptr;
}

}  // namespace compat::metafile

using namespace compat::metafile;

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* bits) {
  if (!bits || size < 88) return nullptr;
  Bytes all(bits, size);
  ENHMETAHEADER h{};
  uint32_t headerSize = 0;
  all.U32(4, &headerSize);
  // Older writers end the header at the device size (88 bytes) or before the
  // micrometre size (100 bytes); what is missing stays zero.
  size_t known = std::min<size_t>({headerSize, kHeaderBytes, size});
  std::memcpy(&h, bits, known);
  if (h.iType != EMR_HEADER || h.dSignature != ENHMETA_SIGNATURE || headerSize < 88 ||
      headerSize > size || headerSize % 4 != 0)
    return nullptr;
  if (h.nBytes < headerSize || h.nBytes > size) return nullptr;
  auto mf = std::make_unique<Metafile>();
  mf->bytes.assign(bits, bits + h.nBytes);
  mf->header = h;
  mf->palette = ReadPalette(Bytes(mf->bytes.data(), mf->bytes.size()), h);
  mf->header.nPalEntries = static_cast<DWORD>(mf->palette.size());
  return Register(std::move(mf));
}

HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* bits, HDC, const METAFILEPICT* pict) {
  if (!bits || size < kWindowsHeaderBytes) return nullptr;
  Bytes all(bits, size);
  uint16_t type = 0, headerWords = 0;
  all.U16(0, &type);
  all.U16(2, &headerWords);
  if ((type != 1 && type != 2) || headerWords != kWindowsHeaderBytes / 2) return nullptr;
  auto mf = std::make_unique<Metafile>();
  mf->bytes.assign(bits, bits + size);
  mf->windows = true;
  ENHMETAHEADER& h = mf->header;
  h.iType = EMR_HEADER;
  h.nSize = kHeaderBytes;
  h.dSignature = ENHMETA_SIGNATURE;
  h.nVersion = 0x10000;
  h.nBytes = size;
  h.szlDevice = SIZEL{96 * 1000, 96 * 1000};
  h.szlMillimeters = SIZEL{static_cast<LONG>(kMillimetresPerInch * 1000), static_cast<LONG>(kMillimetresPerInch * 1000)};
  // The picture's extents, in hundredths of a millimetre, give the frame;
  // the bounds are the same at 96 pixels an inch.
  if (pict && pict->xExt > 0 && pict->yExt > 0) {
    h.rclFrame = RECT{0, 0, pict->xExt, pict->yExt};
    h.rclBounds = RECT{0, 0, static_cast<LONG>(pict->xExt * 96.0 / 2540), static_cast<LONG>(pict->yExt * 96.0 / 2540)};
  }
  uint16_t objects = 0;
  all.U16(10, &objects);
  h.nHandles = objects;
  return Register(std::move(mf));
}

UINT GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT size, LPENHMETAHEADER out) {
  Metafile* mf = Lookup(hemf);
  if (!mf) return 0;
  if (!out) return kHeaderBytes;
  UINT n = std::min<UINT>(size, kHeaderBytes);
  std::memcpy(out, &mf->header, n);
  return n;
}

UINT GetEnhMetaFilePaletteEntries(HENHMETAFILE hemf, UINT count, LPPALETTEENTRY out) {
  Metafile* mf = Lookup(hemf);
  if (!mf) return GDI_ERROR;
  if (!out) return static_cast<UINT>(mf->palette.size());
  UINT n = std::min<UINT>(count, static_cast<UINT>(mf->palette.size()));
  std::copy_n(mf->palette.begin(), n, out);
  return n;
}

BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE hemf, const RECT* rect) {
  Metafile* mf = Lookup(hemf);
  if (!mf || !rect || !compat::gdi::GetDc(hdc)) return FALSE;
  // The rectangle is logical; the player works in the DC's device pixels.
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  LPtoDP(hdc, corners, 2);
  RECT device{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return mf->windows ? PlayWindows(hdc, *mf, device) : PlayEnhanced(hdc, *mf, device);
}

BOOL DeleteEnhMetaFile(HENHMETAFILE hemf) {
  std::unique_ptr<Metafile> owned;
  {
    std::lock_guard lock(TableMutex());
    auto* mf = reinterpret_cast<Metafile*>(hemf);
    if (!Table().erase(mf)) return FALSE;
    owned.reset(mf);
  }
  return TRUE;
}
