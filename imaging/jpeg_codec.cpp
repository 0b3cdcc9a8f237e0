// CPicImageJPG: JPEG decoder and encoder on libjpeg (library version 62) over
// the codec library's byte streams.
//
// libjpeg reports errors by a long jump out of its own frames. Every function
// that holds the jump buffer keeps only trivially destructible locals, and
// everything the library allocates comes from its own pools, so that
// jpeg_destroy_* after the jump frees it all.
#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"

namespace {

constexpr size_t kStreamBufferBytes = 4096;
// A progressive file may ask for scan after scan over the whole picture;
// real files have a few dozen.
constexpr int kMaxScans = 1000;
// Huffman coding spends at least a bit or two on every 8 x 8 block, so even
// a flat picture stays below a few hundred pixels a byte: a file that
// declares many thousand times its size in pixels is broken (its data would
// come out blank) and is refused before the library builds its buffers.
constexpr unsigned long long kMaxPixelsPerFileByte = 4096;
constexpr unsigned long long kPixelsAlwaysPlausible = 1ull << 20;
// Work is counted in MCUs of the rows the library consumes or outputs, scan
// after scan; real files stay far below this much a byte.
constexpr unsigned long long kMaxWorkPerFileByte = 256;
constexpr unsigned long long kWorkAlwaysAllowed = 1ull << 22;
const char kRefusePaletteText[] = "JPEG can save only RGB or GreyScale images";
const char kImplausibleText[] = "JPEG image too large for its file";
const char kTooMuchWorkText[] = "JPEG file takes too long to decode";
const char kTooManyScansText[] = "JPEG file has too many scans";
const char kTooLargeText[] = "JPEG image too large";

// The stream object of one call: the library's source and destination
// managers over a CPicFile, with one buffer from the library's pool.
struct CPicJpegStream {
  jpeg_destination_mgr destination;
  jpeg_source_mgr source;
  CPicFile* file;
  JOCTET* buffer;
  boolean startOfFile;
};

CPicJpegStream* StreamOf(j_decompress_ptr info) {
  return reinterpret_cast<CPicJpegStream*>(reinterpret_cast<char*>(info->src) -
                                           offsetof(CPicJpegStream, source));
}

CPicJpegStream* StreamOf(j_compress_ptr info) {
  return reinterpret_cast<CPicJpegStream*>(reinterpret_cast<char*>(info->dest) -
                                           offsetof(CPicJpegStream, destination));
}

// The standard error manager with a way back to the codec and the picture's
// last-error text as the place for the message.
struct JpegErrorManager {
  jpeg_error_mgr standard;
  jmp_buf jump;
  char* text;
  // Work done so far and the most a file of this size may cost.
  unsigned long long work;
  unsigned long long workLimit;
};

void JpegErrorExit(j_common_ptr info) {
  JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  char message[JMSG_LENGTH_MAX];
  manager->standard.format_message(info, message);
  snprintf(manager->text, 256, "%s", message);
  longjmp(manager->jump, 1);
}

// Warnings (a premature end, corrupt data) are not worth a console line in a
// desktop program; the library still counts them.
void JpegOutputMessage(j_common_ptr) {}

// Called for every row of MCUs the library consumes or outputs.
void JpegProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(info);
  JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(info->err);
  manager->work += decompress->MCUs_per_row + 1ull;
  const char* text = decompress->input_scan_number > kMaxScans ? kTooManyScansText
                     : manager->work > manager->workLimit  ? kTooMuchWorkText
                                                           : nullptr;
  if (!text) return;
  snprintf(manager->text, 256, "%s", text);
  longjmp(manager->jump, 1);
}

// What a file of `fileBytes` may hold and cost; no limit when the stream
// cannot tell its size.
bool PlausibleSize(unsigned long long pixels, LONG fileBytes) {
  return fileBytes < 0 || pixels <= std::max(kPixelsAlwaysPlausible, kMaxPixelsPerFileByte * fileBytes);
}
unsigned long long WorkLimit(LONG fileBytes) {
  if (fileBytes < 0) return ~0ull;
  return std::max(kWorkAlwaysAllowed, kMaxWorkPerFileByte * fileBytes);
}

