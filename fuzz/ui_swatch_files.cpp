// Fuzz entry point: the swatch files ("Color.dat", "ImageTexture.dat",
// "VaryColor.dat": a list of fill records) and the one-fill "Material.dat".
// The first byte picks the kind; the rest is the file. A list or fill that
// was read is written back and must read again to the same bytes.
#include <cstdlib>

#include "fuzz/fuzz_files.h"
#include "ui/swatch_file.h"

namespace {

void CheckList(const CString& path) {
  CSwatchArray swatches;
  if (!ReadSwatchFile(path, swatches)) {
    if (!swatches.empty()) std::abort();  // a damaged file reads as nothing
    return;
  }
  if (!WriteSwatchFile(FuzzPath("list1.dat"), swatches)) std::abort();
  CSwatchArray again;
  if (!ReadSwatchFile(FuzzPath("list1.dat"), again) || again.size() != swatches.size()) std::abort();
  if (!WriteSwatchFile(FuzzPath("list2.dat"), again)) std::abort();
  if (ReadFuzzFile("list1.dat") != ReadFuzzFile("list2.dat")) std::abort();
}

void CheckFill(const CString& path) {
  CFillStyle fill;
  if (!ReadFillFile(path, fill)) return;
  if (!WriteFillFile(FuzzPath("fill1.dat"), fill)) std::abort();
  CFillStyle again;
  if (!ReadFillFile(FuzzPath("fill1.dat"), again)) std::abort();
  if (!WriteFillFile(FuzzPath("fill2.dat"), again)) std::abort();
  if (ReadFuzzFile("fill1.dat") != ReadFuzzFile("fill2.dat")) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 20) return 0;
  const CString path = PutFuzzFile("in.dat", data + 1, size - 1);
  if (data[0] & 1) CheckFill(path);
  else CheckList(path);
  return 0;
}
