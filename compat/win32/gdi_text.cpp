// Text output and measurement: TextOutW, ExtTextOutW, DrawTextW with its
// layout flags, and the extent calls. Glyphs are grey-level anti-aliased.
#include <algorithm>
#include <cmath>
#include <string>

#include "compat/win32/fonts.h"

namespace compat::gdi {

namespace {

constexpr int kMaxTextLength = 1 << 20;

int CharWidth(FontFace& face, char32_t ch, int extra) { return face.Advance(ch) + extra; }

int RunWidth(FontFace& face, const WCHAR* s, int n, int extra, bool glyphIndex = false) {
  int w = 0;
  for (int i = 0; i < n;) w += CharWidth(face, NextChar(s, n, &i, glyphIndex), extra);
  return w;
}

// Draws the glyphs of a run with their pen starting at (x, baseline), device coordinates.
void DrawGlyphs(DcObj& dc, FontFace& face, int x, int baseline, const WCHAR* s, int n,
                const INT* dx, int extra, const Region* clip, bool glyphIndex = false) {
  Painter painter(dc, clip);
  if (!painter.Ready()) return;
  uint32_t color = dc.DeviceColor(dc.state.textColor);
  const TEXTMETRICW& tm = face.Metrics();
  int penX = x, penY = baseline, unit = 0;
  for (int i = 0; i < n; ++unit) {
    char32_t ch = NextChar(s, n, &i, glyphIndex);
    int step = 0, stepY = 0;
    if (face.IsMarlett()) {
      DrawMarlettSymbol(painter, static_cast<WCHAR>(ch), penX, penY - tm.tmAscent, face.EmPixels(), color);
      step = face.Advance(ch) + extra;
    } else if (const GlyphImage* g = face.Glyph(ch)) {
      for (int row = 0; row < g->rows; ++row)
        painter.BlendSpan(penY - g->top + row, penX + g->left,
                          &g->coverage[static_cast<size_t>(row) * g->width], g->width, color);
      step = face.Escapement() != 0.0 ? g->penDx : g->advance + extra;
      stepY = face.Escapement() != 0.0 ? g->penDy : 0;
    }
    if (dx) step = dx[unit];
    penX += step;
    penY += stepY;
  }
}

void FillDeviceRect(DcObj& dc, const RECT& r, COLORREF color, const Region* clip) {
  Painter painter(dc, clip);
  painter.FillRect(r, SolidPaint(dc.DeviceColor(color)), R2_COPYPEN);
}

// Text decoration lines under or through a run.
void Decorate(DcObj& dc, FontFace& face, int x, int baseline, int width, const Region* clip) {
  const LOGFONTW& lf = face.Logical();
  int thick = face.UnderlineThickness();
  if (lf.lfUnderline) {
    int y = baseline + face.UnderlinePosition();
    FillDeviceRect(dc, RECT{x, y, x + width, y + thick}, dc.state.textColor, clip);
  }
  if (lf.lfStrikeOut) {
    int y = baseline - face.StrikeoutPosition();
    FillDeviceRect(dc, RECT{x, y, x + width, y + thick}, dc.state.textColor, clip);
  }
}

RECT DeviceRect(DcObj& dc, const RECT& r) {
  POINT a = dc.ToDevice(r.left, r.top), b = dc.ToDevice(r.right, r.bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

}  // namespace compat::gdi

using namespace compat::gdi;

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR s, UINT count,
                 const INT* dx) {
  DcObj* dc = GetDc(hdc);
  if (!dc || count > kMaxTextLength || (count > 0 && !s)) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  int n = static_cast<int>(count);
  bool glyphIndex = (options & ETO_GLYPH_INDEX) != 0;
  const TEXTMETRICW& tm = face->Metrics();
  UINT align = dc->state.textAlign;
  POINT ref = (align & TA_UPDATECP) ? dc->state.position : POINT{x, y};
  POINT dev = dc->ToDevice(ref.x, ref.y);
  int width = 0;
  if (dx) {
    for (int i = 0, unit = 0; i < n; ++unit) {
      NextChar(s, n, &i, glyphIndex);
      width += dx[unit];
    }
  } else {
    width = RunWidth(*face, s, n, dc->state.charExtra, glyphIndex);
  }
  int along = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) ? -width : 0;
  int down = (align & TA_BASELINE) == TA_BASELINE ? 0 : (align & TA_BOTTOM) ? -tm.tmDescent : tm.tmAscent;
  double angle = face->Escapement();
  int startX = dev.x + RoundToInt(along * std::cos(angle) + down * std::sin(angle));
  int baseline = dev.y + RoundToInt(-along * std::sin(angle) + down * std::cos(angle));

