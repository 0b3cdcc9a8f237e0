// GIF decoding: the block loop, extensions, frame counting, LZW data and the
// composition of frames that leave their picture in place.
//
// Sections: --- blocks and extensions --- --- LZW data --- --- frames ---
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/gif_codec.h"
#include "imaging/little_endian.h"
#include "imaging/pic_file.h"

namespace {

constexpr BYTE kExtensionIntroducer = 0x21;
constexpr BYTE kImageSeparator = 0x2C;
constexpr BYTE kTrailer = 0x3B;
constexpr BYTE kLabelGraphicControl = 0xF9;
constexpr BYTE kLabelComment = 0xFE;
constexpr BYTE kLabelApplication = 0xFF;
constexpr int kInterlaceStart[4] = {0, 4, 2, 1};
constexpr int kInterlaceStep[4] = {8, 8, 4, 2};
// A 12-bit LZW code stands for at most 4096 pixels, so no file holds more
// than a few thousand pixels a byte. Frames whose areas add up beyond that
// would come out of missing data; they are refused before their allocation.
constexpr unsigned long long kMaxPixelsPerFileByte = 4096;
constexpr unsigned long long kPixelsAlwaysAllowed = 1ull << 22;
const char kTooLargeForFileText[] = "GIF frames too large for the file";

struct ColorTable {
  int size = 0;
  BYTE rgb[256 * 3] = {};
};

bool ReadTable(CPicFile* file, ColorTable& table, BYTE flags) {
  table.size = 2 << (flags & 7);
  return file->Read(table.rgb, 3, table.size) == static_cast<size_t>(table.size);
}

using le::Word;

// How much of a span of `length` starting at `offset` lies inside 0..limit.
DWORD ClippedSpan(DWORD offset, DWORD length, DWORD limit) {
  if (offset >= limit) return 0;
  return length < limit - offset ? length : limit - offset;
}

}  // namespace

CPicImageGIF::CPicImageGIF(DWORD formatId) : CPicImage(formatId) {}
CPicImageGIF::~CPicImageGIF() {}

void CPicImageGIF::SetComment(const char* text) {
  if (!text) text = "";
  strncpy(m_comment, text, sizeof(m_comment) - 1);
  m_comment[sizeof(m_comment) - 1] = 0;
}

// --- blocks and extensions ---

bool CPicImageGIF::SkipSubBlocks(CPicFile* file) {
  for (;;) {
    LONG length = file->GetC();
    if (length <= 0) return true;
    if (!file->Seek(length, SEEK_CUR)) return true;
  }
}

bool CPicImageGIF::ReadExtension(CPicFile* file) {
  LONG label = file->GetC();
  if (label < 0) return false;
  if (label == kLabelGraphicControl) {
    LONG size = file->GetC();
    BYTE record[4];
    size_t got = file->Read(record, 1, sizeof record);
    if (size == static_cast<LONG>(got)) {
      m_control.flags = record[0];
      m_control.delay = Word(record + 1);
      m_control.transIndex = record[3];
      // Each control block describes its own frame: no transparency flag
      // means no transparent index, not the previous frame's.
      SetTransIndex((m_control.flags & 1) ? m_control.transIndex : -1);
      SetFrameDelay(m_control.delay);
      m_disposal = (m_control.flags >> 2) & 7;
    }
  } else if (label == kLabelComment) {
    LONG size = file->GetC();
    if (size > 0) {
      size_t got = file->Read(m_comment, 1, static_cast<size_t>(size));
      m_comment[got] = 0;
    }
  } else if (label == kLabelApplication) {
    if (file->GetC() != 11) return false;
    char id[11];
    if (file->Read(id, 1, sizeof id) != sizeof id) return false;
    // Only the loop block is understood; XMP, ICC and the rest are skipped.
    if (memcmp(id, "NETSCAPE2.0", 11) == 0 || memcmp(id, "ANIMEXTS1.0", 11) == 0) {
      LONG size = file->GetC();
      if (size <= 0) return true;
      BYTE loop[3];
      if (size == 3 && file->Read(loop, 1, 3) == 3)
        m_loops = loop[1] + 256 * loop[2];
      else if (size != 3)
        file->Seek(size, SEEK_CUR);
    }
  }
  return SkipSubBlocks(file);
}

