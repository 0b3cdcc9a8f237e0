// Fonts: face-name mapping through fontconfig, FreeType faces at the size a
// LOGFONTW asks for, text metrics, glyph images and widths, and the font calls.
//
// Sections: face lookup · FontFace · font objects · font calls
#include "compat/win32/fonts.h"

#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>
#include <unordered_map>

namespace compat::gdi {

namespace {

constexpr int kMaxEmPixels = 4096;
constexpr size_t kRecentFaces = 32;
constexpr double kPi = 3.14159265358979323846;

// --- face lookup ---

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(const char* s) {
  std::u16string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p;) {
    char32_t c = *p++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) c &= (0x3F >> extra);
    for (int k = 0; k < extra && (*p & 0xC0) == 0x80; ++k) c = (c << 6) | (*p++ & 0x3F);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Platform face names and the installed fonts with the same metrics.
const char* MappedFamily(const std::string& lower) {
  static const std::unordered_map<std::string, const char*> kMap = {
      {"", "Liberation Sans"}, {"ms sans serif", "Liberation Sans"},
      {"microsoft sans serif", "Liberation Sans"}, {"ms shell dlg", "Liberation Sans"},
      {"ms shell dlg 2", "Liberation Sans"}, {"tahoma", "Liberation Sans"},
      {"arial", "Liberation Sans"}, {"system", "Liberation Sans"}, {"verdana", "Liberation Sans"},
      {"helvetica", "Liberation Sans"}, {"segoe ui", "Liberation Sans"},
      {"times new roman", "Liberation Serif"}, {"times", "Liberation Serif"},
      {"ms serif", "Liberation Serif"}, {"courier new", "Liberation Mono"},
      {"courier", "Liberation Mono"}, {"fixedsys", "Liberation Mono"},
      {"terminal", "Liberation Mono"}, {"lucida console", "Liberation Mono"}};
  auto it = kMap.find(lower);
  return it == kMap.end() ? nullptr : it->second;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    FcInit();
    // Fontconfig keeps its configuration until told to let go.
    std::atexit([] { FcFini(); });
    return l;
  }();
  return lib;
}

FT_Face OpenFile(const std::string& file, int index) {
  static std::map<std::pair<std::string, int>, FT_Face> faces;
  auto key = std::make_pair(file, index);
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), file.c_str(), index, &face) != 0) face = nullptr;
  faces[key] = face;
  return face;
}

struct Match {
  std::string family, file;
  int index = 0;
};

Match FontconfigMatch(const std::string& family, bool bold, bool italic) {
  Match m;
  Library();
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcPattern* found = FcFontMatch(nullptr, pat, &result);
  if (found) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &s) == FcResultMatch) m.file = reinterpret_cast<char*>(s);
    if (FcPatternGetString(found, FC_FAMILY, 0, &s) == FcResultMatch) m.family = reinterpret_cast<char*>(s);
    FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pat);
  return m;
}

Match Resolve(const std::u16string& face, bool bold, bool italic) {
  static std::map<std::tuple<std::u16string, bool, bool>, Match> cache;
  auto key = std::make_tuple(face, bold, italic);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::string name = Utf8(face);
  const char* mapped = MappedFamily(Lower(name));
  Match m = FontconfigMatch(mapped ? mapped : name, bold, italic);
  cache[key] = m;
  return m;
}

std::u16string FaceName(const LOGFONTW& lf) {
  std::u16string s;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) s += lf.lfFaceName[i];
  return s;
}

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

std::recursive_mutex& FontMutex() {
  static auto* m = new std::recursive_mutex();
  return *m;
}

std::string ResolveFamily(const std::u16string& face, bool bold, bool italic, std::string* file) {
  std::lock_guard lock(FontMutex());
  Match m = Resolve(face, bold, italic);
  if (file) *file = m.file;
  return m.family;
}

