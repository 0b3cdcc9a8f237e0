// CPicImageGIF: the GIF format class. Its decoder delivers one frame of a
// GIF87a/GIF89a file; its encoders write GIF89a files, one picture or an
// animation of 8-bit pictures.
#pragma once

#include <array>
#include <cstdio>
#include <vector>

#include "imaging/pic_image.h"

class CPicFile;

class CPicImageGIF : public CPicImage {
public:
  explicit CPicImageGIF(DWORD formatId = PIC_FORMAT_GIF);
  ~CPicImageGIF() override;

  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);
  bool EncodeMultiPage(CPicFile* file, CPicImage** images, int count, bool localColorTables);
  bool EncodeMultiPage(FILE* stream, CPicImage** images, int count, bool localColorTables);
  void EncodeLoopExtension(CPicFile* file);
  // The multi-page file in steps, for a writer that has its frames one at a
  // time: the screen header (and loop block) from the first frame, then each
  // frame's control and image blocks in order, then the end. The steps of
  // EncodeMultiPage, with its failure texts.
  bool BeginMultiPage(CPicFile* file, CPicImage* first);
  bool EncodePage(CPicFile* file, CPicImage* image, bool localColorTable);
  bool EndMultiPage(CPicFile* file);

  void SetLoops(LONG count) { m_loops = count; }
  LONG GetLoops() const { return m_loops; }
  void SetDisposalMethod(DWORD method) { m_disposal = method; }
  DWORD GetDisposalMethod() const { return m_disposal; }
  const char* GetComment() const { return m_comment; }
  void SetComment(const char* text);

  static constexpr int kMaxCodes = 4096;
  static constexpr int kHashSize = 5003;

private:
  struct GraphicControl {
    BYTE flags = 0;
    WORD delay = 0;
    BYTE transIndex = 0;
  };

  // --- decoding ---
  bool DecodeFrames(CPicFile* file);
  bool ReadExtension(CPicFile* file);
  bool SkipSubBlocks(CPicFile* file);
  LONG CountFrames(CPicFile* file);
  int ReadLzwByte(CPicFile* file);
  int ReadCode(CPicFile* file);
  void DecodeLzw(CPicFile* file, CPicImage& frame, bool interlaced);
  void FinishFrameData(CPicFile* file);
  void PutLine(CPicImage& frame, const BYTE* line, DWORD width);
  void ComposeOver(CPicImage& previous, DWORD left, DWORD top, LONG firstTransIndex, DWORD tableEntries);
  void CopyToCanvas(CPicImage& canvas, DWORD left, DWORD top);

  // --- encoding ---
  void WriteScreenHeader(CPicFile* file, const CPicImage& image);
  void WriteGraphicControl(CPicFile* file, const CPicImage& image);
  void WriteImageBlock(CPicFile* file, const CPicImage& image, bool localTable);
  void WriteComment(CPicFile* file);
  void WriteColorTable(CPicFile* file, const CPicImage& image);
  void CompressLzw(CPicFile* file, const CPicImage& image, int initBits);
  void ClearHash();
  void EncodeMosaic(CPicFile* file);

  LONG m_loops = 0;
  DWORD m_disposal = 0;
  char m_comment[256] = {};
  GraphicControl m_control;

  // LZW decoder state.
  int m_rootSize = 0, m_codeWidth = 0, m_topSlot = 0, m_clearCode = 0, m_endCode = 0;
  int m_firstFree = 0, m_nextSlot = 0;
  int m_bitsLeft = 0, m_blockBytesLeft = 0;
  DWORD m_currentByte = 0;
  bool m_dataEnded = false;
  std::array<BYTE, kMaxCodes + 1> m_stack{};
  std::array<BYTE, kMaxCodes> m_suffix{};
  std::array<WORD, kMaxCodes> m_prefix{};
  // Interlace state.
  bool m_interlaced = false;
  DWORD m_nextRow = 0, m_rowStep = 8, m_frameHeight = 0, m_pass = 0;
  // Rows of the current frame that its data reached (top-down order).
  std::vector<BYTE> m_rowFilled;
  // Read-ahead buffer for LZW data.
  static constexpr int kReadAhead = 16384;
  std::array<BYTE, kReadAhead + 1> m_readBuffer{};
  int m_readPos = kReadAhead + 1, m_readFill = 0;

  // LZW encoder state: the string table as files have it (keys, or -1 for
  // an empty slot), which decides where strings go; a second table that
  // finds a string's code in about one look; the strings not yet placed in
  // the first; a row's codes, the packed codes of a frame and one frame row
  // of narrow pixels.
  std::array<LONG, kHashSize> m_hash{};
  std::vector<WORD> m_hashPlaced;  // the first table's slots filled since its last clear
  bool m_hashEmptied = false;      // the first table has been filled with -1 once
  std::vector<DWORD> m_strings;
  DWORD m_filling = 0;  // which filling of the second table is current
  std::vector<WORD> m_stringCodes;
  std::vector<DWORD> m_unplaced;
  std::vector<BYTE> m_lzwBytes;
  std::vector<BYTE> m_lzwRow;
};
