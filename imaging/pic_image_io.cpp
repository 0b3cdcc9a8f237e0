// CPicImage: reading and writing through the format classes, chosen by format
// id or, on reading with id 0, by trying every format in a fixed order.
#include <cstring>

#include "imaging/gif_codec.h"
#include "imaging/pic_codecs.h"
#include "imaging/pic_file.h"
#include "imaging/lib_codecs.h"
#include "imaging/metafile_codec.h"

namespace {

const char kUnknownDecodeText[] = "Decode: Unknown or wrong format";
const char kUnknownEncodeText[] = "Encode: Unknown format";
const char kMissingCodecText[] = "Format not supported by this build";
const char kWriteFailedText[] = "Can't write the picture file";

// Decoders that pick one frame of several are told which one the caller wants
// and report how many there are.
bool IsMultiFrame(DWORD formatId) {
  return formatId == PIC_FORMAT_ICO || formatId == PIC_FORMAT_GIF || formatId == PIC_FORMAT_TIF;
}

template <class Codec>
bool DecodeAs(CPicImage& image, CPicFile* file, DWORD formatId, LONG frameIndex) {
  Codec codec(formatId);
  codec.SetFrameIndex(frameIndex);
  codec.TakeRequests(image);
  if (codec.Decode(file)) {
    image.Transfer(codec);
    return true;
  }
  image.SetLastError(codec.GetLastError());
  if (IsMultiFrame(formatId)) image.SetFrameCount(codec.GetFrameCount());
  return false;
}

template <class Codec>
bool EncodeAs(CPicImage& image, CPicFile* file, DWORD formatId) {
  Codec codec(formatId);
  codec.Ghost(&image);
  if (codec.Encode(file)) return true;
  image.SetLastError(codec.GetLastError());
  return false;
}

const DWORD kDetectOrder[] = {PIC_FORMAT_BMP, PIC_FORMAT_JPG, PIC_FORMAT_ICO, PIC_FORMAT_GIF,
                              PIC_FORMAT_PNG, PIC_FORMAT_TIF, PIC_FORMAT_TGA, PIC_FORMAT_PCX,
                              PIC_FORMAT_WBMP, PIC_FORMAT_WMF};

}  // namespace

bool CPicImage::DecodeWith(DWORD formatId, CPicFile* file) {
  LONG frame = IsMultiFrame(formatId) ? m_info.frameIndex : 0;
  switch (formatId) {
    case PIC_FORMAT_BMP: return DecodeAs<CPicImageBMP>(*this, file, formatId, frame);
    case PIC_FORMAT_GIF: return DecodeAs<CPicImageGIF>(*this, file, formatId, frame);
    case PIC_FORMAT_JPG: return DecodeAs<CPicImageJPG>(*this, file, formatId, frame);
    case PIC_FORMAT_PNG: return DecodeAs<CPicImagePNG>(*this, file, formatId, frame);
    case PIC_FORMAT_TIF: return DecodeAs<CPicImageTIF>(*this, file, formatId, frame);
    case PIC_FORMAT_ICO: return DecodeAs<CPicImageICO>(*this, file, formatId, frame);
    case PIC_FORMAT_TGA: return DecodeAs<CPicImageTGA>(*this, file, formatId, frame);
    case PIC_FORMAT_PCX: return DecodeAs<CPicImagePCX>(*this, file, formatId, frame);
    case PIC_FORMAT_WBMP: return DecodeAs<CPicImageWBMP>(*this, file, formatId, frame);
    case PIC_FORMAT_WMF: return DecodeAs<CPicImageWMF>(*this, file, formatId, frame);
    default: SetLastError(kMissingCodecText); return false;
  }
}

// A format that was only tried leaves neither its text nor its frame count.
bool CPicImage::TryAutoDetect(CPicFile* file) {
  LONG start = file->Tell();
  LONG frame = m_info.frameIndex;
  LONG frames = m_info.frameCount;
  for (DWORD formatId : kDetectOrder) {
    m_info.frameIndex = 0;
    if (DecodeWith(formatId, file)) return true;
    m_info.frameIndex = frame;
    m_info.frameCount = frames;
    file->Seek(start, SEEK_SET);
  }
  SetLastError(kUnknownDecodeText);
  return false;
}

bool CPicImage::Decode(CPicFile* file, DWORD formatId) {
  if (!file) return false;
  if (formatId == PIC_FORMAT_UNKNOWN) return TryAutoDetect(file);
  if (formatId > kPicFormatLast) {
    SetLastError(kUnknownDecodeText);
    return false;
  }
  return DecodeWith(formatId, file);
}