LONG CPicImageGIF::CountFrames(CPicFile* file) {
  LONG start = file->Tell();
  LONG count = 0;
  for (;;) {
    LONG c = file->GetC();
    if (c < 0 || c == kTrailer) break;
    if (c == kExtensionIntroducer) {
      if (!ReadExtension(file)) break;
      continue;
    }
    if (c != kImageSeparator) continue;
    BYTE descriptor[9];
    if (file->Read(descriptor, 1, sizeof descriptor) != sizeof descriptor) break;
    ++count;
    if ((descriptor[8] & 0x80) && !file->Seek(3 * (2 << (descriptor[8] & 7)), SEEK_CUR)) break;
    if (file->GetC() < 0) break;  // root code size
    SkipSubBlocks(file);
  }
  file->Seek(start, SEEK_SET);
  return count;
}

// --- LZW data ---

int CPicImageGIF::ReadLzwByte(CPicFile* file) {
  if (m_readPos >= kReadAhead) {
    size_t got = file->Read(m_readBuffer.data(), 1, kReadAhead);
    m_readFill = static_cast<int>(got);
    m_readPos = 0;
    if (got < static_cast<size_t>(kReadAhead)) m_readBuffer[got] = 0xFF;
  }
  if (m_readPos >= m_readFill) return -1;
  return m_readBuffer[m_readPos++];
}

int CPicImageGIF::ReadCode(CPicFile* file) {
  while (m_bitsLeft < m_codeWidth) {
    if (m_blockBytesLeft == 0) {
      int length = ReadLzwByte(file);
      if (length <= 0) {
        m_dataEnded = true;  // the terminator (or the end of input) is behind us
        return -1;
      }
      m_blockBytesLeft = length;
    }
    int byte = ReadLzwByte(file);
    if (byte < 0) {
      m_dataEnded = true;
      return -1;
    }
    m_currentByte |= static_cast<DWORD>(byte) << m_bitsLeft;
    m_bitsLeft += 8;
    --m_blockBytesLeft;
  }
  int code = static_cast<int>(m_currentByte & ((1u << m_codeWidth) - 1));
  m_currentByte >>= m_codeWidth;
  m_bitsLeft -= m_codeWidth;
  return code;
}

// Leaves the stream right after the terminator of the frame's data.
void CPicImageGIF::FinishFrameData(CPicFile* file) {
  if (!m_dataEnded) {
    while (m_blockBytesLeft > 0 && ReadLzwByte(file) >= 0) --m_blockBytesLeft;
    for (;;) {
      int length = ReadLzwByte(file);
      if (length <= 0) break;
      while (length-- > 0)
        if (ReadLzwByte(file) < 0) break;
    }
  }
  if (m_readPos < m_readFill) file->Seek(-(m_readFill - m_readPos), SEEK_CUR);
  m_readPos = kReadAhead + 1;
  m_readFill = 0;
}

