// Metafiles: enhanced metafiles made from file bytes (or from a Windows
// metafile), their header and palette, and playback into a device context.
#pragma once

#include "compat/win32/gdi.h"

struct SIZEL {
  LONG cx;
  LONG cy;
};
typedef RECT RECTL;

// The enhanced-metafile header, 108 bytes as it stands at the start of a file.
struct ENHMETAHEADER {
  DWORD iType;
  DWORD nSize;
  RECTL rclBounds;  // device pixels, inclusive
  RECTL rclFrame;   // hundredths of a millimetre, inclusive
  DWORD dSignature;
  DWORD nVersion;
  DWORD nBytes;
  DWORD nRecords;
  WORD nHandles;
  WORD sReserved;
  DWORD nDescription;
  DWORD offDescription;
  DWORD nPalEntries;
  SIZEL szlDevice;
  SIZEL szlMillimeters;
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZEL szlMicrometers;
};
typedef ENHMETAHEADER* LPENHMETAHEADER;
#define ENHMETA_SIGNATURE 0x464D4520
#define EMR_HEADER 1

struct METAFILEPICT {
  LONG mm;
  LONG xExt;
  LONG yExt;
  HMETAFILE hMF;
};

HENHMETAFILE SetEnhMetaFileBits(UINT nSize, const BYTE* pb);
HENHMETAFILE SetWinMetaFileBits(UINT nSize, const BYTE* lpMeta16Data, HDC hdcRef,
                                const METAFILEPICT* lpMFP);
UINT GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT nSize, LPENHMETAHEADER lpEnhMetaHeader);
UINT GetEnhMetaFilePaletteEntries(HENHMETAFILE hemf, UINT nNumEntries,
                                  LPPALETTEENTRY lpPaletteEntries);
BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE hmf, const RECT* lprect);
BOOL DeleteEnhMetaFile(HENHMETAFILE hmf);
