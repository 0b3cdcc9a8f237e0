// Fuzz entry point: the WMF and EMF decoder and the record players behind it
// on arbitrary bytes. The picture is drawn at a small fixed size so that huge
// boxes from tiny headers keep the run's pace; the records still all play.
#include "fuzz/imaging_fuzz.h"
#include "imaging/metafile_codec.h"

// Fontconfig keeps its match caches behind encoded offsets the leak check
// cannot follow (they are freed at exit); each face name a file asks for adds
// to them, and the check would report that as a leak of the input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  CPicMemFile file(const_cast<BYTE*>(data), static_cast<DWORD>(size));
  CPicImageWMF codec;
  // The first byte picks the drawing size, so that scaling takes part too.
  LONG side = size > 0 ? 16 + data[0] % 240 : 64;
  codec.Decode(&file, side, side);
  return 0;
}
