// Fonts behind HFONTs: a FreeType face at one size, found through fontconfig
// with the platform's face names mapped to installed metric-compatible fonts.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "compat/win32/gdi_internal.h"

namespace compat::gdi {

// FreeType faces are not thread-safe: every use holds this lock.
std::recursive_mutex& FontMutex();

// A character key with this bit set names a glyph of the face by its index
// (text drawn with ETO_GLYPH_INDEX) rather than a character.
constexpr char32_t kGlyphIndexKey = 0x80000000u;

struct GlyphImage {
  int advance = 0;     // pixels along the baseline
  int left = 0;        // bitmap offset from the pen position
  int top = 0;         // bitmap top above the baseline
  int width = 0;
  int rows = 0;
  int penDx = 0, penDy = 0;  // rotated advance for escaped text (device, y down)
  std::vector<uint8_t> coverage;  // rows x width, 0-255
};

class FontFace {
 public:
  static std::shared_ptr<FontFace> Create(const LOGFONTW& lf);
  ~FontFace();

  const TEXTMETRICW& Metrics() const { return metrics_; }
  bool IsMarlett() const { return marlett_; }
  const LOGFONTW& Logical() const { return lf_; }
  const std::u16string& FamilyName() const { return family_; }  // the installed font's family
  int EmPixels() const { return em_; }
  double Escapement() const { return escapement_; }  // radians, counter-clockwise
  int UnderlinePosition() const { return underlinePos_; }  // pixels below the baseline
  int UnderlineThickness() const { return underlineThick_; }
  int StrikeoutPosition() const { return strikePos_; }      // pixels above the baseline

  int Advance(char32_t ch);
  const GlyphImage* Glyph(char32_t ch);  // rendered as the text is drawn
  // Floating-point A, B and C widths of a character.
  ABCFLOAT Abc(char32_t ch);
  // Loads the unhinted outline of a character at the font's size, in 26.6
  // pixels, y up; nullptr when the face has none for it.
  FT_Outline* LoadOutline(char32_t ch, FT_Vector* advance);
  // The face's glyph for a character key (0: the missing glyph).
  unsigned GlyphIndex(char32_t ch);

 private:
  FontFace() = default;
  bool Open(const LOGFONTW& lf);
  void ComputeMetrics();
  void Activate();

  LOGFONTW lf_{};
  bool marlett_ = false;
  FT_Face face_ = nullptr;
  FT_Size size_ = nullptr;
  int em_ = 0;
  double escapement_ = 0;
  bool mono_ = false;
  std::u16string family_;
  TEXTMETRICW metrics_{};
  int underlinePos_ = 1, underlineThick_ = 1, strikePos_ = 3;
  std::map<char32_t, int> advances_;
  std::map<char32_t, GlyphImage> glyphs_;
};

// The face of a font object, created on first use and shared between equal fonts.
std::shared_ptr<FontFace> FaceOf(FontObj& font);
std::shared_ptr<FontFace> CurrentFace(DcObj& dc);

// The installed family a platform face name maps to ("Arial" gives "Liberation Sans").
std::string ResolveFamily(const std::u16string& face, bool bold, bool italic, std::string* file);

// Reads one character of UTF-16 text, advancing *i; with `glyphIndex` each
// unit is a glyph index and comes back as a glyph key.
char32_t NextChar(const WCHAR* s, int n, int* i, bool glyphIndex = false);
// Text in an open path: the glyph outlines go into it as figures.
void RecordTextIntoPath(DcObj& dc, FontFace& face, int x, int baseline, const WCHAR* s, int n,
                        const INT* dx, int extra, bool glyphIndex);

}  // namespace compat::gdi
