// Swatch list files ("Color.dat", "ImageTexture.dat", "VaryColor.dat": a
// 32-bit count, then that many fill records) and the one-fill file
// "Material.dat", in the program's Data folder. Damaged files never throw:
// they read as nothing.
#pragma once

#include <vector>

#include "compat/afx.h"
#include "model/raster/fill_style.h"

using CSwatchArray = std::vector<CFillStyle>;

// The smallest fill record: type, colour and three empty part flags.
constexpr DWORD kMinFillRecordBytes = 20;

// The Data folder's path of a list file name.
CString SwatchFilePath(LPCTSTR fileName);

// Reads a list file. FALSE, with `swatches` empty, when the file is missing,
// cannot be read, or is damaged anywhere (a count beyond what the file can
// hold, a bad record, a short file).
BOOL ReadSwatchFile(LPCTSTR path, CSwatchArray& swatches);
// Replaces the file with the list; FALSE when it cannot be written.
BOOL WriteSwatchFile(LPCTSTR path, const CSwatchArray& swatches);

// One fill record alone. FALSE, leaving `fill` as it was, when the file is
// missing or damaged.
BOOL ReadFillFile(LPCTSTR path, CFillStyle& fill);
BOOL WriteFillFile(LPCTSTR path, const CFillStyle& fill);