  if (PathIsOpen(*dc)) {
    RecordTextIntoPath(*dc, *face, startX, baseline, s, n, dx, dc->state.charExtra, glyphIndex);
    return TRUE;
  }
  Region clipped;
  const Region* clip = nullptr;
  if (rect) {
    RECT r = DeviceRect(*dc, *rect);
    if (options & ETO_OPAQUE) FillDeviceRect(*dc, r, dc->state.bkColor, nullptr);
    if (options & ETO_CLIPPED) {
      clipped = Region::Combine(dc->Clip(), Region(r), RGN_AND);
      clip = &clipped;
    }
  }
  if (dc->state.bkMode == OPAQUE && angle == 0.0 && !(rect && (options & ETO_OPAQUE)))
    FillDeviceRect(*dc, RECT{startX, baseline - tm.tmAscent, startX + width, baseline + tm.tmDescent},
                   dc->state.bkColor, clip);
  DrawGlyphs(*dc, *face, startX, baseline, s, n, dx, dc->state.charExtra, clip, glyphIndex);
  if (angle == 0.0) Decorate(*dc, *face, startX, baseline, width, clip);
  if (align & TA_UPDATECP) {
    POINT end = dc->ToLogical(dev.x + width, dev.y);
    dc->state.position.x = end.x;
  }
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR s, int c) {
  if (c < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, s, static_cast<UINT>(c), nullptr);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR s, int c, LPSIZE size) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !size || c < 0 || c > kMaxTextLength || (c > 0 && !s)) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  size->cx = RunWidth(*face, s, c, dc->state.charExtra);
  size->cy = face->Metrics().tmHeight;
  return TRUE;
}

DWORD GetGlyphIndicesW(HDC hdc, LPCWSTR s, int c, LPWORD out, DWORD flags) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !out || c < 0 || c > kMaxTextLength || (c > 0 && !s)) return GDI_ERROR;
  auto face = CurrentFace(*dc);
  if (!face) return GDI_ERROR;
  for (int i = 0; i < c; ++i) {
    unsigned index = face->GlyphIndex(s[i]);
    out[i] = index == 0 && (flags & GGI_MARK_NONEXISTING_GLYPHS) ? 0xFFFF : static_cast<WORD>(index);
  }
  return static_cast<DWORD>(c);
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR s, int c, int maxExtent, LPINT fit, LPINT partial,
                           LPSIZE size) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !size || c < 0 || c > kMaxTextLength || (c > 0 && !s)) return FALSE;
  auto face = CurrentFace(*dc);
  if (!face) return FALSE;
  int w = 0, fitted = 0;
  for (int i = 0; i < c;) {
    int start = i;
    w += CharWidth(*face, NextChar(s, c, &i), dc->state.charExtra);
    for (int k = start; k < i; ++k)
      if (partial) partial[k] = w;
    if (w <= maxExtent) fitted = i;
  }
  if (fit) *fit = fitted;
  size->cx = w;
  size->cy = face->Metrics().tmHeight;
  return TRUE;
}

// --- DrawTextW ---

