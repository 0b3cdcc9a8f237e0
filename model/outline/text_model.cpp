// Text laid out as glyph figures: font creation, glyph loading, line
// splitting, alignment and stacking.
#include "model/outline/text_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "compat/afx.h"
#include "compat/win32.h"
#include "model/outline/glyph_outline.h"
#include "model/geometry/matrix3.h"

namespace {

// No text of the program comes near these; longer texts are cut.
constexpr int kMaxTextChars = 1 << 16;
constexpr int kMaxFontSize = 1 << 14;

int RoundHalfAway(double v) { return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5)); }

int TruncPixels(float v) {
  return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1e6f, 1e6f)) : 0;
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

int CALLBACK TakeTrueTypeFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM param) {
  if ((type & TRUETYPE_FONTTYPE) == 0) return 1;
  *reinterpret_cast<CString*>(param) = lf->lfFaceName;
  return 0;
}

// The characters of the text split into lines: a line feed ends a line,
// carriage returns are dropped, and an empty line holds a space.
std::vector<std::vector<UINT>> SplitLines(const CString& text) {
  std::vector<std::vector<UINT>> lines;
  const int n = std::min(text.GetLength(), kMaxTextChars);
  if (n == 0) return lines;
  LPCWSTR s = text.GetString();
  std::vector<UINT> line;
  auto end = [&]() {
    if (line.empty()) line.push_back(u' ');
    lines.push_back(line);
    line.clear();
  };
  for (int i = 0; i < n; ++i) {
    UINT c = s[i];
    if (c == u'\n') {
      end();
      continue;
    }
    if (c == u'\r') continue;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    line.push_back(c);
  }
  end();
  return lines;
}

CGlyphLine* LayoutTextGlyphs(const std::vector<UINT>& chars, CFont* font, bool vertical) {
  CGlyphLine* line = new CGlyphLine;
  for (UINT c : chars) {
    CGlyphFigure* glyph = new CGlyphFigure;
    glyph->LoadGlyph(c, font, FALSE);
    // The model turns by 90 degrees at the end: characters outside the
    // class are turned back here so that they end up upright.
    if (vertical && !IsTextCharClass(c)) glyph->TurnUpright();
    line->Add(glyph);
  }
  return line;
}

// The box of a rectangle turned by the matrix.
RECT TurnedBox(const CMatrix3& m, const RECT& r) {
  const CVector2 corners[4] = {CVector2(r.left, r.top), CVector2(r.right, r.top), CVector2(r.right, r.bottom),
                               CVector2(r.left, r.bottom)};
  RECT box = {0, 0, 0, 0};
  for (int c = 0; c < 4; ++c) {
    CVector2 p;
    m.TransformPoint(corners[c], p);
    const RECT one{RoundHalfAway(p.x), RoundHalfAway(p.y), RoundHalfAway(p.x), RoundHalfAway(p.y)};
    box = c == 0 ? one : Union(box, one);
  }
  return box;
}

int CellWidth(const CGlyphFigure& g) { return g.cell.right - g.cell.left; }

void LayoutForward(CGlyphLine& line, int gap, int x) {
  const int n = line.GetSize();
  x -= line[0]->cell.left;
  for (int i = 0; i < n; ++i) {
    const int at = x;
    line[i]->Move(at, 0);
    x = at + (line[i]->cell.right - at);
    if (i + 1 < n) x += gap - line[i + 1]->cell.left;
  }
}

}  // namespace

// --- glyph figures ---

int CGlyphFigure::LoadGlyph(UINT character, CFont* font, BOOL vertical) {
  RemoveAllItems();
  CShapeOutline outline;
  int metrics[4] = {0, 0, 0, 0};
  const int has = BuildGlyph(outline, character, font, metrics, vertical);
  RECT bounds = {0, 0, 0, 0};
  if (has) {
    for (int i = 0; i < outline.GetContourCount(); ++i) {
      const COutlineContour* contour = outline.GetContour(i);
      if (!contour || !contour->buffer) continue;
      CFigureItem item{kFigureFilled, 1.0f, new CBezierNodeArray};
      ContourToNodes(contour->buffer, item);
      AddNodes(item.nodes->GetData(), item.nodes->GetSize(), kFigureFilled);
      delete item.nodes;
    }
    outline.GetBounds(&bounds);
  }
  SetBounds(bounds);
  cell = RECT{-metrics[0], metrics[1], metrics[2], metrics[3]};
  return has;
}

