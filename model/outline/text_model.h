// Text as figures: the font and text parameters, glyph figures with their
// character cells, and CTextModel, which lays glyphs out in aligned lines
// and gathers them into one figure group.
#pragma once

#include "compat/afx/coll.h"
#include "compat/afx/string.h"
#include "compat/win32/types.h"
#include "model/outline/figure_group.h"

class CFont;

struct CFontSpec {
  CString face = u"Arial";  // empty: the first TrueType face installed
  int widthSize = 144;
  int heightSize = 144;
  int italic = 0;
  int bold = 0;
};

// Alignments of the lines.
constexpr int kAlignLeft = 0;
constexpr int kAlignCentre = 1;
constexpr int kAlignRight = 2;
constexpr int kAlignJustify = 3;

struct CTextParams {
  CString text = u"Motion";  // line feeds separate lines
  float charSpacing = 5.0f;
  float lineSpacing = 0.0f;
  int vertical = 0;
  int alignment = kAlignLeft;
  CFontSpec font;
  int wide = 0;  // the font gets twice the width size
};

// One character's figure, in the font's pixels with its origin on the pen
// position and the baseline at y = 0.
class CGlyphFigure : public CFigureGroup {
 public:
  // Returns 1 when the character has an outline (a space has none but
  // still gets its cell).
  int LoadGlyph(UINT character, CFont* font, BOOL vertical);
  // Moves the figure, its bounds and its cell.
  void Move(int dx, int dy);
  // Turns the figure by -90 degrees about its cell's centre; the cell turns
  // with it.
  void TurnUpright();

  // From the left shift left of the origin to the advance, and from minus
  // the ascent to the descent.
  RECT cell = {0, 0, 0, 0};
};

typedef CArray<CGlyphFigure*, CGlyphFigure*> CGlyphLine;

class CTextModel : public CFigureGroup {
 public:
  explicit CTextModel(const CTextParams& params) : m_params(params) {}
  ~CTextModel() override;

  int Create() override;

  int GetLineCount() const { return m_lines.GetSize(); }
  const CGlyphLine& GetLine(int i) const { return *m_lines[i]; }
  int GetLayoutWidth() const { return m_layoutWidth; }
  const CTextParams& GetParams() const { return m_params; }

 private:
  void ClearLines();
  void BuildLines();
  void LayoutAllLines();
  void StackLines();
  void GatherItems();

  CTextParams m_params;
  CArray<CGlyphLine*, CGlyphLine*> m_lines;
  int m_layoutWidth = 0;
};

// A new font for the parameters (null: the default size), or null when none can
// be made.
CFont* CreateTextFont(const CFontSpec* fontSpec);
CString PickFirstTrueTypeFace();
// Characters that lie sideways in vertical text.
bool IsTextCharClass(UINT c);
int LineWidth(const CGlyphLine& line, int gap);
void LayoutLine(CGlyphLine& line, int alignment, int gap, int width);
