// Writes enhanced and Windows metafiles for the tests, byte by byte from the
// published record layouts. It shares nothing with the player on purpose: a
// misreading in one shows up as a wrong picture from the other.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ByteSink {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint32_t v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void I16(int v) { U16(static_cast<uint16_t>(static_cast<int16_t>(v))); }
  void F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U32(v);
  }
  void Pad4() {
    while (bytes_.size() % 4) U8(0);
  }
  void Put32At(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

struct Pt {
  int x, y;
};

// An enhanced metafile whose bounds are `width` x `height` pixels on a
// reference device of 10 pixels a millimetre, so its frame maps 1:1.
class EmfWriter {
 public:
  EmfWriter(int width, int height) : width_(width), height_(height) {}

  // A record: its type, then 32-bit fields; the size is filled in.
  void Record(uint32_t type, std::initializer_list<uint32_t> fields) {
    Begin(type);
    for (uint32_t f : fields) body_.U32(f);
    End();
  }
  void Begin(uint32_t type) {
    start_ = body_.Size();
    body_.U32(type);
    body_.U32(0);
  }
  ByteSink& Body() { return body_; }
  void End() {
    body_.Pad4();
    body_.Put32At(start_ + 4, static_cast<uint32_t>(body_.Size() - start_));
    ++records_;
  }

  // --- state ---
  void SetMapMode(int mode) { Record(17, {uint32_t(mode)}); }
  void SetWindowExt(int x, int y) { Record(9, {uint32_t(x), uint32_t(y)}); }
  void SetWindowOrg(int x, int y) { Record(10, {uint32_t(x), uint32_t(y)}); }
  void SetViewportExt(int x, int y) { Record(11, {uint32_t(x), uint32_t(y)}); }
  void SetViewportOrg(int x, int y) { Record(12, {uint32_t(x), uint32_t(y)}); }
  void SetBkMode(int mode) { Record(18, {uint32_t(mode)}); }
  void SetPolyFillMode(int mode) { Record(19, {uint32_t(mode)}); }
  void SetTextAlign(uint32_t align) { Record(22, {align}); }
  void SetTextColor(uint32_t color) { Record(24, {color}); }
  void SaveDc() { Record(33, {}); }
  void RestoreDc(int relative) { Record(34, {uint32_t(relative)}); }
  void SelectObject(uint32_t index) { Record(37, {index}); }
  void DeleteObject(uint32_t index) { Record(40, {index}); }
  void SelectStock(int stock) { SelectObject(0x80000000u | uint32_t(stock)); }
  void MoveTo(int x, int y) { Record(27, {uint32_t(x), uint32_t(y)}); }
  void LineTo(int x, int y) { Record(54, {uint32_t(x), uint32_t(y)}); }
  void IntersectClipRect(int l, int t, int r, int b) {
    Record(30, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)});
  }
  void ExcludeClipRect(int l, int t, int r, int b) {
    Record(29, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)});
  }
  // x' = x * m11 + y * m21 + dx, y' = x * m12 + y * m22 + dy
  void SetWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
    Begin(35);
    for (float f : {m11, m12, m21, m22, dx, dy}) body_.F32(f);
    End();
  }
  void ModifyWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy, int mode) {
    Begin(36);
    for (float f : {m11, m12, m21, m22, dx, dy}) body_.F32(f);
    body_.U32(uint32_t(mode));
    End();
  }

  // --- objects ---
  void CreatePen(uint32_t slot, int style, int width, uint32_t color) {
    Record(38, {slot, uint32_t(style), uint32_t(width), 0, color});
    Slot(slot);
  }
  void ExtCreatePen(uint32_t slot, uint32_t style, uint32_t width, uint32_t color,
                    std::vector<uint32_t> dashes = {}) {
    Begin(95);
    body_.U32(slot);
    for (int i = 0; i < 4; ++i) body_.U32(0);  // no brush bitmap
    body_.U32(style);
    body_.U32(width);
    body_.U32(0);  // BS_SOLID
    body_.U32(color);
    body_.U32(0);
    body_.U32(uint32_t(dashes.size()));
    for (uint32_t d : dashes) body_.U32(d);
    End();
    Slot(slot);
  }
  void CreateBrush(uint32_t slot, int style, uint32_t color, int hatch = 0) {
    Record(39, {slot, uint32_t(style), color, uint32_t(hatch)});
    Slot(slot);
  }
  void CreateFont(uint32_t slot, int height, const std::u16string& face, int weight = 400) {
    Begin(82);
    body_.U32(slot);
    body_.I32(height);
    for (int i = 0; i < 3; ++i) body_.U32(0);  // width, escapement, orientation
    body_.I32(weight);
    for (int i = 0; i < 8; ++i) body_.U8(i == 6 ? 3 : 0);  // non-antialiased quality
    for (size_t i = 0; i < 32; ++i) body_.U16(i < face.size() ? face[i] : 0);
    End();
    Slot(slot);
  }

  // --- drawing ---
  void Rectangle(int l, int t, int r, int b) { Record(43, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)}); }
  void Ellipse(int l, int t, int r, int b) { Record(42, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)}); }
  // POLYBEZIER 2, POLYGON 3, POLYLINE 4, POLYBEZIERTO 5, POLYLINETO 6
  void Poly(uint32_t type, const std::vector<Pt>& pts) {
    Begin(type);
    Bounds(pts);
    body_.U32(uint32_t(pts.size()));
    for (const Pt& p : pts) {
      body_.I32(p.x);
      body_.I32(p.y);
    }
    End();
  }
  // The 16-bit forms: POLYGON16 86 and the rest 83 above the 32-bit ones.
  void Poly16(uint32_t type, const std::vector<Pt>& pts) {
    Begin(type);
    Bounds(pts);
    body_.U32(uint32_t(pts.size()));
    for (const Pt& p : pts) {
      body_.I16(p.x);
      body_.I16(p.y);
    }
    End();
  }
  void PolyPolygon(const std::vector<std::vector<Pt>>& polys) {
    Begin(8);
    std::vector<Pt> all;
    for (const auto& p : polys) all.insert(all.end(), p.begin(), p.end());
    Bounds(all);
    body_.U32(uint32_t(polys.size()));
    body_.U32(uint32_t(all.size()));
    for (const auto& p : polys) body_.U32(uint32_t(p.size()));
    for (const Pt& p : all) {
      body_.I32(p.x);
      body_.I32(p.y);
    }
    End();
  }
  void BeginPath() { Record(59, {}); }
  void EndPath() { Record(60, {}); }
  void CloseFigure() { Record(61, {}); }
  void FillPath() { Record(62, {0, 0, 0, 0}); }
  void StrokeAndFillPath() { Record(63, {0, 0, 0, 0}); }
  void StrokePath() { Record(64, {0, 0, 0, 0}); }
  void SelectClipPath(int mode) { Record(67, {uint32_t(mode)}); }
  // EXTTEXTOUTW with its one text block: reference point, the string, and
  // optional widths.
  void TextOut(int x, int y, const std::u16string& text, std::vector<int> dx = {}) {
    Begin(84);
    for (int i = 0; i < 4; ++i) body_.U32(0);  // bounds
    body_.U32(1);                              // GM_COMPATIBLE
    body_.F32(1);
    body_.F32(1);
    body_.I32(x);
    body_.I32(y);
    body_.U32(uint32_t(text.size()));
    uint32_t offString = 76;
    uint32_t offDx = dx.empty() ? 0 : offString + uint32_t((text.size() * 2 + 3) / 4 * 4);
    body_.U32(offString);
    body_.U32(0);  // options
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(offDx);
    for (char16_t c : text) body_.U16(c);
    body_.Pad4();
    for (int d : dx) body_.I32(d);
    End();
  }
  // STRETCHDIBITS of a top-down 32-bit picture given as 0x00RRGGBB values.
  void StretchDib(int xd, int yd, int cxd, int cyd, int w, int h, const std::vector<uint32_t>& rgb) {
    Begin(81);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    for (int v : {xd, yd, 0, 0, w, h}) body_.I32(v);
    body_.U32(80);                        // offBmi
    body_.U32(40);                        // cbBmi
    body_.U32(120);                       // offBits
    body_.U32(uint32_t(rgb.size() * 4));  // cbBits
    body_.U32(0);                         // DIB_RGB_COLORS
    body_.U32(0x00CC0020);                // SRCCOPY
    body_.I32(cxd);
    body_.I32(cyd);
    body_.U32(40);
    body_.I32(w);
    body_.I32(-h);
    body_.U16(1);
    body_.U16(32);
    for (int i = 0; i < 6; ++i) body_.U32(0);
    for (uint32_t p : rgb) body_.U32(p);
    End();
  }


  // EXTTEXTOUTW whose 16-bit units and options are given as they are, e.g.
  // glyph indexes with ETO_GLYPH_INDEX (0x10).
  void TextUnits(int x, int y, const std::vector<uint16_t>& units, uint32_t options) {
    Begin(84);
    for (int i = 0; i < 4; ++i) body_.U32(0);  // bounds
    body_.U32(1);                              // GM_COMPATIBLE
    body_.F32(1);
    body_.F32(1);
    TextBlock(x, y, units, options, 76);
    for (uint16_t u : units) body_.U16(u);
    End();
  }
  struct TextItem {
    int x, y;
    std::u16string text;
  };
  // POLYTEXTOUTW: one EMRTEXT block per string, the strings after all blocks.
  void PolyTextOut(const std::vector<TextItem>& items) {
    Begin(97);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(1);
    body_.F32(1);
    body_.F32(1);
    body_.U32(uint32_t(items.size()));
    uint32_t at = 40 + 40 * uint32_t(items.size());
    for (const TextItem& item : items) {
      std::vector<uint16_t> units(item.text.begin(), item.text.end());
      TextBlock(item.x, item.y, units, 0, at);
      at += uint32_t((units.size() * 2 + 3) / 4 * 4);
    }
    for (const TextItem& item : items) {
      for (char16_t ch : item.text) body_.U16(ch);
      body_.Pad4();
    }
    End();
  }

  // --- regions: rectangles as RGNDATA ---
  void FillRgn(uint32_t brush, const std::vector<std::vector<int>>& rects) {
    Begin(71);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(RegionBytes(rects));
    body_.U32(brush);
    RegionData(rects);
    End();
  }
  void FrameRgn(uint32_t brush, int w, int h, const std::vector<std::vector<int>>& rects) {
    Begin(72);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(RegionBytes(rects));
    body_.U32(brush);
    body_.I32(w);
    body_.I32(h);
    RegionData(rects);
    End();
  }
  // INVERTRGN 73, PAINTRGN 74
  void RegionOnly(uint32_t type, const std::vector<std::vector<int>>& rects) {
    Begin(type);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(RegionBytes(rects));
    RegionData(rects);
    End();
  }

  // --- palettes and bitmaps ---
  // CREATEPALETTE with entries 0x00BBGGRR.
  void CreatePalette(uint32_t slot, const std::vector<uint32_t>& entries) {
    Begin(49);
    body_.U32(slot);
    body_.U16(0x300);
    body_.U16(uint32_t(entries.size()));
    for (uint32_t e : entries) body_.U32(e);
    End();
    Slot(slot);
  }
  void SelectPalette(uint32_t slot) { Record(48, {slot}); }
  // A packed DIB as a record carries it: header with colour table, then rows.
  struct Dib {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
    uint32_t usage = 0;
  };
  // STRETCHDIBITS of any DIB, source (xs, ys, cxs, cys) onto the destination.
  void StretchDibBits(int xd, int yd, int cxd, int cyd, int xs, int ys, int cxs, int cys, const Dib& dib,
                      uint32_t rop = 0x00CC0020) {
    Begin(81);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    for (int v : {xd, yd, xs, ys, cxs, cys}) body_.I32(v);
    uint32_t offBmi = 80, offBits = offBmi + Aligned(dib.info.size());
    body_.U32(offBmi);
    body_.U32(uint32_t(dib.info.size()));
    body_.U32(offBits);
    body_.U32(uint32_t(dib.bits.size()));
    body_.U32(dib.usage);
    body_.U32(rop);
    body_.I32(cxd);
    body_.I32(cyd);
    Blocks({&dib});
    End();
  }
  // MASKBLT; a mask with no bytes leaves the mask fields empty.
  void MaskBlt(int xd, int yd, int cx, int cy, uint32_t rop4, int xs, int ys, const Dib& src, int xm, int ym,
               const Dib& mask) {
    Begin(78);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    for (int v : {xd, yd, cx, cy}) body_.I32(v);
    body_.U32(rop4);
    body_.I32(xs);
    body_.I32(ys);
    Identity();
    body_.U32(0xFFFFFF);  // background colour
    uint32_t offBmi = 128, offBits = offBmi + Aligned(src.info.size());
    uint32_t offMask = offBits + Aligned(src.bits.size()), offMaskBits = offMask + Aligned(mask.info.size());
    body_.U32(src.usage);
    for (uint32_t v : {offBmi, uint32_t(src.info.size()), offBits, uint32_t(src.bits.size())}) body_.U32(v);
    body_.I32(xm);
    body_.I32(ym);
    body_.U32(mask.usage);
    bool hasMask = !mask.info.empty();
    for (uint32_t v : {hasMask ? offMask : 0u, uint32_t(mask.info.size()), hasMask ? offMaskBits : 0u,
                       uint32_t(mask.bits.size())})
      body_.U32(v);
    Blocks({&src, &mask});
    End();
  }
  // ALPHABLEND 114 (`how` the blend function's bytes) and TRANSPARENTBLT 116
  // (`how` the transparent colour).
  void KeyedBlt(uint32_t type, int xd, int yd, int cxd, int cyd, uint32_t how, int xs, int ys, int cxs, int cys,
                const Dib& src) {
    Begin(type);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    for (int v : {xd, yd, cxd, cyd}) body_.I32(v);
    body_.U32(how);
    body_.I32(xs);
    body_.I32(ys);
    Identity();
    body_.U32(0);
    uint32_t offBmi = 108, offBits = offBmi + Aligned(src.info.size());
    body_.U32(src.usage);
    for (uint32_t v : {offBmi, uint32_t(src.info.size()), offBits, uint32_t(src.bits.size())}) body_.U32(v);
    body_.I32(cxs);
    body_.I32(cys);
    Blocks({&src});
    End();
  }
  // PLGBLT: three corners (upper left, upper right, lower left).
  void PlgBlt(const std::vector<Pt>& corners, int xs, int ys, int cxs, int cys, const Dib& src, int xm, int ym,
              const Dib& mask) {
    Begin(79);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    for (const Pt& p : corners) {
      body_.I32(p.x);
      body_.I32(p.y);
    }
    for (int v : {xs, ys, cxs, cys}) body_.I32(v);
    Identity();
    body_.U32(0xFFFFFF);
    uint32_t offBmi = 140, offBits = offBmi + Aligned(src.info.size());
    uint32_t offMask = offBits + Aligned(src.bits.size()), offMaskBits = offMask + Aligned(mask.info.size());
    body_.U32(src.usage);
    for (uint32_t v : {offBmi, uint32_t(src.info.size()), offBits, uint32_t(src.bits.size())}) body_.U32(v);
    body_.I32(xm);
    body_.I32(ym);
    body_.U32(mask.usage);
    bool hasMask = !mask.info.empty();
    for (uint32_t v : {hasMask ? offMask : 0u, uint32_t(mask.info.size()), hasMask ? offMaskBits : 0u,
                       uint32_t(mask.bits.size())})
      body_.U32(v);
    Blocks({&src, &mask});
    End();
  }

  // Ends the file; palette entries (0x00BBGGRR with flags on top) go into
  // the end-of-file record.
  // Counts an object slot that a hand-built record fills.
  void UseSlot(uint32_t slot) {
    if (slot + 1 > handles_) handles_ = static_cast<uint16_t>(slot + 1);
  }

  std::vector<uint8_t> Finish(const std::vector<uint32_t>& palette = {}) {
    Begin(14);
    body_.U32(uint32_t(palette.size()));
    body_.U32(16);
    for (uint32_t entry : palette) body_.U32(entry);
    body_.U32(uint32_t(20 + palette.size() * 4));
    End();
    ByteSink out;
    out.U32(1);
    out.U32(108);
    for (int v : {0, 0, width_, height_}) out.I32(v);            // bounds, pixels
    for (int v : {0, 0, width_ * 10, height_ * 10}) out.I32(v);  // frame, 0.01 mm
    out.U32(0x464D4520);
    out.U32(0x10000);
    out.U32(uint32_t(108 + body_.Size()));
    out.U32(records_ + 1);
    out.U16(handles_);
    out.U16(0);
    out.U32(0);
    out.U32(0);
    out.U32(uint32_t(palette.size()));
    out.I32(1000);
    out.I32(1000);
    out.I32(100);
    out.I32(100);
    out.U32(0);
    out.U32(0);
    out.U32(0);
    out.I32(100000);
    out.I32(100000);
    std::vector<uint8_t> bytes = std::move(out.Bytes());
    bytes.insert(bytes.end(), body_.Bytes().begin(), body_.Bytes().end());
    return bytes;
  }

 private:
  void Slot(uint32_t slot) { UseSlot(slot); }
  void Bounds(const std::vector<Pt>&) {
    for (int i = 0; i < 4; ++i) body_.U32(0);
  }
  static uint32_t Aligned(size_t n) { return uint32_t((n + 3) / 4 * 4); }
  void Identity() {
    for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) body_.F32(f);
  }
  // The blocks of a bitmap record, each padded to 4 bytes, in order.
  void Blocks(std::initializer_list<const Dib*> dibs) {
    for (const Dib* d : dibs) {
      for (uint8_t b : d->info) body_.U8(b);
      body_.Pad4();
      for (uint8_t b : d->bits) body_.U8(b);
      body_.Pad4();
    }
  }
  // EMRTEXT: reference, count, string offset, options, rectangle, no widths.
  void TextBlock(int x, int y, const std::vector<uint16_t>& units, uint32_t options, uint32_t offString) {
    body_.I32(x);
    body_.I32(y);
    body_.U32(uint32_t(units.size()));
    body_.U32(offString);
    body_.U32(options);
    for (int i = 0; i < 4; ++i) body_.U32(0);
    body_.U32(0);
  }
  static uint32_t RegionBytes(const std::vector<std::vector<int>>& rects) { return 32 + 16 * uint32_t(rects.size()); }
  void RegionData(const std::vector<std::vector<int>>& rects) {
    body_.U32(32);
    body_.U32(1);  // RDH_RECTANGLES
    body_.U32(uint32_t(rects.size()));
    body_.U32(16 * uint32_t(rects.size()));
    for (int i = 0; i < 4; ++i) body_.U32(0);  // bounds, unused
    for (const auto& r : rects)
      for (int v : r) body_.I32(v);
  }
  int width_, height_;
  ByteSink body_;
  size_t start_ = 0;
  uint32_t records_ = 0;
  uint16_t handles_ = 1;
};

