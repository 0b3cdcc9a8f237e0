// Fuzz entry point: the codec library's JPEG decoder on arbitrary bytes.
#include "fuzz/imaging_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzDecode(data, size, PIC_FORMAT_JPG);
}