void SetUpErrors(jpeg_common_struct* info, JpegErrorManager* manager, char* text) {
  info->err = jpeg_std_error(&manager->standard);
  manager->standard.error_exit = JpegErrorExit;
  manager->standard.output_message = JpegOutputMessage;
  manager->text = text;
  manager->work = 0;
  manager->workLimit = ~0ull;
}

// --- source ---

void InitSource(j_decompress_ptr info) { StreamOf(info)->startOfFile = TRUE; }

boolean FillInputBuffer(j_decompress_ptr info) {
  CPicJpegStream* stream = StreamOf(info);
  size_t count = stream->file->Read(stream->buffer, 1, kStreamBufferBytes);
  if (count == 0) {
    if (stream->startOfFile) ERREXIT(info, JERR_INPUT_EMPTY);
    WARNMS(info, JWRN_JPEG_EOF);
    // An end-of-image marker in place of the missing data.
    stream->buffer[0] = 0xFF;
    stream->buffer[1] = JPEG_EOI;
    count = 2;
  }
  stream->source.next_input_byte = stream->buffer;
  stream->source.bytes_in_buffer = count;
  stream->startOfFile = FALSE;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  CPicJpegStream* stream = StreamOf(info);
  while (static_cast<size_t>(count) > stream->source.bytes_in_buffer) {
    count -= static_cast<long>(stream->source.bytes_in_buffer);
    FillInputBuffer(info);
  }
  stream->source.next_input_byte += count;
  stream->source.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

void AttachSource(j_decompress_ptr info, CPicJpegStream* stream, CPicFile* file) {
  memset(stream, 0, sizeof(*stream));
  stream->file = file;
  stream->buffer = static_cast<JOCTET*>(
      (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, kStreamBufferBytes));
  stream->source.init_source = InitSource;
  stream->source.fill_input_buffer = FillInputBuffer;
  stream->source.skip_input_data = SkipInputData;
  stream->source.resync_to_restart = jpeg_resync_to_restart;
  stream->source.term_source = TermSource;
  info->src = &stream->source;
}

// --- destination ---

void InitDestination(j_compress_ptr info) {
  CPicJpegStream* stream = StreamOf(info);
  stream->destination.next_output_byte = stream->buffer;
  stream->destination.free_in_buffer = kStreamBufferBytes;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
  CPicJpegStream* stream = StreamOf(info);
  if (stream->file->Write(stream->buffer, 1, kStreamBufferBytes) != kStreamBufferBytes)
    ERREXIT(info, JERR_FILE_WRITE);
  InitDestination(info);
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  CPicJpegStream* stream = StreamOf(info);
  size_t held = kStreamBufferBytes - stream->destination.free_in_buffer;
  if (held > 0 && stream->file->Write(stream->buffer, 1, held) == 0) ERREXIT(info, JERR_FILE_WRITE);
  stream->file->Flush();
  if (stream->file->Error()) ERREXIT(info, JERR_FILE_WRITE);
}

void AttachDestination(j_compress_ptr info, CPicJpegStream* stream, CPicFile* file) {
  memset(stream, 0, sizeof(*stream));
  stream->file = file;
  stream->buffer = static_cast<JOCTET*>(
      (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, kStreamBufferBytes));
  stream->destination.init_destination = InitDestination;
  stream->destination.empty_output_buffer = EmptyOutputBuffer;
  stream->destination.term_destination = TermDestination;
  info->dest = &stream->destination;
}

// --- rows ---

LONG DensityToDpi(UINT8 unit, UINT16 density) {
  // Dots per centimetre.
  if (unit == 2) return static_cast<LONG>(density) * 254 / 100;
  return density;
}

// CMYK as the library delivers it (inverted, as Adobe writes it): each colour
// is a colour sample scaled by the fourth.
void StoreCmykRow(BYTE* target, DWORD targetBytes, const JSAMPLE* row, DWORD stride) {
  for (DWORD out = 0, in = 0; out < targetBytes && in < stride; out += 3, in += 4) {
    unsigned k = row[in + 3];
    target[out] = static_cast<BYTE>(k * row[in + 2] / 255);
    target[out + 1] = static_cast<BYTE>(k * row[in + 1] / 255);
    target[out + 2] = static_cast<BYTE>(k * row[in] / 255);
  }
}

// The caller's buffer when the library can write it as it stands: a picture
// of its size in colour or grey (CMYK takes the ordinary road).
const PicBgraTarget* DirectTarget(const jpeg_decompress_struct& info, const PicBgraTarget* target) {
  if (!target || info.image_width != target->width || info.image_height != target->height) return nullptr;
  if (info.out_color_space != JCS_RGB && info.out_color_space != JCS_GRAYSCALE) return nullptr;
  return target;
}

// The smallest scale of eighths whose output still covers the size the
// target asks for at least: the library then decodes far less of a large
// picture that is only wanted small.
void ScaleForTarget(j_decompress_ptr info, const PicBgraTarget& target) {
  if (!target.rows || !target.leastWidth || !target.leastHeight) return;
  constexpr unsigned kEighths = 8;
  for (unsigned scale = 1; scale < kEighths; ++scale) {
    const unsigned long long width = (static_cast<unsigned long long>(info->image_width) * scale + kEighths - 1) / kEighths;
    const unsigned long long height = (static_cast<unsigned long long>(info->image_height) * scale + kEighths - 1) / kEighths;
    if (width >= target.leastWidth && height >= target.leastHeight) {
      info->scale_num = scale;
      info->scale_denom = kEighths;
      return;
    }
  }
}

// Rows handed to the target's row sink, 16 at a time through a small buffer.
void ReadIntoRowSink(j_decompress_ptr info, PicRowSink& sink, std::vector<DWORD>& buffer) {
  if (!sink.Begin(info->output_width, info->output_height)) return;
  constexpr JDIMENSION kBand = 16;
  buffer.resize(static_cast<size_t>(info->output_width) * kBand);
  JSAMPROW rows[kBand];
  for (JDIMENSION i = 0; i < kBand; ++i)
    rows[i] = reinterpret_cast<JSAMPROW>(buffer.data() + static_cast<size_t>(i) * info->output_width);
  while (info->output_scanline < info->output_height) {
    const JDIMENSION count = std::min<JDIMENSION>(kBand, info->output_height - info->output_scanline);
    const JDIMENSION got = jpeg_read_scanlines(info, rows, count);
    if (got == 0) break;
    for (JDIMENSION i = 0; i < got; ++i) sink.TakeRow(buffer.data() + static_cast<size_t>(i) * info->output_width);
  }
}

// Rows straight into the target: the library writes blue, green, red and an
// alpha of 255, the same colours as its RGB output.
void ReadIntoTarget(j_decompress_ptr info, const PicBgraTarget& target, std::vector<DWORD>& buffer) {
  info->out_color_space = JCS_EXT_BGRA;
  ScaleForTarget(info, target);
  jpeg_start_decompress(info);
  if (target.rows) {
    ReadIntoRowSink(info, *target.rows, buffer);
    jpeg_finish_decompress(info);
    return;
  }
  JSAMPROW rows[16];
  while (info->output_scanline < info->output_height) {
    const JDIMENSION first = info->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(16, info->output_height - first);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = reinterpret_cast<JSAMPROW>(target.pixels + static_cast<size_t>(first + i) * target.width);
    if (jpeg_read_scanlines(info, rows, count) == 0) break;
  }
  jpeg_finish_decompress(info);
}

}  // namespace