// A placeable Windows metafile: the 22-byte header with its box and units
// per inch, the 18-byte metafile header, then records of 16-bit words.
class WmfWriter {
 public:
  WmfWriter(int left, int top, int right, int bottom, int unitsPerInch)
      : box_{left, top, right, bottom}, unitsPerInch_(unitsPerInch) {}

  // A record: the function, then its 16-bit parameters in file order.
  void Record(uint16_t function, std::initializer_list<int> words) {
    std::vector<int> w(words);
    RecordWords(function, w);
  }
  void RecordWords(uint16_t function, const std::vector<int>& words) {
    uint32_t size = 3 + uint32_t(words.size());
    body_.U32(size);
    body_.U16(function);
    for (int w : words) body_.I16(w);
    if (size > maxRecord_) maxRecord_ = size;
  }
  // Parameters are written in the order the records keep them (last argument first).
  void SetWindowOrg(int x, int y) { Record(0x020B, {y, x}); }
  void SetWindowExt(int x, int y) { Record(0x020C, {y, x}); }
  void SetMapMode(int mode) { Record(0x0103, {mode}); }
  void SetBkMode(int mode) { Record(0x0102, {mode}); }
  void SetPolyFillMode(int mode) { Record(0x0106, {mode}); }
  void CreatePen(int style, int width, uint32_t color) {
    Record(0x02FA, {style, width, 0, int(color & 0xFFFF), int(color >> 16)});
    ++objects_;
  }
  void CreateBrush(int style, uint32_t color, int hatch = 0) {
    Record(0x02FC, {style, int(color & 0xFFFF), int(color >> 16), hatch});
    ++objects_;
  }
  void SelectObject(int index) { Record(0x012D, {index}); }
  void DeleteObject(int index) { Record(0x01F0, {index}); }
  // Counts an object that a hand-built record creates.
  void CountObject() { ++objects_; }
  void Rectangle(int l, int t, int r, int b) { Record(0x041B, {b, r, t, l}); }
  void Ellipse(int l, int t, int r, int b) { Record(0x0418, {b, r, t, l}); }
  void MoveTo(int x, int y) { Record(0x0214, {y, x}); }
  void LineTo(int x, int y) { Record(0x0213, {y, x}); }
  void Polygon(const std::vector<Pt>& pts) {
    std::vector<int> w{int(pts.size())};
    for (const Pt& p : pts) {
      w.push_back(p.x);
      w.push_back(p.y);
    }
    RecordWords(0x0324, w);
  }
  void Escape(int function, const std::string& data) {
    std::vector<int> w{function, int(data.size())};
    for (size_t i = 0; i < data.size(); i += 2)
      w.push_back(uint8_t(data[i]) | ((i + 1 < data.size() ? uint8_t(data[i + 1]) : 0) << 8));
    RecordWords(0x0626, w);
  }
  void TextOut(int x, int y, const std::string& text) {
    std::vector<int> w{int(text.size())};
    for (size_t i = 0; i < text.size(); i += 2)
      w.push_back(uint8_t(text[i]) | ((i + 1 < text.size() ? uint8_t(text[i + 1]) : 0) << 8));
    w.push_back(y);
    w.push_back(x);
    RecordWords(0x0521, w);
  }

