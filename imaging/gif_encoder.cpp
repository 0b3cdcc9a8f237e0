// GIF encoding: screen header, control and loop blocks, image blocks with LZW
// data in 254-byte packets, the multi-page encoder and the mosaic that carries
// a true-colour picture as tiles of 8-bit frames.
#include <algorithm>
#include <cstring>

#include "imaging/gif_codec.h"
#include "imaging/pic_file.h"

namespace {

constexpr int kPacketBytes = 254;
constexpr int kMaxCodeWidth = 12;
constexpr DWORD kTileWidth = 17;
constexpr DWORD kTileHeight = 15;

const char kNoFileText[] = "invalid file pointer";
const char kNoImagesText[] = "multipage GIF, no images!";
const char kBadImageText[] = "Bad image pointer";
const char kTooDeepText[] = "multipage GIF, images must have 8 bits or fewer!";
const char kCannotWriteText[] = "Can't open GIF for writing";
const char kWriteErrorText[] = "Write Error in GIF file";

void PutByte(CPicFile* file, int value) { file->PutC(static_cast<BYTE>(value)); }
void PutWord(CPicFile* file, DWORD value) {
  PutByte(file, value & 0xFF);
  PutByte(file, (value >> 8) & 0xFF);
}

// Colours in a GIF table: 2, 16 or 256 entries for 1, 4 and 8 bits.
int TableBits(const CPicImage& image) {
  WORD bpp = image.GetBpp();
  return bpp <= 1 ? 1 : bpp <= 4 ? 4 : 8;
}

int MaxCode(int bits) { return (1 << bits) - 1; }

}  // namespace

// --- blocks ---

void CPicImageGIF::WriteColorTable(CPicFile* file, const CPicImage& image) {
  // A palette shorter than the table the flags announce is padded with black.
  const int entries = 1 << TableBits(image);
  for (int i = 0; i < entries; ++i) {
    RGBQUAD c = image.GetPaletteColor(static_cast<BYTE>(i));
    if (static_cast<DWORD>(i) >= image.GetColorCount()) c = RGBQUAD{0, 0, 0, 0};
    PutByte(file, c.rgbRed);
    PutByte(file, c.rgbGreen);
    PutByte(file, c.rgbBlue);
  }
}

void CPicImageGIF::WriteScreenHeader(CPicFile* file, const CPicImage& image) {
  file->Write("GIF89a", 1, 6);
  PutWord(file, image.GetWidth());
  PutWord(file, image.GetHeight());
  const bool hasPalette = image.GetColorCount() > 0;
  const int bits = TableBits(image);
  PutByte(file, hasPalette ? 0x80 | ((bits - 1) << 4) | (bits - 1) : 0x11);
  PutByte(file, 0);  // background index
  PutByte(file, 0);  // aspect ratio
  if (hasPalette) WriteColorTable(file, image);
}

void CPicImageGIF::EncodeLoopExtension(CPicFile* file) {
  if (!file) return;
  PutByte(file, 0x21);
  PutByte(file, 0xFF);
  PutByte(file, 11);
  file->Write("NETSCAPE2.0", 1, 11);
  PutByte(file, 3);
  PutByte(file, 1);
  PutWord(file, static_cast<DWORD>(m_loops));
  PutByte(file, 0);
}

void CPicImageGIF::WriteGraphicControl(CPicFile* file, const CPicImage& image) {
  const bool transparent = image.GetTransIndex() != -1;
  PutByte(file, 0x21);
  PutByte(file, 0xF9);
  PutByte(file, 4);
  PutByte(file, ((m_disposal & 7) << 2) | (transparent ? 1 : 0));
  PutWord(file, image.GetFrameDelay());
  PutByte(file, image.GetTransIndex() & 0xFF);
  PutByte(file, 0);
}

void CPicImageGIF::WriteComment(CPicFile* file) {
  size_t length = strnlen(m_comment, 255);
  if (length == 0) return;
  PutByte(file, 0x21);
  PutByte(file, 0xFE);
  PutByte(file, static_cast<int>(length));
  file->Write(m_comment, 1, length);
  PutByte(file, 0);
}

void CPicImageGIF::WriteImageBlock(CPicFile* file, const CPicImage& image, bool localTable) {
  PutByte(file, 0x2C);
  PutWord(file, static_cast<DWORD>(image.GetFrameOffsetX()));
  PutWord(file, static_cast<DWORD>(image.GetFrameOffsetY()));
  PutWord(file, image.GetWidth());
  PutWord(file, image.GetHeight());
  const int bits = TableBits(image);
  if (localTable) {
    PutByte(file, 0x80 | (bits - 1));
    WriteColorTable(file, image);
  } else {
    PutByte(file, 0);
  }
  const int root = bits < 2 ? 2 : bits;
  PutByte(file, root);
  CompressLzw(file, image, root + 1);
  PutByte(file, 0);
}

