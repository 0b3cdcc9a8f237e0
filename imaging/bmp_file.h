// CBmpFile: the system's own reader and writer of Windows BMP files, apart
// from the codec library.
#pragma once

#include <functional>
#include <vector>

#include "imaging/image_file_types.h"
#include "imaging/own_file_io.h"

class CBmpFile {
public:
  static constexpr WORD kTypeBM = 19778;

  // The two headers only. Top-down files report their height as positive.
  bool ReadInfo(LPCTSTR path, PictureInfo& info);
  // Decodes into `pixels` (width x height 32-bit words, blue, green, red,
  // alpha), rows bottom row first whatever the file's own row order.
  bool Read(LPCTSTR path, std::vector<DWORD>& pixels, PictureInfo* info = nullptr);
  // Decodes row by row: `row` gets each row (width pixels) in the file's own
  // order, bottom row first unless TopDown(). Rows handed over before a
  // failure are void. A picture far larger than its file (run-length data)
  // is never held whole.
  using RowCallback = std::function<void(const DWORD* row)>;
  bool ReadRows(LPCTSTR path, const RowCallback& row, PictureInfo* info = nullptr);
  bool TopDown() const { return m_topDown; }
  LONG Width() const { return m_width; }
  LONG Height() const { return m_height; }
  // Writes a top-down 32-bit buffer at 24 bits (or 32, or 8 from a grey
  // source of one byte a pixel).
  bool Save(LPCTSTR path, const PictureDescription& description, const BYTE* pixels);

  const BITMAPFILEHEADER& FileHeader() const { return m_fileHeader; }
  const BITMAPINFOHEADER& InfoHeader() const { return m_infoHeader; }

private:
  bool ParseHeaders(const std::vector<BYTE>& bytes);
  DWORD PaletteEntries() const;
  bool ReadPalette(const std::vector<BYTE>& bytes, size_t at);
  void ReadMasks(const std::vector<BYTE>& bytes);
  bool PixelsPresent(size_t available) const;
  bool DecodeRows(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit);
  bool DecodeRunLength(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit);

  BITMAPFILEHEADER m_fileHeader = {};
  BITMAPINFOHEADER m_infoHeader = {};
  RGBQUAD m_palette[256] = {};
  LONG m_width = 0, m_height = 0;
  bool m_topDown = false;
  // The file has the 12-byte OS/2 core header.
  bool m_core = false;
  // Red, green, blue and alpha masks of a 32-bit bit-field file.
  DWORD m_masks[4] = {};
};