  // CREATEFONTINDIRECT: height, width, escapement, orientation, weight, the
  // eight attribute bytes (non-antialiased quality), then the face name.
  void CreateFont(int height, const std::string& face, int weight = 400) {
    std::vector<int> w{height, 0, 0, 0, weight, 0, 0, 0, 3};
    std::string name = face;
    name.resize(32, '\0');
    for (size_t i = 0; i < name.size(); i += 2) w.push_back(uint8_t(name[i]) | (uint8_t(name[i + 1]) << 8));
    RecordWords(0x02FB, w);
    ++objects_;
  }
  // EXTTEXTOUT with ETO_GLYPH_INDEX: the indexes are 16 bits each.
  void GlyphTextOut(int x, int y, const std::vector<uint16_t>& glyphs) {
    std::vector<int> w{y, x, int(glyphs.size()), 0x10};
    for (uint16_t g : glyphs) w.push_back(g);
    RecordWords(0x0A32, w);
  }
  // CREATEREGION from bands: each band is (top, bottom, left, right, ...).
  void CreateRegion(const std::vector<std::vector<int>>& bands) {
    std::vector<int> w{0, 6, 0, 0, 0, int(bands.size()), 0, 0, 0, 0, 0};
    for (const auto& b : bands) {
      int count = int(b.size()) - 2;
      w.push_back(count);
      w.push_back(b[0]);
      w.push_back(b[1]);
      for (size_t i = 2; i < b.size(); ++i) w.push_back(b[i]);
      w.push_back(count);
    }
    RecordWords(0x06FF, w);
    ++objects_;
  }
  void FillRegion(int region, int brush) { Record(0x0228, {region, brush}); }
  void FrameRegion(int region, int brush, int w, int h) { Record(0x0429, {region, brush, h, w}); }
  void InvertRegion(int region) { Record(0x012A, {region}); }
  void PaintRegion(int region) { Record(0x012B, {region}); }
  void CreatePalette(const std::vector<uint32_t>& entries) {
    std::vector<int> w{0x300, int(entries.size())};
    for (uint32_t e : entries) {
      w.push_back(int(e & 0xFFFF));
      w.push_back(int(e >> 16));
    }
    RecordWords(0x00F7, w);
    ++objects_;
  }
  void SelectPalette(int index) { Record(0x0234, {index}); }
  // STRETCHDIB of a packed DIB (header, colours, rows as bytes).
  void StretchDib(int xd, int yd, int cxd, int cyd, int xs, int ys, int cxs, int cys, int usage,
                  const std::vector<uint8_t>& packed) {
    std::vector<int> w{0x0020, 0x00CC, usage, cys, cxs, ys, xs, cyd, cxd, yd, xd};
    for (size_t i = 0; i < packed.size(); i += 2)
      w.push_back(packed[i] | ((i + 1 < packed.size() ? packed[i + 1] : 0) << 8));
    RecordWords(0x0F43, w);
  }

  std::vector<uint8_t> Finish(bool goodChecksum = true) {
    Record(0x0000, {});
    ByteSink out;
    uint16_t words[10] = {0xCDD7, 0x9AC6, 0, uint16_t(box_[0]), uint16_t(box_[1]), uint16_t(box_[2]),
                          uint16_t(box_[3]), uint16_t(unitsPerInch_), 0, 0};
    uint16_t sum = 0;
    for (uint16_t w : words) {
      out.U16(w);
      sum ^= w;
    }
    out.U16(goodChecksum ? sum : sum ^ 1);
    uint32_t totalWords = 9 + uint32_t(body_.Size() / 2);
    out.U16(1);  // in memory
    out.U16(9);  // header words
    out.U16(0x300);
    out.U32(totalWords);
    out.U16(objects_);
    out.U32(maxRecord_);
    out.U16(0);
    std::vector<uint8_t> bytes = std::move(out.Bytes());
    bytes.insert(bytes.end(), body_.Bytes().begin(), body_.Bytes().end());
    return bytes;
  }

 private:
  int box_[4];
  int unitsPerInch_;
  ByteSink body_;
  uint16_t objects_ = 0;
  uint32_t maxRecord_ = 3;
};

}  // namespace testsupport
