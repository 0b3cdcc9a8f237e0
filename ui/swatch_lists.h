// The swatch lists, one per list file, shared by every page that names the
// file: the palette's colour page and the stand-alone picker edit one colour
// list, and a page made again finds the swatches added since the program
// started. A list is read from its file on first use and written back
// whenever a page that shows it is destroyed.
#pragma once

#include "ui/swatch_file.h"

struct CSwatchList {
  CSwatchArray fills;
};

// The list of `fileName` ("Color.dat" ...), read from the Data folder the
// first time it is asked for.
CSwatchList& SharedSwatchList(LPCTSTR fileName);
// Writes the list of `fileName` to its file; FALSE when it cannot.
BOOL SaveSharedSwatchList(LPCTSTR fileName);
// Drops every list from memory (after they were written), so the next use
// reads the files again as a new run of the program does.
void ForgetSharedSwatchLists();
