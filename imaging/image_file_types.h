// Kinds of picture files by the end of their names, relocation of stored
// picture paths into the data folders beside the program, and the record
// that describes a picture file.
#pragma once

#include "compat/afx.h"

// Seven words describing a picture file.
struct PictureInfo {
  LONG originX = 0;
  LONG originY = 0;
  LONG width = 0;
  LONG height = 0;
  DWORD bitsPerPixel = 0;
  DWORD compression = 0;
  DWORD reserved = 0;
};

// Type codes of GetImageFileType; they double as the export's output kinds.
enum ImageFileType {
  IMAGE_FILE_UNKNOWN = -1,
  IMAGE_FILE_AVI = 0,
  IMAGE_FILE_GIF = 1,
  IMAGE_FILE_TGA = 2,
  IMAGE_FILE_BMP = 3,
  IMAGE_FILE_JPG = 4,
  IMAGE_FILE_PCX = 5,
  IMAGE_FILE_ICO = 6,
  IMAGE_FILE_METAFILE = 7,
  IMAGE_FILE_PNG = 8,
  IMAGE_FILE_TIF = 9,
  IMAGE_FILE_WBMP = 10,
  IMAGE_FILE_SWF = 11,
};

// Folder kinds of AppSubfolderPath.
enum AppSubfolderKind { SUBFOLDER_IMAGE = 0, SUBFOLDER_LIGHT = 1, SUBFOLDER_MASK = 2, SUBFOLDER_WIPE = 3 };

// The kind of a file from the last characters of its name (no dot needed).
int GetImageFileType(CString fileName);

// The stored path when it exists; else the same file name in the kind's data
// folder beside the program when it exists there (the folder is created on
// the way); else an empty string.
CString AppSubfolderPath(CString path, int kind);
