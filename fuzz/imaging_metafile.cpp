// Fuzz entry point: the WMF and EMF decoder and the record players behind it
// on arbitrary bytes. The picture is drawn at a small fixed size so that huge
// boxes from tiny headers keep the run's pace; the records still all play.
#include "compat/win32.h"
#include "fuzz/imaging_fuzz.h"
#include "imaging/metafile_codec.h"

// Font lookup sets up fontconfig's process-wide tables on first use, which
// the leak check would take for a leak of whichever input came first.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
  HGDIOBJ old = SelectObject(dc, font);
  TextOutW(dc, 0, 0, u"A", 1);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  CPicMemFile file(const_cast<BYTE*>(data), static_cast<DWORD>(size));
  CPicImageWMF codec;
  // The first byte picks the drawing size, so that scaling takes part too.
  LONG side = size > 0 ? 16 + data[0] % 240 : 64;
  codec.Decode(&file, side, side);
  return 0;
}
