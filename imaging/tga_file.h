// CTgaFile: the system's own reader and writer of uncompressed Truevision TGA
// files, apart from the codec library (which reads the run-length kinds).
#pragma once

#include <functional>
#include <vector>

#include "imaging/image_file_types.h"
#include "imaging/own_file_io.h"

class CTgaFile {
public:
  static constexpr size_t kHeaderBytes = 18;

  struct Header {
    BYTE idLength = 0;
    BYTE colorMapType = 0;
    BYTE imageType = 0;
    WORD colorMapFirst = 0;
    WORD colorMapLength = 0;
    BYTE colorMapEntryBits = 0;
    WORD originX = 0;
    WORD originY = 0;
    WORD width = 0;
    WORD height = 0;
    BYTE pixelDepth = 0;
    BYTE descriptor = 0;
  };

  bool ReadInfo(LPCTSTR path, PictureInfo& info);
  // Decodes the file and copies width x height pixels (top row first) into
  // `pixels`, which holds at least that many.
  bool Read(LPCTSTR path, DWORD* pixels, LONG width, LONG height);
  // Decodes row by row: `row` gets each row (width pixels, left to right as
  // shown) in the file's order, bottom row first when RowsBottomUp(). Rows
  // handed over before a failure are void.
  using RowCallback = std::function<void(const DWORD* row)>;
  bool ReadRows(LPCTSTR path, const RowCallback& row);
  bool RowsBottomUp() const { return m_rowsBottomUp; }
  LONG Width() const { return m_header.width; }
  LONG Height() const { return m_header.height; }
  // Writes a top-down 32-bit buffer as a 32-bit file, run-length coded when
  // the description's compression word is 1.
  bool Save(LPCTSTR path, const PictureDescription& description, const BYTE* pixels);

  const Header& GetHeader() const { return m_header; }

private:
  bool ParseHeader(const std::vector<BYTE>& bytes);
  bool ReadColorMap(const std::vector<BYTE>& bytes, size_t& at);
  bool Decode(const std::vector<BYTE>& bytes, size_t at, const RowCallback& emit);

  Header m_header;
  DWORD m_palette[256] = {};
  bool m_rowsBottomUp = false;
};