char32_t NextChar(const WCHAR* s, int n, int* i, bool glyphIndex) {
  char32_t c = s[(*i)++];
  if (glyphIndex) return c | kGlyphIndexKey;
  if (c >= 0xD800 && c < 0xDC00 && *i < n && s[*i] >= 0xDC00 && s[*i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (s[(*i)++] - 0xDC00);
  return c;
}

// --- FontFace ---

std::shared_ptr<FontFace> FontFace::Create(const LOGFONTW& lf) {
  std::shared_ptr<FontFace> f(new FontFace());
  if (!f->Open(lf)) return nullptr;
  return f;
}

FontFace::~FontFace() {
  std::lock_guard lock(FontMutex());
  if (size_) FT_Done_Size(size_);
}

bool FontFace::Open(const LOGFONTW& lf) {
  std::lock_guard lock(FontMutex());
  lf_ = lf;
  escapement_ = lf.lfEscapement / 10.0 * kPi / 180.0;
  mono_ = lf.lfQuality == NONANTIALIASED_QUALITY;
  std::u16string face = FaceName(lf);
  if (IsMarlettFace(face.c_str())) {
    marlett_ = true;
    family_ = u"Marlett";
    em_ = std::clamp(lf.lfHeight == 0 ? 12 : std::abs(static_cast<int>(lf.lfHeight)), 1, kMaxEmPixels);
    ComputeMetrics();
    return true;
  }
  Match m = Resolve(face, lf.lfWeight >= FW_SEMIBOLD, lf.lfItalic != 0);
  face_ = m.file.empty() ? nullptr : OpenFile(m.file, m.index);
  if (!face_ || FT_New_Size(face_, &size_) != 0) return false;
  family_ = FromUtf8(m.family.c_str());
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  double upem = face_->units_per_EM ? face_->units_per_EM : 2048;
  double cell = os2 ? os2->usWinAscent + os2->usWinDescent : face_->ascender - face_->descender;
  // A positive height is the cell height, a negative one the character (em) height.
  double em = lf.lfHeight < 0 ? -double(lf.lfHeight) : lf.lfHeight > 0 ? lf.lfHeight * upem / cell : 12.0;
  em_ = std::clamp(Round(em), 1, kMaxEmPixels);
  int xem = em_;
  if (lf.lfWidth > 0 && os2 && os2->xAvgCharWidth > 0)
    xem = std::clamp(Round(lf.lfWidth * upem / os2->xAvgCharWidth), 1, kMaxEmPixels);
  Activate();
  FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(xem), static_cast<FT_UInt>(em_));
  ComputeMetrics();
  return true;
}

void FontFace::Activate() {
  if (size_) FT_Activate_Size(size_);
}

void FontFace::ComputeMetrics() {
  TEXTMETRICW& tm = metrics_;
  tm = TEXTMETRICW{};
  tm.tmWeight = lf_.lfWeight ? lf_.lfWeight : FW_NORMAL;
  tm.tmItalic = lf_.lfItalic ? 255 : 0;
  tm.tmUnderlined = lf_.lfUnderline ? 255 : 0;
  tm.tmStruckOut = lf_.lfStrikeOut ? 255 : 0;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 0x20;
  tm.tmLastChar = 0xFFFC;
  tm.tmDefaultChar = 0x1F;
  tm.tmBreakChar = 0x20;
  tm.tmCharSet = marlett_ ? SYMBOL_CHARSET : ANSI_CHARSET;
  if (marlett_) {
    tm.tmHeight = tm.tmAscent = tm.tmAveCharWidth = tm.tmMaxCharWidth = em_;
    tm.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE | FF_DECORATIVE;
    return;
  }
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  const TT_HoriHeader* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
  double scale = double(em_) / (face_->units_per_EM ? face_->units_per_EM : 2048);
  double xscale = face_->size ? face_->size->metrics.x_ppem / double(std::max<FT_UShort>(1, face_->size->metrics.y_ppem)) : 1.0;
  double winAscent = os2 ? os2->usWinAscent : face_->ascender;
  double winDescent = os2 ? os2->usWinDescent : -face_->descender;
  tm.tmAscent = Round(winAscent * scale);
  tm.tmDescent = Round(winDescent * scale);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, static_cast<int>(tm.tmHeight) - em_);
  if (hhea) {
    double gap = hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
    tm.tmExternalLeading = std::max(0, Round(gap * scale));
  }
  tm.tmAveCharWidth = os2 ? Round(os2->xAvgCharWidth * scale * xscale) : em_ / 2;
  tm.tmMaxCharWidth = Round((face_->bbox.xMax - face_->bbox.xMin) * scale * xscale);
  // The platform's "fixed pitch" bit is set for variable-pitch fonts.
  tm.tmPitchAndFamily = static_cast<BYTE>((FT_IS_FIXED_WIDTH(face_) ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                          TMPF_TRUETYPE);
  std::string fam = Lower(Utf8(family_));
  tm.tmPitchAndFamily |= fam.find("mono") != std::string::npos ? FF_MODERN
                         : fam.find("serif") != std::string::npos && fam.find("sans") == std::string::npos ? FF_ROMAN
                                                                                                            : FF_SWISS;
  underlineThick_ = std::max(1, Round(face_->underline_thickness * scale));
  underlinePos_ = std::max(1, Round(-face_->underline_position * scale));
  strikePos_ = os2 ? Round(os2->yStrikeoutPosition * scale) : tm.tmAscent / 3;
}

unsigned FontFace::GlyphIndex(char32_t ch) {
  if (ch & kGlyphIndexKey) return ch & 0xFFFF;
  return face_ ? FT_Get_Char_Index(face_, ch) : 0;
}

int FontFace::Advance(char32_t ch) {
  std::lock_guard lock(FontMutex());
  auto it = advances_.find(ch);
  if (it != advances_.end()) return it->second;
  int adv = em_;
  if (!marlett_) {
    Activate();
    FT_Set_Transform(face_, nullptr, nullptr);
    adv = 0;
    if (FT_Load_Glyph(face_, GlyphIndex(ch), FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0)
      adv = static_cast<int>((face_->glyph->advance.x + 32) >> 6);
  }
  advances_[ch] = adv;
  return adv;
}

namespace {

// Fonts asked for bold or italic that have no such face are made so here.
void Synthesize(FT_Face face, const LOGFONTW& lf, FT_Outline* outline, int em) {
  if (lf.lfWeight >= FW_SEMIBOLD && !(face->style_flags & FT_STYLE_FLAG_BOLD))
    FT_Outline_Embolden(outline, std::max<FT_Pos>(32, em * 2));
  if (lf.lfItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)) {
    FT_Matrix shear{0x10000, 0x5800, 0, 0x10000};
    FT_Outline_Transform(outline, &shear);
  }
}

}  // namespace

const GlyphImage* FontFace::Glyph(char32_t ch) {
  std::lock_guard lock(FontMutex());
  if (marlett_) return nullptr;
  auto it = glyphs_.find(ch);
  if (it != glyphs_.end()) return &it->second;
  Activate();
  FT_Matrix rot{0x10000, 0, 0, 0x10000};
  bool rotated = escapement_ != 0.0;
  if (rotated) {
    double c = std::cos(escapement_), s = std::sin(escapement_);
    rot = FT_Matrix{static_cast<FT_Fixed>(c * 65536), static_cast<FT_Fixed>(-s * 65536),
                    static_cast<FT_Fixed>(s * 65536), static_cast<FT_Fixed>(c * 65536)};
  }
  GlyphImage& g = glyphs_[ch];
  FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Glyph(face_, GlyphIndex(ch), flags) != 0) return &g;
  FT_GlyphSlot slot = face_->glyph;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  advances_[ch] = g.advance;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    Synthesize(face_, lf_, &slot->outline, em_);
    if (rotated) FT_Outline_Transform(&slot->outline, &rot);
  }
  g.penDx = Round(g.advance * std::cos(escapement_));
  g.penDy = -Round(g.advance * std::sin(escapement_));
  if (FT_Render_Glyph(slot, mono_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return &g;
  const FT_Bitmap& bm = slot->bitmap;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = static_cast<int>(bm.width);
  g.rows = static_cast<int>(bm.rows);
  g.coverage.assign(static_cast<size_t>(g.width) * g.rows, 0);
  for (int y = 0; y < g.rows; ++y) {
    const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
    for (int x = 0; x < g.width; ++x)
      g.coverage[static_cast<size_t>(y) * g.width + x] =
          bm.pixel_mode == FT_PIXEL_MODE_MONO ? (((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0) : src[x];
  }
  return &g;
}

FT_Outline* FontFace::LoadOutline(char32_t ch, FT_Vector* advance) {
  std::lock_guard lock(FontMutex());
  if (marlett_ || !face_) return nullptr;
  Activate();
  FT_Set_Transform(face_, nullptr, nullptr);
  unsigned index = GlyphIndex(ch);
  if (FT_Load_Glyph(face_, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return nullptr;
  FT_GlyphSlot slot = face_->glyph;
  if (advance) *advance = FT_Vector{static_cast<FT_Pos>(Advance(ch)) * 64, 0};
  // Advance() may have loaded another glyph: load this one again.
  if (FT_Load_Glyph(face_, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return nullptr;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
  Synthesize(face_, lf_, &slot->outline, em_);
  return &slot->outline;
}

ABCFLOAT FontFace::Abc(char32_t ch) {
  std::lock_guard lock(FontMutex());
  float adv = static_cast<float>(Advance(ch));
  if (marlett_) return ABCFLOAT{0, adv, 0};
  Activate();
  if (FT_Load_Glyph(face_, GlyphIndex(ch), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
      face_->glyph->outline.n_points == 0)
    return ABCFLOAT{0, adv, 0};
  const FT_Glyph_Metrics& m = face_->glyph->metrics;
  float a = m.horiBearingX / 64.0f, b = m.width / 64.0f;
  return ABCFLOAT{a, b, adv - a - b};
}

// --- font objects ---

std::shared_ptr<FontFace> FaceOf(FontObj& font) {
  std::lock_guard lock(FontMutex());
  if (font.face) return font.face;
  static std::map<std::string, std::weak_ptr<FontFace>> shared;
  LOGFONTW key = font.lf;
  std::string bytes(reinterpret_cast<const char*>(&key), sizeof(key));
  auto it = shared.find(bytes);
  if (it != shared.end()) font.face = it->second.lock();
  if (!font.face) {
    font.face = FontFace::Create(font.lf);
    if (!font.face) {
      // A face that cannot be opened falls back to the default sans face.
      LOGFONTW fallback = font.lf;
      std::memset(fallback.lfFaceName, 0, sizeof(fallback.lfFaceName));
      font.face = FontFace::Create(fallback);
    }
    shared[bytes] = font.face;
    // Fonts made and deleted on every paint keep their glyphs: the most recent
    // faces stay alive after their last HFONT goes.
    static std::deque<std::shared_ptr<FontFace>> recent;
    recent.push_back(font.face);
    if (recent.size() > kRecentFaces) recent.pop_front();
  }
  return font.face;
}

FontObj* CurrentFont(DcObj& dc) {
  FontObj* f = GetFont(dc.state.font);
  return f ? f : GetFont(GetStockObject(SYSTEM_FONT));
}

std::shared_ptr<FontFace> CurrentFace(DcObj& dc) {
  FontObj* f = CurrentFont(dc);
  return f ? FaceOf(*f) : nullptr;
}

}  // namespace compat::gdi

using namespace compat::gdi;

// --- font calls ---

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto font = std::make_unique<FontObj>();
  font->lf = *lf;
  font->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  bool ended = false;
  for (WCHAR& c : font->lf.lfFaceName) {
    if (ended) c = 0;
    if (c == 0) ended = true;
  }
  return static_cast<HFONT>(Register(std::move(font)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !tm) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  *tm = face->Metrics();
  return TRUE;
}

BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, LPINT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out || last < first || last - first > 0x10FFFF) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  for (UINT c = first; c <= last; ++c) out[c - first] = face->Advance(c);
  return TRUE;
}

BOOL GetCharWidthW(HDC hdc, UINT first, UINT last, LPINT out) {
  return GetCharWidth32W(hdc, first, last, out);
}

BOOL GetCharABCWidthsFloatW(HDC hdc, UINT first, UINT last, LPABCFLOAT out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out || last < first || last - first > 0x10FFFF) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  for (UINT c = first; c <= last; ++c) out[c - first] = face->Abc(c);
  return TRUE;
}

BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* out) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out || last < first || last - first > 0x10FFFF) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  for (UINT c = first; c <= last; ++c) {
    ABCFLOAT f = face->Abc(c);
    int a = ClampToInt(std::floor(f.abcfA));
    int b = std::max(1, ClampToInt(std::ceil(f.abcfA + f.abcfB)) - a);
    out[c - first] = ABC{a, static_cast<UINT>(b), face->Advance(c) - a - b};
  }
  return TRUE;
}

int GetTextFaceW(HDC hdc, int room, LPWSTR name) {
  DcObj* dc = GetDc(hdc);
  if (!dc) return 0;
  FontObj* font = CurrentFont(*dc);
  if (!font) return 0;
  // The name the program asked for, as the platform would answer with the font installed.
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && font->lf.lfFaceName[i]; ++i) face += font->lf.lfFaceName[i];
  if (face.empty()) {
    auto f = FaceOf(*font);
    if (f) face = f->FamilyName();
  }
  if (!name) return static_cast<int>(face.size()) + 1;
  if (room <= 0) return 0;
  int n = std::min(static_cast<int>(face.size()), room - 1);
  std::copy(face.begin(), face.begin() + n, name);
  name[n] = 0;
  return n + 1;
}