void CPicImageGIF::PutLine(CPicImage& frame, const BYTE* line, DWORD width) {
  if (m_nextRow >= m_frameHeight) return;  // rows beyond the frame are dropped
  m_rowFilled[m_nextRow] = 1;
  BYTE* row = frame.GetBits() + static_cast<size_t>(m_frameHeight - 1 - m_nextRow) * frame.GetRowBytes();
  switch (frame.GetBpp()) {
    case 1:
      memset(row, 0, frame.GetRowBytes());
      for (DWORD x = 0; x < width; ++x)
        if (line[x] & 1) row[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
      break;
    case 4:
      memset(row, 0, frame.GetRowBytes());
      for (DWORD x = 0; x < width; ++x) row[x >> 1] |= static_cast<BYTE>((line[x] & 15) << ((x & 1) ? 0 : 4));
      break;
    default: memcpy(row, line, width); break;
  }
  if (!m_interlaced) {
    ++m_nextRow;
    return;
  }
  m_nextRow += m_rowStep;
  while (m_nextRow >= m_frameHeight && m_pass < 3) {
    ++m_pass;
    m_nextRow = kInterlaceStart[m_pass];
    m_rowStep = kInterlaceStep[m_pass];
  }
}

void CPicImageGIF::DecodeLzw(CPicFile* file, CPicImage& frame, bool interlaced) {
  const DWORD width = frame.GetWidth();
  m_interlaced = interlaced;
  m_nextRow = 0;
  m_rowFilled.assign(frame.GetHeight(), 0);
  m_rowStep = interlaced ? kInterlaceStep[0] : 1;
  m_pass = 0;
  m_frameHeight = frame.GetHeight();
  m_bitsLeft = 0;
  m_blockBytesLeft = 0;
  m_currentByte = 0;
  m_dataEnded = false;
  m_readPos = kReadAhead + 1;
  m_readFill = 0;

  m_rootSize = ReadLzwByte(file);
  if (m_rootSize < 2 || m_rootSize > 9) {
    m_dataEnded = m_rootSize < 0;
    return;
  }
  m_clearCode = 1 << m_rootSize;
  m_endCode = m_clearCode + 1;
  m_firstFree = m_nextSlot = m_endCode + 1;
  m_codeWidth = m_rootSize + 1;
  m_topSlot = 1 << m_codeWidth;

  std::vector<BYTE> line(width ? width : 1);
  DWORD linePos = 0;
  int oldCode = 0, firstChar = 0;
  auto emit = [&](BYTE index) {
    line[linePos++] = index;
    if (linePos == width) {
      PutLine(frame, line.data(), width);
      linePos = 0;
    }
  };

  for (;;) {
    int code = ReadCode(file);
    if (code < 0 || code == m_endCode) break;
    if (code == m_clearCode) {
      m_codeWidth = m_rootSize + 1;
      m_topSlot = 1 << m_codeWidth;
      m_nextSlot = m_firstFree;
      do code = ReadCode(file);
      while (code == m_clearCode);
      if (code < 0 || code == m_endCode) break;
      if (code >= m_nextSlot) code = 0;
      oldCode = firstChar = code;
      emit(static_cast<BYTE>(code));
      continue;
    }
    // A code beyond the next free slot cannot come from an encoder: the data ends.
    if (code > m_nextSlot) break;
    int sp = 0, c = code;
    if (code == m_nextSlot) {
      m_stack[sp++] = static_cast<BYTE>(firstChar);
      c = oldCode;
    }
    while (c >= m_firstFree && sp < kMaxCodes) {
      m_stack[sp++] = m_suffix[c];
      c = m_prefix[c];
    }
    if (c >= m_firstFree) break;  // a cycle in the table: corrupt data
    m_stack[sp++] = static_cast<BYTE>(c);
    if (m_nextSlot < m_topSlot) {
      m_suffix[m_nextSlot] = static_cast<BYTE>(c);
      m_prefix[m_nextSlot++] = static_cast<WORD>(oldCode);
      firstChar = c;
      oldCode = code;
    }
    if (m_nextSlot >= m_topSlot && m_codeWidth < 12) {
      m_topSlot <<= 1;
      ++m_codeWidth;
    }
    while (sp > 0) emit(m_stack[--sp]);
  }
  if (linePos > 0) PutLine(frame, line.data(), linePos);
}

// --- frames ---

// Draws the frame just decoded over the kept previous picture and makes the
// result current. Frames sharing the kept palette compose by index; a frame
// with a table of its own composes by colour into a true-colour picture, since
// its indices mean nothing in the kept palette. An opaque frame that covers
// the whole picture simply replaces it.
void CPicImageGIF::ComposeOver(CPicImage& previous, DWORD left, DWORD top, LONG firstTransIndex,
                               DWORD tableEntries) {
  const DWORD width = GetWidth(), height = GetHeight();
  const LONG trans = GetTransIndex();
  if (trans == -1 && left == 0 && top == 0 && width == previous.GetWidth() && height == previous.GetHeight()) return;
  // Entries past the file's table are filler that no valid index uses.
  const DWORD compared = tableEntries < GetColorCount() ? tableEntries : GetColorCount();
  const bool samePalette = previous.GetBpp() == GetBpp() && previous.GetColorCount() == GetColorCount() &&
                           (compared == 0 || memcmp(previous.GetPalette(), GetPalette(), 4 * compared) == 0);
  RGBQUAD clearColor = {0, 0, 0, 0};
  if (!samePalette) {
    if (firstTransIndex >= 0) clearColor = previous.GetPaletteColor(static_cast<BYTE>(firstTransIndex));
    if (!previous.IncreaseBpp(24)) return;
  }
  const LONG canvasHeight = static_cast<LONG>(previous.GetHeight());
  // Only the part of the frame on the picture is drawn: a hostile frame far
  // larger than the screen costs no more than the screen.
  const DWORD rows = ClippedSpan(top, height, previous.GetHeight());
  const DWORD columns = ClippedSpan(left, width, previous.GetWidth());
  for (DWORD row = 0; row < rows; ++row) {
    if (!m_rowFilled[row]) continue;
    for (DWORD x = 0; x < columns; ++x) {
      const LONG sx = static_cast<LONG>(x), sy = static_cast<LONG>(height - 1 - row);
      const BYTE index = GetPixelIndex(sx, sy);
      if (index == trans) continue;
      const LONG cx = static_cast<LONG>(left + x), cy = canvasHeight - 1 - static_cast<LONG>(top + row);
      if (samePalette)
        previous.SetPixelIndex(cx, cy, index);
      else
        previous.SetPixelColor(cx, cy, GetPixelColor(sx, sy));
    }
  }
  previous.SetFrameDelay(GetFrameDelay());
  if (samePalette) {
    previous.SetTransIndex(firstTransIndex);
  } else {
    previous.SetTransColor(clearColor);
    previous.SetTransIndex(firstTransIndex >= 0 ? 0 : -1);
  }
  Transfer(previous);
}

// True-colour mode: the rows of the frame that its data reached, as colours,
// on the part of the screen they cover.
void CPicImageGIF::CopyToCanvas(CPicImage& canvas, DWORD left, DWORD top) {
  const DWORD height = GetHeight(), canvasHeight = canvas.GetHeight();
  const DWORD rows = ClippedSpan(top, height, canvasHeight), columns = ClippedSpan(left, GetWidth(), canvas.GetWidth());
  RGBQUAD palette[256] = {};
  for (DWORD i = 0; i < GetColorCount() && i < 256; ++i) palette[i] = GetPaletteColor(static_cast<BYTE>(i));
  const WORD bpp = GetBpp();
  for (DWORD row = 0; row < rows; ++row) {
    if (!m_rowFilled[row]) continue;
    const BYTE* in = GetBits() + static_cast<size_t>(height - 1 - row) * GetRowBytes();
    BYTE* out = canvas.GetBits() + static_cast<size_t>(canvasHeight - 1 - (top + row)) * canvas.GetRowBytes() +
                3 * static_cast<size_t>(left);
    for (DWORD x = 0; x < columns; ++x, out += 3) {
      const BYTE index = bpp == 8 ? in[x] : bpp == 4 ? (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15 : (in[x >> 3] >> (7 - (x & 7))) & 1;
      out[0] = palette[index].rgbBlue;
      out[1] = palette[index].rgbGreen;
      out[2] = palette[index].rgbRed;
    }
  }
}

bool CPicImageGIF::Decode(CPicFile* file) {
  if (!file) return false;
  const LONG fileBytes = file->Remaining();
  const unsigned long long pixelBudget =
      fileBytes < 0 ? ~0ull : std::max(kPixelsAlwaysAllowed, kMaxPixelsPerFileByte * fileBytes);
  unsigned long long pixelsSpent = 0;
  BYTE head[13];
  if (file->Read(head, 1, sizeof head) != sizeof head || memcmp(head, "GIF8", 4) != 0) return false;
  const DWORD screenWidth = Word(head + 6), screenHeight = Word(head + 8);
  ColorTable global;
  const bool hasGlobal = head[10] & 0x80;
  int trueColorPoints = 0;
  if (hasGlobal) {
    if (!ReadTable(file, global, head[10])) return false;
  } else {
    global.size = 2 << (head[10] & 7);
    ++trueColorPoints;
  }

  // Counting reads the control blocks too; the frames start from a clean slate.
  LONG count = CountFrames(file);
  SetFrameCount(count);
  SetTransIndex(-1);
  SetFrameDelay(0);
  m_disposal = 0;
  LONG wanted = GetFrameIndex();
  if (wanted < 0 || wanted >= count) return false;

  bool trueColor = false, delivered = false;
  LONG firstTransIndex = -1;
  std::unique_ptr<CPicImage> canvas;
  RGBQUAD lastTransColor = {0, 0, 0, 0};
  bool lastTransparent = false;
  for (LONG frameNo = 0;; ++frameNo) {
    LONG c;
    do {
      c = file->GetC();
      if (c == kExtensionIntroducer && !ReadExtension(file)) c = -1;
    } while (c >= 0 && c != kTrailer && c != kImageSeparator);
    if (c != kImageSeparator) break;

    BYTE d[9];
    if (file->Read(d, 1, sizeof d) != sizeof d) break;
    const DWORD left = Word(d), top = Word(d + 2), width = Word(d + 4), height = Word(d + 6);
    if (frameNo == 0 && width != screenWidth && height != screenHeight) ++trueColorPoints;
    pixelsSpent += static_cast<unsigned long long>(width) * height;
    if (frameNo == 0 && trueColorPoints >= 2) pixelsSpent += static_cast<unsigned long long>(screenWidth) * screenHeight;
    if (pixelsSpent > pixelBudget) {
      SetLastError(kTooLargeForFileText);
      return false;
    }
    if (SizeOnly() && trueColorPoints >= 2) return StopAtSize(screenWidth, screenHeight, 24);
    if (frameNo == 0 && trueColorPoints >= 2) {
      trueColor = true;
      wanted = count - 1;
      canvas = std::make_unique<CPicImage>();
      canvas->CopyInfo(*this);
      if (!canvas->Create(screenWidth, screenHeight, 24, PIC_FORMAT_GIF)) return false;
    }
    // A local table serves its own frame; the global one stays for the next.
    ColorTable local;
    const ColorTable* table = &global;
    if (d[8] & 0x80) {
      if (!ReadTable(file, local, d[8])) break;
      table = &local;
    }
    std::unique_ptr<CPicImage> previous;
    if (frameNo > 0 && m_disposal == 1 && !trueColor && IsValid()) previous = std::make_unique<CPicImage>(*this);
    if (frameNo == 0) firstTransIndex = GetTransIndex();

    DWORD bpp = table->size <= 2 ? 1 : table->size <= 16 ? 4 : 8;
    if (SizeOnly()) return StopAtSize(width, height, bpp);
    if (!Create(width, height, bpp, PIC_FORMAT_GIF)) return false;
    if (hasGlobal || (d[8] & 0x80)) {
      const BYTE fill = GetTransIndex() != -1 ? 255 : 0;
      for (DWORD i = 0; i < GetColorCount(); ++i) {
        const BYTE* rgb = table->rgb + 3 * i;
        if (static_cast<int>(i) < table->size)
          SetPaletteColor(static_cast<BYTE>(i), rgb[0], rgb[1], rgb[2]);
        else
          SetPaletteColor(static_cast<BYTE>(i), fill, fill, fill);
      }
    }
    DecodeLzw(file, *this, d[8] & 0x40);
    FinishFrameData(file);

    if (previous) ComposeOver(*previous, left, top, firstTransIndex, static_cast<DWORD>(table->size));
    if (trueColor) {
      CopyToCanvas(*canvas, left, top);
      lastTransparent = GetTransIndex() != -1;
      if (lastTransparent) lastTransColor = GetPaletteColor(static_cast<BYTE>(GetTransIndex()));
    }
    if (frameNo == wanted) {
      delivered = true;
      break;
    }
  }
  if (!delivered) return false;
  if (trueColor) {
    LONG frames = GetFrameCount(), index = GetFrameIndex();
    DWORD delay = GetFrameDelay();
    Transfer(*canvas);
    SetFrameCount(frames);
    SetFrameIndex(index);
    SetFrameDelay(delay);
    if (lastTransparent) {
      SetTransColor(lastTransColor);
      SetTransIndex(0);
    } else {
      SetTransIndex(-1);
    }
  }
  return true;
}
