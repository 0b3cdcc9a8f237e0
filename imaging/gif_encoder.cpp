// GIF encoding: screen header, control and loop blocks, image blocks with LZW
// data in 254-byte packets, the multi-page encoder and the mosaic that carries
// a true-colour picture as tiles of 8-bit frames.
#include <algorithm>
#include <cstdint>
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
  // One write for the table: a byte at a time, the tables of a mosaic's
  // tiles took most of its time.
  const DWORD entries = 1u << TableBits(image);
  const DWORD known = std::min<DWORD>(entries, image.GetColorCount());
  const RGBQUAD* palette = image.GetPalette();
  BYTE table[3 * 256] = {};
  const DWORD copied = palette ? known : 0;
  for (DWORD i = 0; i < copied; ++i) {
    table[3 * i] = palette[i].rgbRed;
    table[3 * i + 1] = palette[i].rgbGreen;
    table[3 * i + 2] = palette[i].rgbBlue;
  }
  file->Write(table, 1, 3 * entries);
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

namespace {

// The second table: 2^15 slots, eight for each string it can hold, so that
// few searches pass other strings' slots. A string there is known by its
// slot (a single colour by kRootBase plus the colour), and its slot is a
// hash of its prefix's number and last colour, then the next slots in
// turn: a string found in its first slot gives the next string's slot
// without waiting for the slot to be read, only for the check that it
// holds the string. The hash takes the colour's mix (worked out beside the
// chain) and only a shift, an add and an xor on the string's number, so
// that the chain from string to string is short.
constexpr int kStringBits = 15;
constexpr DWORD kStringSlots = 1u << kStringBits, kStringMask = kStringSlots - 1, kRootBase = kStringSlots;
// An entry is the string's prefix's number and last colour, plus one (24
// bits), under the number of the table's filling it belongs to: a clear
// moves to the next number, and the entries of earlier ones read as empty.
constexpr int kFillingShift = 24;
constexpr DWORD kFillings = 1u << (32 - kFillingShift);
static_assert(((kRootBase + 255) << 8 | 255) + 1 < (1u << kFillingShift) - 1, "an entry's string fits below the filling");
// A slot the string of key 0 held before the first table lost it: never
// the string's again (its number must not come back), and passed over.
constexpr DWORD kGone = (1u << kFillingShift) - 1;
// The entry content of colour 0 after the string of colour 0 (key 0),
// checked on the content the search makes anyway.
constexpr DWORD kZeroKeyContent = (kRootBase << 8) + 1;

DWORD MixOf(DWORD colour) { return colour * 0x9E3779B1u >> (32 - kStringBits); }
DWORD SlotOf(DWORD string, DWORD mix) { return (string * 33 ^ mix) & kStringMask; }

}  // namespace

void CPicImageGIF::ClearHash() {
  // The first table holds only the strings placed since the last clear: a
  // clear empties their slots (a whole fill only the first time).
  if (m_hashEmptied) {
    for (WORD slot : m_hashPlaced) m_hash[slot] = -1;
  } else {
    m_hash.fill(-1);
    m_hashEmptied = true;
  }
  m_hashPlaced.clear();
  if (++m_filling == kFillings) {
    m_filling = 1;
    std::fill(m_strings.begin(), m_strings.end(), 0u);
  }
}