namespace {

std::vector<std::u16string> InstalledFamilies() {
  std::vector<std::u16string> out{u"Arial", u"Courier New", u"MS Sans Serif", u"Marlett",
                                  u"Tahoma", u"Times New Roman"};
  std::lock_guard lock(FontMutex());
  Library();
  FcPattern* pat = FcPatternCreate();
  FcPatternAddBool(pat, FC_OUTLINE, FcTrue);
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, pat, os);
  std::set<std::u16string> seen(out.begin(), out.end());
  for (int i = 0; set && i < set->nfont; ++i) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &s) != FcResultMatch) continue;
    std::u16string fam = FromUtf8(reinterpret_cast<char*>(s));
    if (seen.insert(fam).second) out.push_back(fam);
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  return out;
}

bool SameName(const std::u16string& a, const WCHAR* b) {
  size_t i = 0;
  for (; i < a.size() && i < LF_FACESIZE && b[i]; ++i) {
    WCHAR x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<WCHAR>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<WCHAR>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && (i == LF_FACESIZE || b[i] == 0);
}

}  // namespace

int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW filter, FONTENUMPROCW proc, LPARAM lParam, DWORD) {
  if (!GetDc(hdc) || !proc) return 0;
  int result = 1;
  for (const std::u16string& family : InstalledFamilies()) {
    if (filter && filter->lfFaceName[0] && !SameName(family, filter->lfFaceName)) continue;
    ENUMLOGFONTEXW elf{};
    LOGFONTW& lf = elf.elfLogFont;
    lf.lfHeight = -16;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = family == u"Marlett" ? SYMBOL_CHARSET : ANSI_CHARSET;
    lf.lfOutPrecision = OUT_STROKE_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = DRAFT_QUALITY;
    size_t n = std::min<size_t>(family.size(), LF_FACESIZE - 1);
    std::copy(family.begin(), family.begin() + n, lf.lfFaceName);
    std::copy(family.begin(), family.begin() + std::min<size_t>(family.size(), LF_FULLFACESIZE - 1),
              elf.elfFullName);
    static const char16_t kRegular[] = u"Regular", kWestern[] = u"Western";
    std::copy(kRegular, kRegular + 7, elf.elfStyle);
    std::copy(kWestern, kWestern + 7, elf.elfScript);
    NEWTEXTMETRICEXW ntm{};
    auto face = FontFace::Create(lf);
    if (face) {
      std::memcpy(&ntm.ntmTm, &face->Metrics(), sizeof(TEXTMETRICW));
      lf.lfPitchAndFamily = static_cast<BYTE>((face->Metrics().tmPitchAndFamily & 0xF0) |
                                              ((face->Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH) ? VARIABLE_PITCH : FIXED_PITCH));
    }
    ntm.ntmTm.ntmFlags = NTM_REGULAR;
    ntm.ntmTm.ntmSizeEM = 2048;
    ntm.ntmTm.ntmCellHeight = static_cast<UINT>(ntm.ntmTm.tmHeight);
    ntm.ntmTm.ntmAvgWidth = static_cast<UINT>(ntm.ntmTm.tmAveCharWidth);
    ntm.ntmFontSig.fsCsb[0] = 1;  // Latin 1
    result = proc(reinterpret_cast<const LOGFONTW*>(&elf), reinterpret_cast<const TEXTMETRICW*>(&ntm),
                  TRUETYPE_FONTTYPE, lParam);
    if (result == 0) break;
  }
  return result;
}