// --- decoder ---

bool CPicImageJPG::Decode(CPicFile* file) {
  jpeg_decompress_struct info;
  JpegErrorManager errors;
  CPicJpegStream stream;
  jpeg_progress_mgr progress;
  memset(&info, 0, sizeof(info));
  SetUpErrors(reinterpret_cast<j_common_ptr>(&info), &errors, m_info.lastError);
  const LONG fileBytes = file->Remaining();
  errors.workLimit = WorkLimit(fileBytes);
  // Outside the jump's reach: it lives until the function returns.
  std::vector<DWORD> rowBuffer;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);
  progress.progress_monitor = JpegProgress;
  info.progress = &progress;
  AttachSource(&info, &stream, file);
  jpeg_read_header(&info, TRUE);

  // Refused before the library builds its buffers for the whole picture.
  unsigned long long components = info.num_components == 1 ? 1 : 3;
  unsigned long long rowBytes = (info.image_width * components * 8 + 31) / 32 * 4;
  const char* refusal = rowBytes * info.image_height > kMaxImageBytes ? kTooLargeText
                        : !PlausibleSize(static_cast<unsigned long long>(info.image_width) * info.image_height, fileBytes)
                            ? kImplausibleText
                            : nullptr;
  if (refusal) {
    SetLastError(refusal);
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_calc_output_dimensions(&info);
  if (SizeOnly()) {
    const bool fits = StopAtSize(info.image_width, info.image_height, 8 * info.output_components);
    jpeg_destroy_decompress(&info);
    if (!fits) SetLastError(kTooLargeText);
    return fits;
  }
  if (const PicBgraTarget* target = DirectTarget(info, BgraTarget())) {
    ReadIntoTarget(&info, *target, rowBuffer);
    jpeg_destroy_decompress(&info);
    return true;
  }
  jpeg_start_decompress(&info);
  if (!Create(info.image_width, info.image_height, 8 * info.output_components, PIC_FORMAT_JPG)) {
    SetLastError(kTooLargeText);
    jpeg_destroy_decompress(&info);
    return false;
  }
  SetXDPI(DensityToDpi(info.density_unit, info.X_density));
  SetYDPI(DensityToDpi(info.density_unit, info.Y_density));
  if (info.jpeg_color_space == JCS_GRAYSCALE) SetGrayPalette();

  DWORD stride = info.output_width * info.output_components;
  JSAMPARRAY buffer =
      (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, stride, 1);
  DWORD copyBytes = stride < GetRowBytes() ? stride : GetRowBytes();
  for (DWORD y = 0; y < GetHeight() && info.output_scanline < info.output_height; ++y) {
    jpeg_read_scanlines(&info, buffer, 1);
    BYTE* target = RowPointer(GetHeight() - 1 - y);
    if (info.output_components == 4) StoreCmykRow(target, GetRowBytes(), buffer[0], stride);
    else memcpy(target, buffer[0], copyBytes);
  }
  jpeg_finish_decompress(&info);
  if (info.output_components == 3) {
    for (DWORD y = 0; y < GetHeight(); ++y) RGBtoBGR(RowPointer(y), GetWidth() * 3);
  }
  jpeg_destroy_decompress(&info);
  return true;
}