// --- LZW compression ---

void CPicImageGIF::ClearHash() { m_hash.fill(-1); }

void CPicImageGIF::FlushPacket() {
  if (m_packetFill == 0) return;
  PutByte(m_out, m_packetFill);
  m_out->Write(m_packet.data(), 1, static_cast<size_t>(m_packetFill));
  m_packetFill = 0;
}

void CPicImageGIF::OutputCode(int code) {
  m_accumulator |= static_cast<DWORD>(code) << m_accumulatedBits;
  m_accumulatedBits += m_encWidth;
  while (m_accumulatedBits >= 8) {
    m_packet[m_packetFill++] = static_cast<BYTE>(m_accumulator & 0xFF);
    if (m_packetFill >= kPacketBytes) FlushPacket();
    m_accumulator >>= 8;
    m_accumulatedBits -= 8;
  }
  if (m_freeCode > m_maxCode || m_clearFlag) {
    if (m_clearFlag) {
      m_encWidth = m_initBits;
      m_maxCode = MaxCode(m_encWidth);
      m_clearFlag = false;
    } else {
      ++m_encWidth;
      m_maxCode = m_encWidth == kMaxCodeWidth ? kMaxCodes : MaxCode(m_encWidth);
    }
  }
  if (code == m_encEnd) {
    while (m_accumulatedBits > 0) {
      m_packet[m_packetFill++] = static_cast<BYTE>(m_accumulator & 0xFF);
      if (m_packetFill >= kPacketBytes) FlushPacket();
      m_accumulator >>= 8;
      m_accumulatedBits -= 8;
    }
    m_accumulatedBits = 0;
    FlushPacket();
    m_out->Flush();
    if (m_out->Error()) SetLastError(kWriteErrorText);
  }
}

void CPicImageGIF::CompressLzw(CPicFile* file, const CPicImage& image, int initBits) {
  m_out = file;
  m_initBits = m_encWidth = initBits;
  m_maxCode = MaxCode(m_encWidth);
  m_encClear = 1 << (initBits - 1);
  m_encEnd = m_encClear + 1;
  m_freeCode = m_encClear + 2;
  m_clearFlag = false;
  m_accumulator = 0;
  m_accumulatedBits = 0;
  m_packetFill = 0;
  ClearHash();
  OutputCode(m_encClear);

  const DWORD width = image.GetWidth(), height = image.GetHeight();
  const WORD bpp = image.GetBpp();
  const BYTE* bits = image.GetBits();
  auto pixel = [&](const BYTE* row, DWORD x) -> int {
    if (bpp == 8) return row[x];
    if (bpp == 4) return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
  };

  int prefix = -1;
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* row = bits + static_cast<size_t>(height - 1 - y) * image.GetRowBytes();
    for (DWORD x = 0; x < width; ++x) {
      const int c = pixel(row, x);
      if (prefix < 0) {
        prefix = c;
        continue;
      }
      const LONG key = (static_cast<LONG>(c) << 12) + prefix;
      int slot = (c << 4) ^ prefix;
      bool found = false;
      if (m_hash[slot] == key) {
        prefix = m_codes[slot];
        found = true;
      } else if (m_hash[slot] >= 0) {
        const int step = slot == 0 ? 1 : kHashSize - slot;
        for (;;) {
          slot -= step;
          if (slot < 0) slot += kHashSize;
          if (m_hash[slot] == key) {
            prefix = m_codes[slot];
            found = true;
            break;
          }
          if (m_hash[slot] <= 0) break;
        }
      }
      if (found) continue;
      OutputCode(prefix);
      prefix = c;
      if (m_freeCode < kMaxCodes) {
        m_codes[slot] = static_cast<WORD>(m_freeCode++);
        m_hash[slot] = key;
      } else {
        ClearHash();
        m_freeCode = m_encClear + 2;
        m_clearFlag = true;
        OutputCode(m_encClear);
      }
    }
  }
  if (prefix >= 0) OutputCode(prefix);
  OutputCode(m_encEnd);
}

// --- encoders ---

bool CPicImageGIF::EncodeMultiPage(CPicFile* file, CPicImage** images, int count, bool localColorTables) {
  try {
    if (!file) throw PicCodecError{kNoFileText};
    if (!images || count <= 0 || !images[0]) throw PicCodecError{kNoImagesText};
    // Frames are written as palette pictures; deeper ones are refused before
    // anything is written rather than encoded as garbage.
    for (int i = 0; i < count; ++i)
      if (images[i] && (images[i]->GetBpp() > 8 || !images[i]->IsValid())) throw PicCodecError{kTooDeepText};
  } catch (const PicCodecError& error) {
    SetLastError(error.text);
    return false;
  }
  if (!BeginMultiPage(file, images[0]) || !EncodePage(file, images[0], false)) return false;
  for (int i = 1; i < count; ++i)
    if (!EncodePage(file, images[i], localColorTables)) return false;
  return EndMultiPage(file);
}

