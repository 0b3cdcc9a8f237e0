// Motion-JPEG frame encoding on libjpeg. The library reports errors through a
// long jump; the frames between setjmp and the library calls are plain C
// (no destructors), and the output buffer is handed over only on success.
#include "compat/vfw/mjpeg_encoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace compat {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void SilenceJpegMessage(j_common_ptr) {}

// Returns a malloc'd JPEG stream in *data (caller frees) or false.
bool CompressFrame(const BYTE* bgr, int width, int height, int quality, unsigned char** data,
                   unsigned long* size, JSAMPLE* row) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.output_message = SilenceJpegMessage;
  *data = nullptr;
  *size = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(*data);
    *data = nullptr;
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, data, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    // JPEG rows run top-down; the frame's last row is the picture's top.
    const BYTE* src = bgr + stride * (static_cast<size_t>(height) - 1 - cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = src[3 * x + 2];
      row[3 * x + 1] = src[3 * x + 1];
      row[3 * x + 2] = src[3 * x];
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool EncodeMjpegFrame(const BYTE* bgrBottomUp, int width, int height, int quality,
                      std::vector<BYTE>& out) {
  if (!bgrBottomUp || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION ||
      height > JPEG_MAX_DIMENSION)
    return false;
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  if (!CompressFrame(bgrBottomUp, width, height, quality, &data, &size, row.data())) return false;
  out.assign(data, data + size);
  std::free(data);
  return true;
}

}  // namespace compat
