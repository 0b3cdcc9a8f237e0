// Text models: fonts from the text parameters, line splitting, the four
// alignments, line stacking, vertical text, glyph bounds against FreeType's
// own outline of the same face, and a text item rendered into a picture.
#include "model/outline/text_model.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "compat/afx.h"
#include "model/raster/layer_list.h"
#include "model/raster/pixel_buffer.h"
#include "model/outline/text_item.h"

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

CTextParams Params(const char16_t* text, int size = 40) {
  CTextParams p;
  p.text = text;
  p.font.face = u"DejaVu Sans";
  p.font.heightSize = size;
  p.font.widthSize = size;
  return p;
}

// FreeType's unhinted control box (the box of a straight-edged glyph) of a character, in pixels, y down.
bool FreeTypeBox(char ch, int pixels, double box[4]) {
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0) return false;
  bool ok = false;
  if (FT_New_Face(library, kFontFile, 0, &face) == 0) {
    FT_Set_Pixel_Sizes(face, 0, pixels);
    if (FT_Load_Char(face, ch, FT_LOAD_NO_HINTING) == 0) {
      FT_BBox b;
      FT_Outline_Get_CBox(&face->glyph->outline, &b);
      box[0] = b.xMin / 64.0;
      box[1] = -b.yMax / 64.0;
      box[2] = b.xMax / 64.0;
      box[3] = -b.yMin / 64.0;
      ok = true;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return ok;
}

}  // namespace

TEST(TextFont, SizesComeFromTheSpec) {
  CTextParams defaults;
  EXPECT_EQ(defaults.text, CString(u"Motion"));
  EXPECT_EQ(defaults.font.face, CString(u"Arial"));
  EXPECT_EQ(defaults.charSpacing, 5.0f);
  CFont* font = CreateTextFont(&defaults.font);
  ASSERT_NE(font, nullptr);
  LOGFONT lf{};
  font->GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -144);
  EXPECT_EQ(lf.lfWidth, 72);
  EXPECT_EQ(lf.lfWeight, 500);
  delete font;
  CFontSpec tiny;
  tiny.widthSize = 1;
  tiny.heightSize = -7;
  tiny.bold = 1;
  font = CreateTextFont(&tiny);
  ASSERT_NE(font, nullptr);
  font->GetLogFont(&lf);
  EXPECT_EQ(lf.lfWidth, 2);  // raised to 4, then halved
  EXPECT_EQ(lf.lfHeight, -4);
  EXPECT_EQ(lf.lfWeight, 900);
  delete font;
  font = CreateTextFont(nullptr);
  ASSERT_NE(font, nullptr);
  font->GetLogFont(&lf);
  EXPECT_EQ(lf.lfHeight, -58);
  EXPECT_EQ(lf.lfWidth, 36);
  delete font;
  EXPECT_FALSE(PickFirstTrueTypeFace().IsEmpty());
}

TEST(TextModel, LinesSplitOnLineFeedsOnly) {
  CTextModel crlf(Params(u"A\r\nB"));
  EXPECT_EQ(crlf.Create(), 1);
  ASSERT_EQ(crlf.GetLineCount(), 2);
  EXPECT_EQ(crlf.GetLine(0).GetSize(), 1);
  EXPECT_EQ(crlf.GetLine(1).GetSize(), 1);
  CTextModel blank(Params(u"A\n\nB\n"));
  blank.Create();
  ASSERT_EQ(blank.GetLineCount(), 4);
  ASSERT_EQ(blank.GetLine(1).GetSize(), 1);  // the empty line holds a space
  EXPECT_EQ(blank.GetLine(1)[0]->GetItemCount(), 0);
  EXPECT_GT(blank.GetLine(1)[0]->cell.right - blank.GetLine(1)[0]->cell.left, 0);
  // Decision: an empty text has no lines at all (not one line holding a
  // space) and so no items.
  CTextModel empty(Params(u""));
  EXPECT_EQ(empty.Create(), 1);
  EXPECT_EQ(empty.GetLineCount(), 0);
  EXPECT_EQ(empty.GetItemCount(), 0);
}

TEST(TextModel, AlignmentsPlaceEveryLine) {
  const char16_t* text = u"Hi\nWider line\nx";
  for (int align = kAlignLeft; align <= kAlignJustify; ++align) {
    CTextParams p = Params(text);
    p.alignment = align;
    CTextModel m(p);
    m.Create();
    const int width = m.GetLayoutWidth();
    ASSERT_GT(width, 0);
    for (int i = 0; i < m.GetLineCount(); ++i) {
      const CGlyphLine& line = m.GetLine(i);
      const int left = line[0]->cell.left;
      const int right = line[line.GetSize() - 1]->cell.right;
      const int lineWidth = LineWidth(line, 5);
      if (align == kAlignLeft) {
        EXPECT_EQ(left, 0) << i;
      }
      if (align == kAlignRight) {
        EXPECT_EQ(right, 0) << i;
      }
      if (align == kAlignCentre || (align == kAlignJustify && line.GetSize() == 1)) {
        EXPECT_EQ(left, (width - lineWidth) / 2) << align << " " << i;
        EXPECT_LE(right, width);
      }
      if (align == kAlignJustify && line.GetSize() > 1) {
        EXPECT_EQ(left, 0);
        EXPECT_LE(right, width);
        EXPECT_GT(right, width - line.GetSize());  // the division's remainder
      }
      // Neighbouring cells keep the gap (wider when justified).
      for (int k = 1; align != kAlignJustify && k < line.GetSize(); ++k)
        EXPECT_EQ(line[k]->cell.left - line[k - 1]->cell.right, 5) << align;
    }
  }
}