// --- encoder ---

bool CPicImageJPG::Encode(CPicFile* file) {
  // One byte a pixel for grey: a 1- or 4-bit picture whose two or sixteen
  // entries happen to start the identity ramp is refused too.
  if (GetPalette() && !(IsGrayScale() && GetBpp() == 8)) {
    SetLastError(kRefusePaletteText);
    return false;
  }
  if (!IsValid()) return false;
  jpeg_compress_struct info;
  JpegErrorManager errors;
  CPicJpegStream stream;
  memset(&info, 0, sizeof(info));
  SetUpErrors(reinterpret_cast<j_common_ptr>(&info), &errors, m_info.lastError);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  AttachDestination(&info, &stream, file);
  info.image_width = GetWidth();
  info.image_height = GetHeight();
  bool grey = GetPalette() != nullptr;
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, GetJpegQuality(), TRUE);
  info.density_unit = 1;
  info.X_density = static_cast<UINT16>(GetXDPI());
  info.Y_density = static_cast<UINT16>(GetYDPI());
  jpeg_start_compress(&info, TRUE);

  JSAMPARRAY buffer = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                GetRowBytes() + 8, 1);
  for (DWORD y = 0; y < GetHeight(); ++y) {
    memcpy(buffer[0], RowPointer(GetHeight() - 1 - y), GetRowBytes());
    if (!grey) RGBtoBGR(buffer[0], GetRowBytes());
    jpeg_write_scanlines(&info, buffer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}