// Strings are found in the second table. The first table keeps its probe
// order for one thing only: its search stops at the entry of colour 0
// after prefix 0 (key 0) when past the first slot, and the new string
// takes that slot, so the string "0 0" is lost from the table and written
// files depend on when. Strings go into the first table in order when the
// key 0 is looked up (or never, if the table fills first); every other key
// is found there exactly when it is in the second, since the slots a
// search passes are never emptied and never become key 0.
void CPicImageGIF::CompressLzw(CPicFile* file, const CPicImage& image, int initBits) {
  const DWORD width = image.GetWidth(), height = image.GetHeight();
  // Codes are packed into memory as they come, and cut into packets once a
  // good many are full. A row makes at most two codes a pixel (a string's
  // code and a clear after it) of at most 12 bits; a store of the packed
  // bits needs eight bytes of room.
  constexpr size_t kBatchBytes = 256 * kPacketBytes;
  const size_t capacity = kBatchBytes + 3 * static_cast<size_t>(width) + 16;
  if (m_lzwBytes.size() < capacity) m_lzwBytes.resize(capacity);
  if (m_strings.size() != kStringSlots) m_strings.assign(kStringSlots, 0);
  if (m_stringCodes.size() != kStringSlots + 256) {
    // A single colour's code is the colour.
    m_stringCodes.assign(kStringSlots + 256, 0);
    for (DWORD c = 0; c < 256; ++c) m_stringCodes[kRootBase + c] = static_cast<WORD>(c);
  }
  if (m_unplaced.size() < static_cast<size_t>(kMaxCodes)) m_unplaced.resize(kMaxCodes);
  m_hashPlaced.reserve(kMaxCodes);
  BYTE* const buffer = m_lzwBytes.data();
  BYTE* out = buffer;
  // Writes the whole packets held (all the bytes at the end) and keeps the rest.
  auto writePackets = [&](bool all) {
    const BYTE* data = buffer;
    size_t left = static_cast<size_t>(out - buffer);
    while (left >= kPacketBytes || (all && left > 0)) {
      const size_t packet = std::min<size_t>(left, kPacketBytes);
      PutByte(file, static_cast<int>(packet));
      file->Write(data, 1, packet);
      data += packet;
      left -= packet;
    }
    std::memmove(buffer, data, left);
    out = buffer + left;
  };
  // The bits not yet stored whole: fewer than eight.
  uint64_t accumulator = 0;
  int accumulated = 0;
  int codeWidth = initBits, maxCode = MaxCode(codeWidth);
  const int clearCode = 1 << (initBits - 1), endCode = clearCode + 1;
  int freeCode = clearCode + 2;
  bool clearFlag = false;
  auto output = [&](int code) {
    accumulator |= static_cast<uint64_t>(code) << accumulated;
    accumulated += codeWidth;
    std::memcpy(out, &accumulator, sizeof accumulator);
    out += accumulated >> 3;
    accumulator >>= accumulated & ~7;
    accumulated &= 7;
    if (freeCode > maxCode || clearFlag) {
      if (clearFlag) {
        codeWidth = initBits;
        maxCode = MaxCode(codeWidth);
        clearFlag = false;
      } else {
        ++codeWidth;
        maxCode = codeWidth == kMaxCodeWidth ? kMaxCodes : MaxCode(codeWidth);
      }
    }
  };

  LONG* const hash = m_hash.data();
  DWORD* const strings = m_strings.data();
  WORD* const stringCodes = m_stringCodes.data();
  DWORD* const unplaced = m_unplaced.data();
  size_t unplacedCount = 0;
  // Where the second table has the string of key 0, and whether the first
  // table has lost it since.
  DWORD zeroSlot = 0;
  bool zeroLost = false;
  // The first table's search for a key it lacks, and the new string put
  // where the search stopped.
  auto place = [&](LONG key) {
    int slot = static_cast<int>(key >> 12 << 4 ^ (key & 0xFFF));
    LONG entry = hash[slot];
    if (entry >= 0) {
      const int step = slot == 0 ? 1 : kHashSize - slot;
      do {
        slot -= step;
        if (slot < 0) slot += kHashSize;
        entry = hash[slot];
      } while (entry > 0);
    }
    if (entry == 0) zeroLost = true;
    hash[slot] = key;
    m_hashPlaced.push_back(static_cast<WORD>(slot));
  };
  ClearHash();
  output(clearCode);

  const WORD bpp = image.GetBpp();
  if (bpp != 8) m_lzwRow.resize(width);
  DWORD filling = m_filling << kFillingShift;
  DWORD string = 0;  // the current string's number
  bool started = false;
  for (DWORD y = 0; y < height && width > 0; ++y) {
    const BYTE* row = image.GetBits() + static_cast<size_t>(height - 1 - y) * image.GetRowBytes();
    if (bpp != 8) {
      // Narrower pixels are unpacked to one byte each.
      for (DWORD x = 0; x < width; ++x)
        m_lzwRow[x] = static_cast<BYTE>(bpp == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                                                 : (row[x >> 3] >> (7 - (x & 7))) & 1);
      row = m_lzwRow.data();
    }
    DWORD x = 0;
    if (!started) string = kRootBase + row[x++], started = true;
    for (; x < width; ++x) {
      const DWORD c = row[x];
      const DWORD content = (string << 8 | c) + 1, wanted = content | filling;
      if (content == kZeroKeyContent) {
        // Colour 0 after the string of colour 0, key 0: the first table
        // decides, once every string made so far is in it.
        for (size_t i = 0; i < unplacedCount; ++i) place(static_cast<LONG>(unplaced[i]));
        unplacedCount = 0;
        if (zeroLost) strings[zeroSlot] = kGone | filling, zeroLost = false;
      }
      DWORD slot = SlotOf(string, MixOf(c));
      DWORD entry = strings[slot];
      if (entry == wanted) {
        string = slot;
        continue;
      }
      while (entry != wanted && (entry & ~kGone) == filling) {
        slot = (slot + 1) & kStringMask;
        entry = strings[slot];
      }
      if (entry == wanted) {
        string = slot;
        continue;
      }
      const int prefix = stringCodes[string];
      output(prefix);
      string = kRootBase + c;
      if (freeCode < kMaxCodes) {
        const DWORD key = c << 12 | static_cast<DWORD>(prefix);
        if (key == 0) zeroSlot = slot;
        strings[slot] = wanted;
        stringCodes[slot] = static_cast<WORD>(freeCode++);
        unplaced[unplacedCount++] = key;
      } else {
        ClearHash();
        filling = m_filling << kFillingShift;
        unplacedCount = 0;
        zeroLost = false;
        freeCode = clearCode + 2;
        clearFlag = true;
        output(clearCode);
      }
    }
    if (static_cast<size_t>(out - buffer) >= kBatchBytes) writePackets(false);
  }
  if (started) output(stringCodes[string]);
  output(endCode);
  if (accumulated > 0) *out++ = static_cast<BYTE>(accumulator);
  writePackets(true);
  file->Flush();
  if (file->Error()) SetLastError(kWriteErrorText);
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
