// WMF and EMF format class of the codec library: placeable Windows metafiles
// and enhanced metafiles rendered into a 24-bit picture. Read only.
#pragma once

#include "compat/win32.h"
#include "imaging/pic_image.h"

class CPicImageWMF : public CPicImage {
public:
  // The 22-byte header in front of a placeable Windows metafile.
  struct PlaceableHeader {
    DWORD key;
    WORD handle;
    SHORT left, top, right, bottom;
    WORD unitsPerInch;
    DWORD reserved;
    WORD checksum;
  };

  explicit CPicImageWMF(DWORD formatId = PIC_FORMAT_WMF) : CPicImage(formatId) {}
  // Width and height, when not 0, replace the metafile's own size.
  bool Decode(CPicFile* file, LONG width = 0, LONG height = 0);
  bool Encode(CPicFile* file);

  static bool CheckPlaceableHeader(const PlaceableHeader& header);
  static HENHMETAFILE ReadPlaceableMetafile(CPicFile* file, PlaceableHeader* header);
  static HENHMETAFILE ReadEnhancedMetafile(CPicFile* file, ENHMETAHEADER* header);
  static void ClampMetafileSize(LONG& width, LONG& height);

private:
  bool Render(HENHMETAFILE metafile, LONG width, LONG height);
};
