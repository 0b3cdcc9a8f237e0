// The state a metafile's records change while they play: the page (mapping
// mode, window and viewport), the world transform, the object table and the
// font. Records draw through the GDI in their own logical coordinates: the
// canvas keeps the DC's world transform equal to world x page x playback.
#pragma once

#include <memory>
#include <vector>

#include "compat/win32/gdi_advanced.h"
#include "compat/win32/metafile_internal.h"

namespace compat::metafile {

// A packed DIB taken out of a record into aligned memory. The copy is always
// uncompressed with an RGB colour table: run-length rows are expanded and a
// table of palette indexes is resolved, so it can be drawn as DIB_RGB_COLORS.
struct DibCopy {
  std::vector<uint32_t> info;  // BITMAPINFO with its colour table
  std::vector<uint32_t> bits;
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
  int Width() const { return Info()->bmiHeader.biWidth; }
  int Height() const { return std::abs(Info()->bmiHeader.biHeight); }
  // Header, colours and rows in one block, as pattern brushes take them.
  std::vector<uint32_t> Packed() const;
};
// Checks a DIB header, its colour table and its rows against the bytes that
// hold them; `rows` limits the rows needed (0: all of them). A table of
// palette indexes (DIB_PAL_COLORS) names entries of the palette selected
// into `paletteDc`, as it does when the platform draws such a bitmap.
bool CopyDib(const Bytes& header, const Bytes& bits, UINT usage, UINT rows, HDC paletteDc,
             DibCopy* out);

// How a region record paints its region.
enum class RegionPaint { kFill, kFrame, kInvert, kPaint };

class MetafileCanvas {
 public:
  // `playback` carries the metafile's reference-device units onto the DC's
  // device pixels; `pixelsPerMm` is the reference device's, for the fixed
  // mapping modes.
  MetafileCanvas(HDC dc, const XFORM& playback, double pixelsPerMmX, double pixelsPerMmY,
                 size_t objectSlots);
  ~MetafileCanvas();
  MetafileCanvas(const MetafileCanvas&) = delete;
  MetafileCanvas& operator=(const MetafileCanvas&) = delete;

  bool Ready() const { return ready_; }
  HDC Dc() const { return dc_; }

  // --- page and world ---
  void SetMapMode(int mode);
  void SetWindowOrg(int x, int y);
  void SetWindowExt(int x, int y);
  void SetViewportOrg(int x, int y);
  void SetViewportExt(int x, int y);
  void OffsetWindowOrg(int dx, int dy);
  void OffsetViewportOrg(int dx, int dy);
  void ScaleWindowExt(int xn, int xd, int yn, int yd);
  void ScaleViewportExt(int xn, int xd, int yn, int yd);
  void SetWorld(const XFORM& xf);
  void ModifyWorld(const XFORM& xf, DWORD mode);
  void Save();
  void Restore(int relative);

  // --- objects ---
  size_t Slots() const { return objects_.size(); }
  // The lowest free slot (Windows metafiles fill slots in order), or -1.
  int FreeSlot() const;
  // Takes ownership of `h` (null keeps the slot taken but empty).
  void Store(size_t slot, HGDIOBJ h);
  void StoreFont(size_t slot, const LOGFONTW& lf);
  // A region object of a Windows metafile: its rectangles in logical units.
  void StoreRegion(size_t slot, std::vector<RECT> rects);
  // The rectangles of a region slot; null when the slot holds no region.
  const std::vector<RECT>* Region(DWORD index) const;
  // The slot index, or a stock object when the top bit is set.
  void Select(DWORD index);
  void Delete(DWORD index);
  HGDIOBJ Object(DWORD index) const;

  // --- drawing help ---
  // Text in device-sized glyphs of the selected font, dx widths logical.
  void Text(int x, int y, UINT options, const RECT* rect, const WCHAR* s, UINT count,
            const INT* dx);
  // A clip region in reference-device units (RGN_COPY also with none).
  void SelectClip(const std::vector<RECT>& rects, bool none, int mode);
  // A DIB of a record, with palette indexes resolved through this DC.
  bool Dib(const Bytes& header, const Bytes& bits, UINT usage, UINT rows, DibCopy* out) const {
    return CopyDib(header, bits, usage, rows, dc_, out);
  }
  // Fills, frames, inverts or paints a region given in logical units: its
  // rectangles go through the page and world transforms like any shape.
  // `brush` serves fill and frame; the frame is `w` x `h` logical units wide.
  void PaintRegion(const std::vector<RECT>& logical, RegionPaint how, HBRUSH brush, int w, int h);

 private:
  struct Page {
    int mapMode = MM_TEXT;
    POINT windowOrg{0, 0};
    SIZE windowExt{1, 1};
    POINT viewportOrg{0, 0};
    SIZE viewportExt{1, 1};
    XFORM world{1, 0, 0, 1, 0, 0};
    LOGFONTW font{};
    bool hasFont = false;
  };
  struct Slot {
    HGDIOBJ handle = nullptr;
    bool taken = false;
    bool isFont = false;
    LOGFONTW font{};
    bool isRegion = false;
    std::vector<RECT> rects;
  };
  XFORM PageTransform() const;
  bool Apply();
  void Retire(HGDIOBJ h);
  void RealizeFont();

  HDC dc_;
  bool ready_ = false;
  int baseLevel_ = 0;
  XFORM playback_;
  XFORM combined_{1, 0, 0, 1, 0, 0};
  double pixelsPerMmX_, pixelsPerMmY_;
  Page page_;
  std::vector<Page> saved_;
  std::vector<Slot> objects_;
  std::vector<HGDIOBJ> retired_;  // deleted by records; freed when playback ends
  HRGN initialClip_ = nullptr;
  HFONT realized_ = nullptr;
  LOGFONTW realizedFrom_{};
};

}  // namespace compat::metafile