bool CPicImage::Decode(FILE* stream, DWORD formatId) {
  CPicIOFile file(stream);
  return Decode(&file, formatId);
}

bool CPicImage::Load(const char* fileName, DWORD formatId) {
  if (formatId >= 1 && formatId <= kPicFormatLast) {
    FILE* stream = PicOpenFile(fileName, "rb");
    if (!stream) return false;
    bool decoded = Decode(stream, formatId);
    fclose(stream);
    if (decoded) return true;
  }
  char kept[sizeof(m_info.lastError)];
  memcpy(kept, m_info.lastError, sizeof(kept));
  FILE* stream = PicOpenFile(fileName, "rb");
  if (!stream) return false;
  bool decoded = Decode(stream, PIC_FORMAT_UNKNOWN);
  fclose(stream);
  if (!decoded && formatId != PIC_FORMAT_UNKNOWN) memcpy(m_info.lastError, kept, sizeof(kept));
  return decoded;
}

// Only the named format: a size or a direct decode must be that format's, and
// files that need detection take the ordinary road.
bool CPicImage::DecodeFileWithRequests(const char* fileName, DWORD formatId) {
  if (formatId < 1 || formatId > kPicFormatLast) return false;
  FILE* stream = PicOpenFile(fileName, "rb");
  if (!stream) return false;
  bool decoded = Decode(stream, formatId);
  fclose(stream);
  m_sizeOnly = false;
  m_bgraTarget = nullptr;
  return decoded;
}

bool CPicImage::ProbeSize(const char* fileName, DWORD formatId, DWORD* width, DWORD* height) {
  m_sizeOnly = true;
  if (!DecodeFileWithRequests(fileName, formatId)) return false;
  *width = GetWidth();
  *height = GetHeight();
  return true;
}

bool CPicImage::DecodeToBgra(const char* fileName, DWORD formatId, const PicBgraTarget& target) {
  m_bgraTarget = &target;
  return DecodeFileWithRequests(fileName, formatId);
}

bool CPicImage::Encode(CPicFile* file, DWORD formatId) {
  if (!file) return false;
  switch (formatId) {
    case PIC_FORMAT_BMP: return EncodeAs<CPicImageBMP>(*this, file, formatId);
    case PIC_FORMAT_GIF: return EncodeAs<CPicImageGIF>(*this, file, formatId);
    case PIC_FORMAT_JPG: return EncodeAs<CPicImageJPG>(*this, file, formatId);
    case PIC_FORMAT_PNG: return EncodeAs<CPicImagePNG>(*this, file, formatId);
    case PIC_FORMAT_TIF: return EncodeAs<CPicImageTIF>(*this, file, formatId);
    case PIC_FORMAT_ICO: return EncodeAs<CPicImageICO>(*this, file, formatId);
    case PIC_FORMAT_TGA: return EncodeAs<CPicImageTGA>(*this, file, formatId);
    case PIC_FORMAT_PCX: return EncodeAs<CPicImagePCX>(*this, file, formatId);
    case PIC_FORMAT_WBMP: return EncodeAs<CPicImageWBMP>(*this, file, formatId);
    case PIC_FORMAT_WMF: return EncodeAs<CPicImageWMF>(*this, file, formatId);
    default: break;
  }
  SetLastError(formatId >= 1 && formatId <= kPicFormatLast ? kMissingCodecText : kUnknownEncodeText);
  return false;
}

bool CPicImage::Encode(FILE* stream, DWORD formatId) {
  CPicIOFile file(stream);
  return Encode(&file, formatId);
}

bool CPicImage::Save(FILE* stream, DWORD formatId) { return Encode(stream, formatId); }

// Buffered data reaches the disk on close: a close that fails (a full disk)
// fails the save.
bool CPicImage::SaveAndClose(FILE* stream, DWORD formatId) {
  bool encoded = Encode(stream, formatId);
  if (fclose(stream) != 0 && encoded) {
    SetLastError(kWriteFailedText);
    return false;
  }
  return encoded;
}

bool CPicImage::Save(const char* fileName, DWORD formatId) {
  FILE* stream = PicOpenFile(fileName, "wb");
  return stream && SaveAndClose(stream, formatId);
}

bool CPicImage::Save(const WCHAR* fileName, DWORD formatId) {
  FILE* stream = PicOpenFile(fileName, "wb");
  return stream && SaveAndClose(stream, formatId);
}