bool CPicImageGIF::BeginMultiPage(CPicFile* file, CPicImage* first) {
  try {
    if (!file) throw PicCodecError{kNoFileText};
    if (!first) throw PicCodecError{kNoImagesText};
    if (first->GetBpp() > 8 || !first->IsValid()) throw PicCodecError{kTooDeepText};
    SetLastError("");
    CPicImage ghost;
    ghost.Ghost(first);
    WriteScreenHeader(file, ghost);
    if (m_loops != 1) {
      LONG loops = m_loops;
      m_loops = std::max<LONG>(loops - 1, 0);
      EncodeLoopExtension(file);
      m_loops = loops;
    }
  } catch (const PicCodecError& error) {
    SetLastError(error.text);
    return false;
  }
  return true;
}

bool CPicImageGIF::EncodePage(CPicFile* file, CPicImage* image, bool localColorTable) {
  try {
    if (!file) throw PicCodecError{kNoFileText};
    if (!image) throw PicCodecError{kBadImageText};
    if (image->GetBpp() > 8 || !image->IsValid()) throw PicCodecError{kTooDeepText};
    CPicImage frame;
    frame.Ghost(image);
    WriteGraphicControl(file, frame);
    WriteImageBlock(file, frame, localColorTable);
  } catch (const PicCodecError& error) {
    SetLastError(error.text);
    return false;
  }
  return true;
}

bool CPicImageGIF::EndMultiPage(CPicFile* file) {
  if (!file) {
    SetLastError(kNoFileText);
    return false;
  }
  WriteComment(file);
  PutByte(file, 0x3B);
  file->Flush();
  // A full disk or a closed stream is a failure, not a truncated success.
  if (file->Error()) {
    SetLastError(kWriteErrorText);
    return false;
  }
  return true;
}

bool CPicImageGIF::EncodeMultiPage(FILE* stream, CPicImage** images, int count, bool localColorTables) {
  if (!stream) return EncodeMultiPage(static_cast<CPicFile*>(nullptr), images, count, localColorTables);
  CPicIOFile file(stream);
  return EncodeMultiPage(&file, images, count, localColorTables);
}

void CPicImageGIF::EncodeMosaic(CPicFile* file) {
  file->Write("GIF89a", 1, 6);
  PutWord(file, GetWidth());
  PutWord(file, GetHeight());
  PutByte(file, 0x11);
  PutByte(file, 0);
  PutByte(file, 0);
  const DWORD width = GetWidth(), height = GetHeight();
  const bool transparent = GetTransIndex() != -1;
  CPicImage tile;
  DWORD tileWidth = 0, tileHeight = 0;
  for (DWORD bandTop = 0; bandTop < height; bandTop += kTileHeight) {
    const DWORD th = std::min(kTileHeight, height - bandTop);
    for (DWORD left = 0; left < width; left += kTileWidth) {
      const DWORD tw = std::min(kTileWidth, width - left);
      // The tile is made anew only when its size changes, so entries a tile
      // leaves unset keep the previous tile's colours.
      if (tw != tileWidth || th != tileHeight) {
        tile.Create(tw, th, 8, PIC_FORMAT_GIF);
        tileWidth = tw;
        tileHeight = th;
      }
      tile.SetTransIndex(transparent ? 0 : -1);
      if (transparent) tile.SetPaletteColor(0, GetTransColor());
      for (DWORD j = 0; j < th; ++j) {
        const LONG sourceRow = static_cast<LONG>(height - (bandTop + th - j));
        for (DWORD i = 0; i < tw; ++i) {
          RGBQUAD color = GetPixelColor(static_cast<LONG>(left + i), sourceRow);
          tile.SetPaletteColor(static_cast<BYTE>(1 + kTileWidth * j + i), color);
          tile.SetPixelIndex(static_cast<LONG>(i), static_cast<LONG>(j), tile.GetNearestIndex(color));
        }
      }
      tile.SetFrameOffset(static_cast<LONG>(left), static_cast<LONG>(bandTop));
      tile.SetFrameDelay(GetFrameDelay());
      WriteGraphicControl(file, tile);
      WriteImageBlock(file, tile, true);
    }
  }
}

bool CPicImageGIF::Encode(CPicFile* file) {
  if (!file) {
    SetLastError(kCannotWriteText);
    return false;
  }
  if (!IsValid()) {
    SetLastError(kNoImagesText);
    return false;
  }
  if (GetBpp() <= 8) {
    WriteScreenHeader(file, *this);
    WriteGraphicControl(file, *this);
    WriteImageBlock(file, *this, false);
  } else {
    EncodeMosaic(file);
  }
  WriteComment(file);
  PutByte(file, 0x3B);
  file->Flush();
  if (file->Error()) {
    SetLastError(kWriteErrorText);
    return false;
  }
  return true;
}
