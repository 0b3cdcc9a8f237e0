// CMedianCutQuantizer: reduces a 32-bit frame to at most a given number of
// colours by cutting its colour cube into boxes, and maps the frame onto the
// palette with serpentine Floyd-Steinberg error diffusion.
#pragma once

#include <memory>
#include <vector>

#include "compat/win32/types.h"

class CPicImage;
class CNearestColorFinder;

// A piece of a box: a run of the frame's colours, sorted by cell of the
// colour cube, and the least and greatest value of each channel over them
// (bytes laid out as a colour is: blue, green, red).
struct CColorPiece {
  DWORD first, count, least, most;
};

// One box of the colour cube: a run of pieces (the boxes' pieces partition
// the frame's colours), or, while the frame is one unsplit box, all its pixels.
struct CColorBox {
  BYTE redMin = 255, redMax = 0, greenMin = 255, greenMax = 0, blueMin = 255, blueMax = 0;
  DWORD first = 0;       // first piece
  DWORD pieceCount = 0;
  LONG pixelCount = 0;
  LONG volume = 0;

  void ComputeVolume();
};

// The mapping takes the fastest form of its loop the processor offers, all
// giving the same bytes; tests that compare the forms lower the limit: 0 the
// plain loop, 1 the SSE4.1 form where the processor has it, 2 that form
// finding cells with BMI2 where the processor does that quickly, 3 (the
// default) that form in AVX2's encoding where the processor has AVX2.
void SetMappingFormLimit(int highest);
// The same for splitting boxes: 0 the plain partition, 1 (the default) the
// SSSE3 form where the processor has it.
void SetSplitFormLimit(int highest);

class CMedianCutQuantizer {
public:
  explicit CMedianCutQuantizer(int maxColors = 256);
  ~CMedianCutQuantizer();
  CMedianCutQuantizer(const CMedianCutQuantizer&) = delete;
  CMedianCutQuantizer& operator=(const CMedianCutQuantizer&) = delete;

  // Pixels are 4 bytes each (blue, green, red, fourth byte), top line first.
  // Each call starts a new frame.
  int AddPixels(BYTE* pixels, DWORD width, DWORD height);
  // Fills up to 256 entries; returns how many it wrote.
  int MakePalette(RGBQUAD* palette);
  // A new indexed picture the caller deletes; the source pixels take the
  // diffused error. A transparent index of -1 means none.
  CPicImage* CreateIndexedImage(BYTE* pixels, DWORD width, DWORD height, WORD bpp, int colorCount,
                                const RGBQUAD* palette, float strength, LONG transIndex = -1);

  int GetBoxCount() const { return static_cast<int>(m_boxes.size()); }

private:
  void CountByCell(DWORD* least, DWORD* most);
  DWORD SortByCell();
  int ListDistinctColors(RGBQUAD* palette) const;
  void InsertBox(const CColorBox& box);
  void SplitBox(const CColorBox& box);
  void MapPixels(CPicImage& image, BYTE* pixels, DWORD width, DWORD height, float strength);

  std::vector<CColorBox> m_boxes;  // ascending volume
  BYTE* m_pixels = nullptr;
  DWORD m_pixelCount = 0;
  // Working memory kept from frame to frame: a quantiser may serve a whole
  // animation, AddPixels starting each frame afresh.
  // The frame's colours sorted by cell of the cube and room to partition
  // them, the colours' count per cell, and the pieces of the boxes (only
  // the boxes' runs of it are the current frame's; unused while the frame
  // is one unsplit box, which lists its colours from the pixels).
  std::vector<DWORD> m_colors, m_scratch;
  std::vector<DWORD> m_cellCounts;
  std::vector<CColorPiece> m_pieces, m_highPieces;
  std::unique_ptr<CNearestColorFinder> m_nearest;
  int m_maxColors;
};
