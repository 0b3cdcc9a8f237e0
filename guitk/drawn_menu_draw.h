// The owner-drawn menus' measure, draw and title routines, one per look family.
#pragma once

#include "compat/afx.h"

class CDrawnMenu;

void PlainMeasure(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel);
void StyledMeasure(CDrawnMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL topLevel);
void ClassicDraw(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine);
void ClassicDrawBarLine(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine);
void StyledDraw(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis, BOOL barLine);
void DrawMenuTitle(CDrawnMenu* menu, LPDRAWITEMSTRUCT dis);

// Shared with the popup menu manager: a caption split at its first tab, the
// left part with its mnemonic, the rest right-aligned.
void DrawMenuCaption(CDC* pDC, const CString& caption, RECT rect, UINT extraFormat = 0);
// A rectangle filled with one colour and framed with a 1-pixel pen of another.
void KitFramedFill(CDC* pDC, const RECT& rect, COLORREF fill, COLORREF frame);
// A "Marlett" glyph centred in a box.
void DrawMarlettGlyph(CDC* pDC, const RECT& box, WCHAR glyph, COLORREF color, BOOL bold);
// The system's menu font (bold for a menu's default item), made once.
CFont* GetKitMenuFont(BOOL bold = FALSE);