void CGlyphFigure::Move(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  Offset(static_cast<float>(dx), static_cast<float>(dy));
  RECT b;
  GetBounds(b);
  SetBounds(RECT{b.left + dx, b.top + dy, b.right + dx, b.bottom + dy});
  cell = RECT{cell.left + dx, cell.top + dy, cell.right + dx, cell.bottom + dy};
}

void CGlyphFigure::TurnUpright() {
  const int sumX = cell.left + cell.right;
  const int sumY = cell.top + cell.bottom;
  CMatrix3 m;
  m.SetRotationAbout(CVector2(sumX * 0.5f, sumY * 0.5f), -90.0f);
  Transform(m);
  RECT b;
  GetBounds(b);
  if (GetItemCount() > 0) SetBounds(TurnedBox(m, b));
  const int w = cell.right - cell.left;
  const int h = cell.bottom - cell.top;
  cell.left = (sumX - h) / 2;
  cell.right = cell.left + h;
  cell.top = (sumY - w) / 2;
  cell.bottom = cell.top + w;
}

// --- fonts and characters ---

CString PickFirstTrueTypeFace() {
  CString face;
  const HWND desktop = GetDesktopWindow();
  const HDC dc = GetDC(desktop);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &lf, TakeTrueTypeFace, reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(desktop, dc);
  return face;
}

CFont* CreateTextFont(const CFontSpec* fontSpec) {
  int height = -58;
  int width = 36;
  CString face;
  int italic = 0;
  int bold = 0;
  if (fontSpec) {
    face = fontSpec->face.IsEmpty() ? PickFirstTrueTypeFace() : fontSpec->face;
    height = -RoundHalfAway(std::clamp(fontSpec->heightSize, 4, kMaxFontSize));
    width = RoundHalfAway(std::clamp(fontSpec->widthSize, 4, kMaxFontSize) / 2.0);
    italic = fontSpec->italic;
    bold = fontSpec->bold;
  }
  CFont* font = new CFont;
  if (!font->CreateFont(height, width, 0, 0, bold > 0 ? 900 : 500, static_cast<BYTE>(italic != 0), 0, 0,
                        DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                        DEFAULT_PITCH, face.GetString())) {
    delete font;
    return nullptr;
  }
  return font;
}

bool IsTextCharClass(UINT c) {
  if ((c >= 0x30 && c <= 0x39) || (c >= 0x40 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) ||
      (c >= 0x23 && c <= 0x2A) || (c >= 0x3C && c <= 0x3E))
    return true;
  static const UINT kSingles[] = {0x7B,   0x7D,   0x5B,   0x5D,   0x20,   0x2018, 0x2019, 0x201C,
                                  0x201D, 0xFF3B, 0xFF3D, 0xFF08, 0xFF09, 0xFF5B, 0xFF5D, 0x3016,
                                  0x3017, 0x300C, 0x300D, 0x300E, 0x300F, 0x300A, 0x300B, 0x3010, 0x3011};
  return std::find(std::begin(kSingles), std::end(kSingles), c) != std::end(kSingles);
}

// --- layout ---

int LineWidth(const CGlyphLine& line, int gap) {
  int64_t w = 0;
  for (int i = 0; i < line.GetSize(); ++i) w += CellWidth(*line[i]);
  if (line.GetSize() > 0) w += int64_t{gap} * (line.GetSize() - 1);
  return static_cast<int>(std::clamp<int64_t>(w, -(1 << 30), 1 << 30));
}

