// Glyphs of a real font through the platform's glyph outline service: the
// filled outline against FreeType's own coverage of the same face, spaces
// and vertical glyphs.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "compat/afx.h"
#include "model/outline/glyph_outline.h"
#include "outline_test_shapes.h"

using namespace test_shapes;

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

bool MakeFont(CFont& font, int pixels) {
  return font.CreateFont(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, _T("DejaVu Sans"));
}

double FreeTypeArea(char ch, int pixels) {
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0) return -1;
  double area = -1;
  if (FT_New_Face(library, kFontFile, 0, &face) == 0) {
    FT_Set_Pixel_Sizes(face, 0, pixels);
    if (FT_Load_Char(face, ch, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) == 0) {
      const FT_Bitmap& bm = face->glyph->bitmap;
      area = 0;
      for (unsigned y = 0; y < bm.rows; ++y) {
        for (unsigned x = 0; x < bm.width; ++x) area += bm.buffer[y * bm.pitch + x];
      }
      area /= 255.0;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  return area;
}

}  // namespace

TEST(GlyphFont, CharactersFillAsFreeTypeRendersThem) {
  CFont font;
  ASSERT_TRUE(MakeFont(font, 8 * 40));  // eight units a pixel at 40 pixels
  for (char ch : std::string("aQ&")) {
    CShapeOutline o;
    int metrics[4] = {};
    ASSERT_EQ(BuildGlyph(o, static_cast<UINT>(ch), &font, metrics, FALSE), 1) << ch;
    EXPECT_GT(o.GetContourCount(), 0);
    EXPECT_LT(metrics[1], 0);  // minus the ascent
    EXPECT_GT(metrics[2], 0);
    RECT r;
    o.GetBounds(&r);
    o.Offset(static_cast<float>(32 - r.left), static_cast<float>(32 - r.top));
    CMaskBuffer mask;
    mask.width = (r.right - r.left) / 8 + 10;
    mask.height = (r.bottom - r.top) / 8 + 10;
    mask.Create(mask.width, mask.height, 0);
    o.RenderCoverage(&mask, 0, 0, 0, 0);
    const double ours = MaskArea(mask);
    mask.Free();
    const double theirs = FreeTypeArea(ch, 40);
    if (theirs < 0) GTEST_SKIP() << "no DejaVu Sans file";
    EXPECT_NEAR(ours, theirs, theirs * 0.04) << ch;
  }
}

TEST(GlyphFont, SpacesKeepTheirAdvanceAndVerticalGlyphsTurn) {
  CFont font;
  ASSERT_TRUE(MakeFont(font, 64));
  CShapeOutline o;
  int metrics[4] = {};
  EXPECT_EQ(BuildGlyph(o, ' ', &font, metrics, FALSE), 0);
  RECT r;
  o.GetBounds(&r);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_GT(metrics[2], 0);
  int across[4] = {};
  ASSERT_EQ(BuildGlyph(o, 'W', &font, across, FALSE), 1);
  int down[4] = {};
  ASSERT_EQ(BuildGlyph(o, 'W', &font, down, TRUE), 1);
  // Turned a quarter: the font's descent, negated, is the left shift and
  // its ascent the advance.
  EXPECT_EQ(down[0], -across[3]);
  EXPECT_EQ(down[2], -across[1]);
}