namespace {

struct Line {
  std::u16string text;
  int prefixIndex = -1;  // character to underline, after prefix removal
};

// Removes '&' prefixes; "&&" is a literal ampersand. Returns the underlined index.
std::u16string StripPrefixes(const std::u16string& s, UINT format, int* underline) {
  *underline = -1;
  if (format & DT_NOPREFIX) return s;
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != u'&' && !(format & DT_HIDEPREFIX)) *underline = static_cast<int>(out.size());
    } else if (s[i] == u'&') {
      continue;
    }
    out += s[i];
  }
  return out;
}

std::u16string ExpandTabs(const std::u16string& s, FontFace& face, UINT format) {
  if (!(format & DT_EXPANDTABS) || s.find(u'\t') == std::u16string::npos) return s;
  int stops = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
  std::u16string out;
  for (char16_t c : s) {
    if (c != u'\t') { out += c; continue; }
    // Tabs become spaces up to the next stop measured in average characters.
    int spaceWidth = std::max(1, face.Advance(u' '));
    int stop = std::max(1, stops) * face.Metrics().tmAveCharWidth;
    int width = RunWidth(face, out.data(), static_cast<int>(out.size()), 0);
    int target = (width / stop + 1) * stop;
    while (width < target) { out += u' '; width += spaceWidth; }
  }
  return out;
}

int Width(FontFace& face, const std::u16string& s, int extra) {
  return RunWidth(face, s.data(), static_cast<int>(s.size()), extra);
}

// Breaks one paragraph at spaces so that each line fits `limit`; a word
// longer than the limit stays whole on its own line.
void WrapParagraph(FontFace& face, const std::u16string& para, int limit, int extra,
                   std::vector<std::u16string>* out) {
  size_t start = 0;
  while (start < para.size()) {
    size_t end = start, lastBreak = std::u16string::npos;
    while (end < para.size()) {
      if (para[end] == u' ') lastBreak = end;
      if (Width(face, para.substr(start, end - start + 1), extra) > limit && end > start) break;
      ++end;
    }
    if (end >= para.size()) {
      out->push_back(para.substr(start));
      return;
    }
    size_t cut = lastBreak != std::u16string::npos && lastBreak > start ? lastBreak : end;
    if (cut == end && lastBreak == std::u16string::npos) {
      // No space before the overflow: run to the next space.
      size_t next = para.find(u' ', end);
      cut = next == std::u16string::npos ? para.size() : next;
    }
    out->push_back(para.substr(start, cut - start));
    start = cut;
    while (start < para.size() && para[start] == u' ') ++start;
  }
}

std::u16string EndEllipsis(FontFace& face, std::u16string s, int limit, int extra, bool wordWise) {
  if (Width(face, s, extra) <= limit) return s;
  static const std::u16string kDots = u"...";
  while (!s.empty()) {
    if (wordWise) {
      size_t sp = s.find_last_of(u' ');
      s.resize(sp == std::u16string::npos ? s.size() - 1 : sp);
    } else {
      s.pop_back();
    }
    if (Width(face, s + kDots, extra) <= limit) break;
  }
  return s + kDots;
}

std::u16string PathEllipsis(FontFace& face, const std::u16string& s, int limit, int extra) {
  if (Width(face, s, extra) <= limit) return s;
  size_t slash = s.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return EndEllipsis(face, s, limit, extra, false);
  std::u16string head = s.substr(0, slash), tail = s.substr(slash);
  while (!head.empty() && Width(face, head + u"..." + tail, extra) > limit) head.pop_back();
  return head + u"..." + tail;
}