void LayoutLine(CGlyphLine& line, int alignment, int gap, int width) {
  const int n = line.GetSize();
  if (n == 0) return;
  const int lineWidth = LineWidth(line, gap);
  switch (alignment) {
    case kAlignCentre:
      LayoutForward(line, gap, (width - lineWidth) / 2);
      break;
    case kAlignRight: {
      int x = -line[n - 1]->cell.right;
      for (int i = n - 1; i >= 0; --i) {
        line[i]->Move(x, 0);
        if (i > 0) x = x + (line[i]->cell.left - x) - gap - line[i - 1]->cell.right;
      }
      break;
    }
    case kAlignJustify:
      if (n == 1)
        LayoutForward(line, gap, (width - lineWidth) / 2);
      else
        LayoutForward(line, gap + (width - lineWidth) / (n - 1), 0);
      break;
    default:
      LayoutForward(line, gap, 0);
      break;
  }
}

// --- the model ---

CTextModel::~CTextModel() { ClearLines(); }

void CTextModel::ClearLines() {
  for (int i = 0; i < m_lines.GetSize(); ++i) {
    CGlyphLine* line = m_lines[i];
    for (int k = 0; k < line->GetSize(); ++k) delete (*line)[k];
    delete line;
  }
  m_lines.RemoveAll();
}

int CTextModel::Create() {
  RemoveAllItems();
  BuildLines();
  LayoutAllLines();
  StackLines();
  GatherItems();
  return 1;
}

void CTextModel::BuildLines() {
  ClearLines();
  m_layoutWidth = 0;
  CFontSpec fontSpec = m_params.font;
  if (m_params.wide) fontSpec.widthSize = std::clamp(fontSpec.widthSize, 4, kMaxFontSize) * 2;
  CFont* font = CreateTextFont(&fontSpec);
  const int gap = TruncPixels(m_params.charSpacing);
  for (const std::vector<UINT>& chars : SplitLines(m_params.text)) {
    CGlyphLine* line = LayoutTextGlyphs(chars, font, m_params.vertical != 0);
    m_lines.Add(line);
    m_layoutWidth = std::max(m_layoutWidth, LineWidth(*line, gap));
  }
  delete font;
}

void CTextModel::LayoutAllLines() {
  const int gap = TruncPixels(m_params.charSpacing);
  for (int i = 0; i < m_lines.GetSize(); ++i) LayoutLine(*m_lines[i], m_params.alignment, gap, m_layoutWidth);
}

void CTextModel::StackLines() {
  const int spacing = TruncPixels(m_params.lineSpacing);
  const auto extents = [](const CGlyphLine& line, int& top, int& bottom) {
    top = 0;
    bottom = 0;
    for (int k = 0; k < line.GetSize(); ++k) {
      top = std::max(top, std::abs(line[k]->cell.top));
      bottom = std::max(bottom, std::abs(line[k]->cell.bottom));
    }
  };
  for (int i = 1; i < m_lines.GetSize(); ++i) {
    int prevTop, prevBottom, top, bottom;
    extents(*m_lines[i - 1], prevTop, prevBottom);
    extents(*m_lines[i], top, bottom);
    const int dy = prevBottom + spacing + top;
    for (int k = 0; k < m_lines[i]->GetSize(); ++k) (*m_lines[i])[k]->Move(0, dy);
  }
}

void CTextModel::GatherItems() {
  bool any = false;
  RECT bounds = {0, 0, 0, 0};
  for (int i = 0; i < m_lines.GetSize(); ++i) {
    const CGlyphLine& line = *m_lines[i];
    for (int k = 0; k < line.GetSize(); ++k) {
      const CGlyphFigure& glyph = *line[k];
      for (int j = 0; j < glyph.GetItemCount(); ++j) {
        const CFigureItem* item = glyph.GetItem(j);
        AddNodes(item->nodes->GetData(), item->nodes->GetSize(), item->kind);
      }
      RECT b;
      glyph.GetBounds(b);
      if (glyph.GetItemCount() == 0) continue;
      bounds = any ? Union(bounds, b) : b;
      any = true;
    }
  }
  if (m_params.vertical) {
    CMatrix3 m;
    m.SetRotation(90.0f);
    Transform(m);
    bounds = TurnedBox(m, bounds);
  }
  SetBounds(bounds);
}
