// The toolbar resources the menus take their pictures from: the toolbar
// record (type 241) and its bitmap strip of the same id.
#pragma once

#include <vector>

#include "compat/afx.h"

struct KitToolbarResource {
  int imageWidth = 0;
  int imageHeight = 0;
  std::vector<WORD> ids;  // one per button; 0 for a separator
};

// False when the resource is missing or shorter than its item count says.
bool KitReadToolbarResource(UINT id, KitToolbarResource* out);
// The strip; a 16-colour one with its greys mapped to the current system colours.
HBITMAP KitLoadToolbarBitmap(UINT id);
// The image index of a command's button in a toolbar, or -1 when the
// toolbar has no button for it.
int KitToolbarImageOf(UINT toolbarId, UINT command);