std::vector<Line> LayOut(FontFace& face, const std::u16string& text, UINT format, int limit, int extra) {
  std::vector<std::u16string> paragraphs;
  if (format & DT_SINGLELINE) {
    std::u16string one;
    for (char16_t c : text)
      if (c != u'\r' && c != u'\n') one += c;
    paragraphs.push_back(one);
  } else {
    std::u16string cur;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' || text[i] == u'\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      } else {
        cur += text[i];
      }
    }
    paragraphs.push_back(cur);
  }
  std::vector<Line> lines;
  for (const std::u16string& para : paragraphs) {
    int underline = -1;
    std::u16string plain = ExpandTabs(StripPrefixes(para, format, &underline), face, format);
    std::vector<std::u16string> pieces;
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
      WrapParagraph(face, plain, limit, extra, &pieces);
    else
      pieces.push_back(plain);
    if (pieces.empty()) pieces.emplace_back();
    int offset = 0;
    for (std::u16string& piece : pieces) {
      Line line;
      size_t at = plain.find(piece, static_cast<size_t>(offset));
      int begin = at == std::u16string::npos ? offset : static_cast<int>(at);
      if (underline >= begin && underline < begin + static_cast<int>(piece.size())) line.prefixIndex = underline - begin;
      offset = begin + static_cast<int>(piece.size());
      if (format & DT_PATH_ELLIPSIS)
        piece = PathEllipsis(face, piece, limit, extra);
      else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
        piece = EndEllipsis(face, piece, limit, extra, (format & DT_WORD_ELLIPSIS) != 0);
      if (line.prefixIndex >= static_cast<int>(piece.size())) line.prefixIndex = -1;
      line.text = piece;
      lines.push_back(line);
    }
  }
  return lines;
}

}  // namespace

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rc, UINT format) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc || (!text && count != 0)) return 0;
  auto face = CurrentFace(*dc);
  if (!face) return 0;
  if (count < 0) {
    count = 0;
    while (text[count] && count < kMaxTextLength) ++count;
  }
  if (count > kMaxTextLength) return 0;
  std::u16string str(text, text + count);
  const TEXTMETRICW& tm = face->Metrics();
  int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  RECT r = DeviceRect(*dc, *rc);
  int extra = dc->state.charExtra;
  std::vector<Line> lines = LayOut(*face, str, format, r.right - r.left, extra);
  int total = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, Width(*face, l.text, extra));
    POINT end = dc->ToLogical(r.left + widest, r.top + total);
    rc->right = end.x;
    rc->bottom = end.y;
    return RoundToInt(total / dc->ScaleY());
  }
  int y = r.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = r.top + (r.bottom - r.top - lineHeight) / 2;
    else if (format & DT_BOTTOM) y = r.bottom - lineHeight;
  }
  Region clipped;
  const Region* clip = nullptr;
  if (!(format & DT_NOCLIP)) {
    clipped = Region::Combine(dc->Clip(), Region(r), RGN_AND);
    clip = &clipped;
  }
  for (const Line& line : lines) {
    int w = Width(*face, line.text, extra);
    int x = (format & DT_CENTER) ? r.left + (r.right - r.left - w) / 2
            : (format & DT_RIGHT) ? r.right - w
                                  : r.left;
    int baseline = y + tm.tmAscent;
    if (dc->state.bkMode == OPAQUE)
      FillDeviceRect(*dc, RECT{x, y, x + w, y + tm.tmHeight}, dc->state.bkColor, clip);
    const WCHAR* s = line.text.data();
    int n = static_cast<int>(line.text.size());
    if (!(format & DT_PREFIXONLY)) DrawGlyphs(*dc, *face, x, baseline, s, n, nullptr, extra, clip);
    Decorate(*dc, *face, x, baseline, w, clip);
    if (line.prefixIndex >= 0) {
      int ux = x + RunWidth(*face, s, line.prefixIndex, extra);
      int uw = CharWidth(*face, static_cast<char32_t>(s[line.prefixIndex]), 0);
      FillDeviceRect(*dc, RECT{ux, baseline + 1, ux + uw, baseline + 2}, dc->state.textColor, clip);
    }
    y += lineHeight;
  }
  int height = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? (y - r.top) : total;
  return RoundToInt(height / dc->ScaleY());
}