TEST(TextModel, LinesStackByAscentDescentAndSpacing) {
  CTextParams p = Params(u"A\nA");
  p.lineSpacing = 10.7f;
  CTextModel m(p);
  m.Create();
  const CGlyphFigure& a = *m.GetLine(0)[0];
  const CGlyphFigure& b = *m.GetLine(1)[0];
  EXPECT_EQ(b.cell.top - a.cell.top, (a.cell.bottom - a.cell.top) + 10);
  RECT ra, rb;
  a.GetBounds(ra);
  b.GetBounds(rb);
  EXPECT_EQ(rb.top - ra.top, b.cell.top - a.cell.top);
}

TEST(TextModel, GlyphBoundsAgreeWithTheFont) {
  // Decision: the figure is in the font's pixels, so a font of height size
  // 80 gives glyphs as FreeType outlines them at 80 pixels, on a baseline
  // at y = 0.
  double box[4];
  ASSERT_TRUE(FreeTypeBox('H', 80, box));
  CTextModel m(Params(u"H", 80));
  m.Create();
  RECT r;
  m.GetBounds(r);
  EXPECT_NEAR(r.top, box[1], 1.0);
  EXPECT_NEAR(r.bottom, box[3], 1.0);
  const CGlyphFigure& h = *m.GetLine(0)[0];
  // Decision: the glyph cell runs from the glyph's left overhang to its
  // advance, and from minus the font's ascent to its descent.
  EXPECT_EQ(h.cell.left, 0);
  EXPECT_LE(h.cell.top, r.top);
  EXPECT_GE(h.cell.bottom, r.bottom);
  EXPECT_GE(h.cell.right, r.right);
}

TEST(TextModel, VerticalTextTurnsLatinAndKeepsOthersUpright) {
  EXPECT_TRUE(IsTextCharClass(u'I'));
  EXPECT_TRUE(IsTextCharClass(u' '));
  EXPECT_TRUE(IsTextCharClass(0x300C));
  EXPECT_FALSE(IsTextCharClass(u'!'));
  EXPECT_FALSE(IsTextCharClass(0x6C34));
  const auto shape = [](const char16_t* text, int vertical) {
    CTextParams p = Params(text, 60);
    p.vertical = vertical;
    CTextModel m(p);
    m.Create();
    RECT r;
    m.ComputeBounds(r);
    return std::make_pair(r.right - r.left, r.bottom - r.top);
  };
  const auto latin = shape(u"I", 0);
  EXPECT_LT(latin.first, latin.second);
  const auto turned = shape(u"I", 1);
  EXPECT_NEAR(turned.first, latin.second, 1);
  EXPECT_NEAR(turned.second, latin.first, 1);
  const auto mark = shape(u"!", 1);  // outside the class: stays upright
  EXPECT_LT(mark.first, mark.second);
}

TEST(TextItem, RendersItsTextIntoAPicture) {
  CTextItem item;
  EXPECT_EQ(item.BuildModel(Params(u"I", 60)), 1);
  ASSERT_NE(item.figure, nullptr);
  COverlayItem* layer = new COverlayItem;
  layer->fill.color = 0xFF2040C0;
  item.layers->Add(layer);
  EXPECT_EQ(item.Render(), 0);
  ASSERT_NE(item.result, nullptr);
  const CPixelBuffer& pic = *item.result;
  int opaque = 0;
  for (int64_t i = 0; i < int64_t{pic.Width()} * pic.Height(); ++i) opaque += (pic.bits[i] == 0xFF2040C0);
  // The stem of an I: its height times its width, roughly.
  RECT r;
  item.figure->GetBounds(r);
  EXPECT_GT(opaque, (r.bottom - r.top - 4) * 3);
  const int cx = (r.left + r.right) / 2 - pic.rect.left;
  const int cy = (r.top + r.bottom) / 2 - pic.rect.top;
  EXPECT_EQ(pic.bits[cy * pic.Width() + cx], 0xFF2040C0u);
  EXPECT_EQ(pic.bits[0] >> 24, 0u);
  // Building again replaces the model.
  item.BuildModel(Params(u"II", 60));
  RECT wider;
  item.figure->GetBounds(wider);
  EXPECT_GT(wider.right - wider.left, r.right - r.left);
}
