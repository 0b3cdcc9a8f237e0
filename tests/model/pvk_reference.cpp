// The reference reader and writer of the project file: each record as its
// table lists it, field after field.
#include "pvk_reference.h"

#include <cstring>

namespace pvk {

namespace {

// --- writing ---

struct Out {
  std::vector<uint8_t>& b;
  void U32(uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void U16(uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }
  void F(float v) { uint32_t u; std::memcpy(&u, &v, 4); U32(u); }
  void P(Point p) { F(p.x); F(p.y); }
  void Str(const std::u16string& s) {
    b.push_back(0xFF);
    U16(0xFFFE);
    if (s.size() < 255) {
      b.push_back(static_cast<uint8_t>(s.size()));
    } else if (s.size() < 0xFFFE) {
      b.push_back(0xFF);
      U16(static_cast<uint16_t>(s.size()));
    } else {
      b.push_back(0xFF);
      U16(0xFFFF);
      U32(static_cast<uint32_t>(s.size()));
    }
    for (char16_t c : s) U16(c);
  }
};

void WriteGradient(Out& o, const Gradient& g) {
  o.U16(static_cast<uint16_t>(g.colors.size()));
  for (size_t i = 0; i < g.colors.size(); ++i) {
    o.U32(g.colors[i]);
    o.F(g.positions[i]);
    if (i + 1 < g.colors.size()) o.F(g.midpoints[i]);
  }
  o.I32(g.repeat);
  o.F(g.angle);
  o.I32(g.repeatMode);
  o.I32(g.style);
  for (const Point& p : g.control) o.P(p);
  o.U32(g.extra);
}

void WriteFillTo(Out& o, const Fill& f) {
  o.U32(f.type);
  o.U32(f.color);
  o.U32(f.hasImage);
  if (f.hasImage) { o.U32(0); o.F(f.imageValue); }
  o.U32(f.hasTexture);
  if (f.hasTexture) {
    o.U32(3); o.F(f.textureValue);
    o.P(f.p1); o.P(f.p5); o.P(f.p4); o.P(f.p3); o.I32(f.n); o.P(f.p2);
  }
  o.U32(f.hasPattern);
  if (!f.hasPattern) return;
  o.U32(f.patternKind);
  if (f.patternKind == 1) { o.U32(1); o.Str(f.patternPath); }
  if (f.patternKind == 4) { o.U32(4); WriteGradient(o, f.first); WriteGradient(o, f.second); }
}

void WriteLines(Out& o, const LineSet& s) {
  o.F(s.scale); o.I32(s.originX); o.I32(s.originY);
  for (int32_t v : s.rect) o.I32(v);
  o.U32(static_cast<uint32_t>(s.lines.size()));
  for (const Line& l : s.lines) {
    o.I32(l.closed); o.I32(l.mask); o.U32(static_cast<uint32_t>(l.points.size()));
    for (const Point& p : l.points) o.P(p);
  }
}

void WritePath(Out& o, const Path& p) {
  o.I32(p.kind); o.U32(static_cast<uint32_t>(p.nodes.size()));
  for (const Node& n : p.nodes) { o.I32(n.smooth); o.P(n.point); o.P(n.in); o.P(n.out); }
  o.I32(p.offsetX); o.I32(p.offsetY); o.I32(p.closed);
  for (int32_t v : p.drag) o.I32(v);
}

void WriteSlot(Out& o, const Slot& s) {
  for (uint32_t v : s.adjust) o.U32(v);
  o.F(s.zoom);
  WriteLines(o, s.lines);
  o.I32(s.layoutW); o.I32(s.layoutH);
  for (int32_t v : s.clip) o.I32(v);
  for (uint32_t v : s.adjustAgain) o.U32(v);
  WritePath(o, s.outline);
}

void WriteCurve(Out& o, const Curve& c) {
  o.U32(static_cast<uint32_t>(c.keys.size()));
  for (const Point& p : c.keys) o.P(p);
  o.F(c.x0); o.F(c.x1); o.F(c.y0); o.F(c.y1);
}

void WriteEffect(Out& o, const Effect& e) {
  o.U32(e.id);
  if (e.id == 0xFFFFFFFF) return;
  if (e.id == kWipeEffectId) o.Str(e.maskPath);
  for (uint32_t w : e.block) o.U32(w);
}

// Writes the pair; marks records' ends in `marks` when given.
void WritePair(Out& o, const Pair& p, std::vector<size_t>* marks) {
  auto mark = [&] { if (marks) marks->push_back(o.b.size()); };
  o.U32(p.major); o.U32(p.minor); o.U32(p.frames); o.U32(p.current); mark();
  o.Str(p.source); o.Str(p.target); mark();
  o.U32(p.warp); o.U32(p.maskEdge); o.U32(static_cast<uint32_t>(p.selected.size())); mark();
  for (auto [l, k] : p.selected) { o.U32(l); o.U32(k); }
  o.U32(p.inFrames); o.U32(p.outFrames); mark();
  WriteEffect(o, p.in); mark();
  WriteEffect(o, p.out); mark();
  o.Str(p.wipePath); o.F(p.wipeEdge); o.U32(p.wipeReverse);
  o.Str(p.lightPath); o.F(p.lightStrength); o.U32(p.fadeIn); o.U32(p.fadeOut);
  o.Str(p.totalMask); mark();
  WriteSlot(o, p.source_slot); mark();
  WriteSlot(o, p.target_slot); mark();
  WriteCurve(o, p.curve); mark();
}

std::vector<uint8_t> Write(const Project& p, std::vector<size_t>* marks) {
  std::vector<uint8_t> bytes;
  Out o{bytes};
  auto mark = [&] { if (marks) marks->push_back(bytes.size()); };
  o.U32(static_cast<uint32_t>(p.pairs.size())); mark();
  o.U32(p.editMode); o.U32(p.reserved); o.U32(p.current); o.I32(p.width); o.I32(p.height); mark();
  WriteFillTo(o, p.foreground); mark();
  WriteFillTo(o, p.background); mark();
  for (const Pair& pair : p.pairs) WritePair(o, pair, marks);
  return bytes;
}

// --- reading ---

struct In {
  const std::vector<uint8_t>& b;
  size_t& pos;
  bool ok = true;
  bool Need(size_t n) {
    if (!ok || b.size() - pos < n) ok = false;
    return ok;
  }
  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = b[pos] | b[pos + 1] << 8 | b[pos + 2] << 16 | static_cast<uint32_t>(b[pos + 3]) << 24;
    pos += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint16_t U16() {
    if (!Need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(b[pos] | b[pos + 1] << 8);
    pos += 2;
    return v;
  }
  uint8_t U8() { return Need(1) ? b[pos++] : 0; }
  float F() { uint32_t u = U32(); float f; std::memcpy(&f, &u, 4); return f; }
  Point P() { Point p; p.x = F(); p.y = F(); return p; }
  std::u16string Str() {
    // Only the wide form is expected from the model.
    if (U8() != 0xFF || U16() != 0xFFFE) { ok = false; return {}; }
    uint32_t n = U8();
    if (n == 0xFF) {
      n = U16();
      if (n == 0xFFFF) n = U32();
    }
    if (!Need(2ull * n)) return {};
    std::u16string s;
    for (uint32_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(U16()));
    return s;
  }
  // A count whose items would need more bytes than remain is a short file.
  bool Count(uint32_t n, size_t itemBytes) { return Need(static_cast<size_t>(n) * itemBytes); }
};

void ReadGradient(In& in, Gradient& g) {
  uint16_t c = in.U16();
  g = Gradient{};
  for (uint16_t i = 0; i < c && in.ok; ++i) {
    g.colors.push_back(in.U32());
    g.positions.push_back(in.F());
    if (i + 1 < c) g.midpoints.push_back(in.F());
  }
  g.repeat = in.I32(); g.angle = in.F(); g.repeatMode = in.I32(); g.style = in.I32();
  for (Point& p : g.control) p = in.P();
  g.extra = in.U32();
}

void ReadFillFrom(In& in, Fill& f) {
  f = Fill{};
  f.type = in.U32(); f.color = in.U32();
  f.hasImage = in.U32() != 0;
  if (f.hasImage) { in.U32(); f.imageValue = in.F(); }
  f.hasTexture = in.U32() != 0;
  if (f.hasTexture) {
    in.U32(); f.textureValue = in.F();
    f.p1 = in.P(); f.p5 = in.P(); f.p4 = in.P(); f.p3 = in.P(); f.n = in.I32(); f.p2 = in.P();
  }
  f.hasPattern = in.U32() != 0;
  if (!f.hasPattern) return;
  f.patternKind = in.U32();
  if (f.patternKind == 1) { in.U32(); f.patternPath = in.Str(); }
  if (f.patternKind == 4) { in.U32(); ReadGradient(in, f.first); ReadGradient(in, f.second); }
}

void ReadLines(In& in, LineSet& s) {
  s.scale = in.F(); s.originX = in.I32(); s.originY = in.I32();
  for (int32_t& v : s.rect) v = in.I32();
  uint32_t m = in.U32();
  if (!in.Count(m, 12)) return;
  s.lines.resize(m);
  for (Line& l : s.lines) {
    l.closed = in.I32(); l.mask = in.I32();
    uint32_t n = in.U32();
    if (!in.Count(n, 8)) return;
    for (uint32_t k = 0; k < n; ++k) l.points.push_back(in.P());
  }
}

void ReadPath(In& in, Path& p) {
  p.kind = in.I32();
  uint32_t n = in.U32();
  if (!in.Count(n, 28)) return;
  p.nodes.resize(n);
  for (Node& node : p.nodes) { node.smooth = in.I32(); node.point = in.P(); node.in = in.P(); node.out = in.P(); }
  p.offsetX = in.I32(); p.offsetY = in.I32(); p.closed = in.I32();
  for (int32_t& v : p.drag) v = in.I32();
}

void ReadSlot(In& in, Slot& s) {
  for (uint32_t& v : s.adjust) v = in.U32();
  s.zoom = in.F();
  ReadLines(in, s.lines);
  s.layoutW = in.I32(); s.layoutH = in.I32();
  for (int32_t& v : s.clip) v = in.I32();
  for (uint32_t& v : s.adjustAgain) v = in.U32();
  ReadPath(in, s.outline);
}

void ReadCurve(In& in, Curve& c) {
  uint32_t n = in.U32();
  if (!in.Count(n, 8)) return;
  for (uint32_t i = 0; i < n; ++i) c.keys.push_back(in.P());
  c.x0 = in.F(); c.x1 = in.F(); c.y0 = in.F(); c.y1 = in.F();
}

void ReadEffect(In& in, Effect& e) {
  e.id = in.U32();
  if (!in.ok || e.id == 0xFFFFFFFF) return;
  if (e.id == kWipeEffectId) e.maskPath = in.Str();
  const int words = EffectBlockWords(e.id);
  if (words < 0) { in.ok = false; return; }
  for (int i = 0; i < words; ++i) e.block.push_back(in.U32());
}

void ReadPair(In& in, Pair& p) {
  p.major = in.U32(); p.minor = in.U32(); p.frames = in.U32(); p.current = in.U32();
  p.source = in.Str(); p.target = in.Str();
  p.warp = in.U32(); p.maskEdge = in.U32();
  uint32_t n = in.U32();
  if (!in.Count(n, 8)) return;
  for (uint32_t i = 0; i < n; ++i) { uint32_t l = in.U32(); p.selected.emplace_back(l, in.U32()); }
  p.inFrames = in.U32(); p.outFrames = in.U32();
  ReadEffect(in, p.in);
  ReadEffect(in, p.out);
  p.wipePath = in.Str(); p.wipeEdge = in.F(); p.wipeReverse = in.U32();
  p.lightPath = in.Str(); p.lightStrength = in.F(); p.fadeIn = in.U32(); p.fadeOut = in.U32();
  p.totalMask = in.Str();
  ReadSlot(in, p.source_slot);
  ReadSlot(in, p.target_slot);
  ReadCurve(in, p.curve);
}

}  // namespace

int EffectBlockWords(uint32_t id) {
  switch (id) {
    case 0: return 0;   // No Effect
    case 1: return 2;   // Wipe: edge, reverse (after the mask path)
    case 2: return 2;   // Fly: style, strips
    case 3: return 3;   // Scale and Rotate: scale x, scale y, turns
    case 4: return 3;   // Wave: strength, frequency, velocity
    case 5: return 0;   // Screw
    case 7: return 3;   // Under Warer: strength, frequency, velocity
    case 8: return 3;   // Circle Wave: strength, frequency, velocity
    case 10: return 5;  // Page Curl And Turn: radius, direction, lit, style, curl
    case 20: return 2;  // Tile: type, blocks
    case 21: return 1;  // Scale: type
    case 22: return 0;  // Special Wave
    case 23: return 0;  // Sphere Form
    default: return -1;
  }
}

void WriteFill(std::vector<uint8_t>& out, const Fill& f) {
  Out o{out};
  WriteFillTo(o, f);
}

std::vector<uint8_t> WriteProject(const Project& p) { return Write(p, nullptr); }

std::vector<size_t> RecordBoundaries(const Project& p) {
  std::vector<size_t> marks;
  Write(p, &marks);
  return marks;
}

bool ReadFill(const std::vector<uint8_t>& bytes, size_t& pos, Fill& f) {
  In in{bytes, pos};
  ReadFillFrom(in, f);
  return in.ok;
}

bool ReadProject(const std::vector<uint8_t>& bytes, Project& p) {
  size_t pos = 0;
  In in{bytes, pos};
  p = Project{};
  uint32_t n = in.U32();
  p.editMode = in.U32(); p.reserved = in.U32(); p.current = in.U32();
  p.width = in.I32(); p.height = in.I32();
  ReadFillFrom(in, p.foreground);
  ReadFillFrom(in, p.background);
  // Every pair record is at least a few hundred bytes.
  if (!in.Count(n, 100)) return false;
  p.pairs.resize(n);
  for (Pair& pair : p.pairs) {
    if (!in.ok) break;
    ReadPair(in, pair);
  }
  return in.ok && pos == bytes.size();
}

Project DefaultProject() {
  Project p;
  p.foreground.color = 0x00000000;
  p.background.color = 0xFFFF0000;
  Pair pair;
  pair.curve.keys = {Point{0, 0}, Point{99, 256}};
  pair.curve.x1 = 99;
  pair.curve.y1 = 256;
  for (Slot* s : {&pair.source_slot, &pair.target_slot}) s->lines.scale = 0.5f;
  p.pairs.push_back(pair);
  return p;
}

}  // namespace pvk
