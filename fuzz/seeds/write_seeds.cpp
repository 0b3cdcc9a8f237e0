// Writes the starting files of the fuzz targets for the files a user hands
// the program besides pictures: swatch lists and fill files through the
// program's own swatch writer, named settings through the settings store, and
// WMF and EMF pictures that take every drawing road of the player (arcs,
// text, bitmaps, regions, paths, transforms), and for the project targets
// the hostile project files of the model's tests (absurd values, long
// lists, a named pipe for a picture).
//
// Usage: fuzz_seeds <target> <folder>
//   target: ui_swatch_files, platform_settings, imaging_metafile, model_project
//   or app_editor_open
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32.h"
#include "model/raster/fill_style.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "model/hostile_projects.h"
#include "support/metafile_writer.h"
#include "ui/swatch_file.h"

namespace {

using testsupport::EmfWriter;
using testsupport::Pt;
using testsupport::WmfWriter;

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

CString Program(const std::string& host) { return CString(compat::FromHostPath(host).c_str()); }

// --- fills ---

CFillStyle Colour(DWORD argb) {
  CFillStyle fill;
  fill.color = argb;
  return fill;
}

CFillStyle Picture(const char16_t* path) {
  CFillStyle fill;
  fill.type = 2;
  fill.SetPatternImage(path);
  return fill;
}

CFillStyle Variation(int stops, int style) {
  CGradientDesc desc;
  desc.stopCount = static_cast<WORD>(stops);
  for (int i = 0; i < stops; ++i) {
    desc.colors[i] = 0xFF000000u | (0x3377AAu * (i + 1));
    desc.positions[i] = stops > 1 ? float(i) / float(stops - 1) : 0.0f;
    if (i + 1 < stops) desc.midpoints[i] = 0.5f;
  }
  desc.repeatCount = 2;
  desc.angle = 30.0f;
  desc.style = style;
  desc.controlPoints[1] = CVector2(1.0f, 0.5f);
  CFillStyle fill;
  fill.type = kFillVaryColor;
  fill.SetGradient(desc);
  return fill;
}

CFillStyle Textured() {
  CFillStyle fill = Colour(0xC0405060);
  fill.image = new CFillImagePart;
  fill.image->path = u"\\Image\\stone.jpg";
  fill.image->value = 0.5f;
  fill.texture = new CFillTexturePart;
  fill.texture->path = u"C:\\Textures\\wood.png";
  fill.texture->transform.n = 3;
  fill.texture->transform.p3 = CVector2(2.0f, 0.5f);
  return fill;
}

int WriteSwatchSeeds(const std::string& folder) {
  bool ok = WriteSwatchFile(Program(folder + "/Color.dat"), {Colour(0xFF112233), Colour(0x80FFFFFF), Colour(0)});
  ok &= WriteSwatchFile(Program(folder + "/VaryColor.dat"), {Variation(2, 0), Variation(5, 1), Variation(0, 2)}) != FALSE;
  ok &= WriteSwatchFile(Program(folder + "/ImageTexture.dat"),
                        {Picture(u"\\Image\\a.jpg"), Picture(u"C:\\p\\\u00e9.png"), Textured()}) != FALSE;
  ok &= WriteSwatchFile(Program(folder + "/Empty.dat"), {}) != FALSE;
  ok &= WriteFillFile(Program(folder + "/Material.dat"), Variation(3, 2)) != FALSE;
  ok &= WriteFillFile(Program(folder + "/MaterialTextured.dat"), Textured()) != FALSE;
  return ok ? 0 : 1;
}

// --- named settings ---

// Each value goes through the store under its own name, and the file the
// store wrote is moved into the folder.
int WriteSettingSeeds(const std::string& folder) {
  const RECT rect{10, 20, 330, 260};
  const BOOL yes = TRUE;
  const int32_t splitter[3] = {0, 0, 240};
  const char16_t text[] = u"C:\\Pictures\\Holiday\\";
  struct Value {
    const char16_t* name;
    const void* bytes;
    int count;
  } values[] = {
      {u"Palette_Rect", &rect, sizeof rect},   {u"Palette_Visible", &yes, sizeof yes},
      {u"Spliter", splitter, sizeof splitter}, {u"ImageFilePath", text, sizeof text},
      {u"ShowNextTime", nullptr, 0},
  };
  int status = 0;
  for (const Value& v : values) {
    CString name = CString(u"FuzzSeed") + v.name;
    CString stored = GetDataFolder() + name + u".dat";
    CString target = Program(folder + "/" + compat::Utf16ToUtf8(v.name) + ".dat");
    if (!SaveSetting(name, static_cast<const BYTE*>(v.bytes), v.count) ||
        !MoveFileExW(stored, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
      std::fprintf(stderr, "fuzz_seeds: cannot write the setting %s\n", compat::Utf16ToUtf8(v.name).c_str());
      status = 1;
    }
  }
  return status;
}

// --- metafiles ---

std::vector<uint32_t> Checker(int w, int h) {
  std::vector<uint32_t> rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rgb.push_back(((x / 2 + y / 2) % 2) ? 0x00C03020u : 0x002060E0u);
  return rgb;
}

// A region's data: the 32-byte header, then its rectangles.
void RegionData(testsupport::ByteSink& b, const std::vector<RECT>& rects) {
  b.U32(32);
  b.U32(1);
  b.U32(uint32_t(rects.size()));
  b.U32(uint32_t(rects.size() * 16));
  RECT box = rects.front();
  for (const RECT& r : rects) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  for (const RECT& r : std::vector<RECT>{box}) {
    b.I32(r.left), b.I32(r.top), b.I32(r.right), b.I32(r.bottom);
  }
  for (const RECT& r : rects) {
    b.I32(r.left), b.I32(r.top), b.I32(r.right), b.I32(r.bottom);
  }
}

void Box(testsupport::ByteSink& b, int l, int t, int r, int btm) { b.I32(l), b.I32(t), b.I32(r), b.I32(btm); }

std::vector<uint8_t> EmfShapes() {
  EmfWriter w(120, 90);
  w.CreatePen(1, 0, 3, 0x00203040);
  w.CreateBrush(2, 0, 0x0080C0F0);
  w.SelectObject(1);
  w.SelectObject(2);
  w.Rectangle(4, 4, 60, 40);
  w.Ellipse(62, 4, 116, 40);
  w.Record(44, {4, 44, 60, 86, 12, 8});                      // ROUNDRECT
  w.Record(45, {62, 44, 116, 86, 116, 65, 62, 65});          // ARC
  w.Record(46, {62, 44, 116, 86, 89, 44, 89, 86});           // CHORD
  w.Record(47, {4, 44, 60, 86, 60, 44, 4, 86});              // PIE
  w.Record(57, {2});                                         // SETARCDIRECTION clockwise
  w.Record(55, {20, 20, 100, 70, 100, 45, 20, 45});          // ARCTO
  w.Begin(41);                                               // ANGLEARC
  w.Body().I32(60), w.Body().I32(45), w.Body().U32(30), w.Body().F32(15.0f), w.Body().F32(250.0f);
  w.End();
  w.Poly(4, {{0, 0}, {30, 80}, {60, 10}, {119, 89}});
  w.Poly16(86, {{10, 80}, {30, 60}, {50, 85}});
  w.Poly(2, {{5, 5}, {40, 80}, {80, 0}, {115, 85}});
  w.PolyPolygon({{{10, 10}, {50, 10}, {30, 40}}, {{60, 50}, {100, 50}, {80, 85}}});
  w.ExtCreatePen(3, 0x00010000 | 0x00002000 | 1, 5, 0x000000FF, {});   // geometric, dashed, square ends
  w.SelectObject(3);
  w.MoveTo(2, 88);
  w.LineTo(118, 2);
  w.ExtCreatePen(4, 0x00010000 | 7, 2, 0x0000A000, {6, 3, 1, 3});      // user style
  w.SelectObject(4);
  w.Record(45, {10, 10, 110, 80, 0, 0, 0, 0});
  w.CreateBrush(5, 2, 0x00FF00FF, 3);                                  // hatched
  w.SelectObject(5);
  w.SetPolyFillMode(2);
  w.Poly(3, {{0, 0}, {119, 45}, {0, 89}, {60, 0}, {60, 89}});
  w.DeleteObject(3);
  w.DeleteObject(4);
  return w.Finish();
}

std::vector<uint8_t> EmfTransforms() {
  EmfWriter w(100, 100);
  w.SaveDc();
  w.Record(98, {2});  // SETGRAPHICSMODE advanced
  w.SetWorldTransform(0.7f, 0.7f, -0.7f, 0.7f, 50.0f, 0.0f);
  w.Rectangle(0, 0, 40, 30);
  w.Ellipse(5, 5, 35, 25);
  w.Record(45, {0, 0, 40, 40, 40, 20, 0, 20});
  w.ModifyWorldTransform(1.5f, 0.0f, 0.3f, 1.0f, 0.0f, 10.0f, 2);
  w.Record(44, {0, 0, 30, 30, 10, 10});
  w.ModifyWorldTransform(1, 0, 0, 1, 0, 0, 1);
  w.RestoreDc(-1);
  w.SetMapMode(8);  // anisotropic
  w.SetWindowOrg(-50, -50);
  w.SetWindowExt(200, 200);
  w.SetViewportOrg(0, 0);
  w.SetViewportExt(100, -100);
  w.Record(31, {3, 2, 2, 3});  // SCALEVIEWPORTEXTEX
  w.Record(32, {1, 2, 2, 1});  // SCALEWINDOWEXTEX
  w.Ellipse(-40, -40, 40, 40);
  w.Record(47, {uint32_t(-40), uint32_t(-40), 40, 40, 40, 0, 0, 40});
  w.SetMapMode(7);  // isotropic
  w.SetWindowExt(1000, 500);
  w.SetViewportExt(100, 100);
  w.Rectangle(100, 100, 400, 300);
  w.SetMapMode(2);  // low metric
  w.Rectangle(0, 0, 500, -500);
  return w.Finish();
}

std::vector<uint8_t> EmfTextAndBitmaps() {
  EmfWriter w(160, 100);
  w.CreateFont(1, -14, u"Arial", 700);
  w.SelectObject(1);
  w.SetTextColor(0x00102080);
  w.SetBkMode(1);
  w.SetTextAlign(0x18);  // baseline
  w.TextOut(4, 20, u"Morph \u00e9t\u00e9");
  w.TextOut(4, 40, u"spaced", {9, 9, 9, 9, 9, 9});
  w.SetTextAlign(6);  // centre
  w.TextOut(80, 60, u"centre");
  w.Begin(83);  // EXTTEXTOUTA
  Box(w.Body(), 0, 0, 0, 0);
  w.Body().U32(1), w.Body().F32(1), w.Body().F32(1), w.Body().I32(10), w.Body().I32(90);
  w.Body().U32(5), w.Body().U32(76), w.Body().U32(4);  // ETO_CLIPPED
  Box(w.Body(), 0, 70, 60, 100);
  w.Body().U32(0);
  for (char c : std::string("ansi\0\0\0", 8)) w.Body().U8(uint8_t(c));
  w.End();
  w.CreateFont(2, 20, u"Times New Roman");
  w.SelectObject(2);
  w.StretchDib(100, 4, 50, 30, 8, 6, Checker(8, 6));
  w.StretchDib(100, 40, -20, 20, 4, 4, Checker(4, 4));
  // BITBLT of a 4 x 4 picture at one to one, then a pattern brush from one.
  const std::vector<uint32_t> pixels = Checker(4, 4);
  w.Begin(76);
  Box(w.Body(), 0, 0, 0, 0);
  for (int v : {120, 70, 4, 4}) w.Body().I32(v);
  w.Body().U32(0x00CC0020);
  w.Body().I32(0), w.Body().I32(0);
  for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) w.Body().F32(f);
  w.Body().U32(0), w.Body().U32(0);
  w.Body().U32(100), w.Body().U32(40), w.Body().U32(140), w.Body().U32(uint32_t(pixels.size() * 4));
  w.Body().U32(40), w.Body().I32(4), w.Body().I32(4), w.Body().U16(1), w.Body().U16(32);
  for (int i = 0; i < 6; ++i) w.Body().U32(0);
  for (uint32_t p : pixels) w.Body().U32(p);
  w.End();
  w.Begin(94);  // CREATEDIBPATTERNBRUSHPT
  w.Body().U32(3), w.Body().U32(0), w.Body().U32(32), w.Body().U32(40), w.Body().U32(72),
      w.Body().U32(uint32_t(pixels.size() * 4));
  w.Body().U32(40), w.Body().I32(4), w.Body().I32(4), w.Body().U16(1), w.Body().U16(32);
  for (int i = 0; i < 6; ++i) w.Body().U32(0);
  for (uint32_t p : pixels) w.Body().U32(p);
  w.End();
  w.UseSlot(3);
  w.SelectObject(3);
  w.Rectangle(0, 60, 50, 100);
  w.Record(21, {4});           // SETSTRETCHBLTMODE halftone
  w.Record(20, {7});           // SETROP2 xor
  w.Ellipse(20, 50, 90, 95);
  return w.Finish();
}

std::vector<uint8_t> EmfRegionsAndPaths() {
  EmfWriter w(100, 100);
  w.CreateBrush(1, 0, 0x0000C000);
  w.Begin(75);  // EXTSELECTCLIPRGN: two bands, then and-ed with a box
  testsupport::ByteSink region;
  RegionData(region, {{0, 0, 60, 30}, {20, 30, 100, 70}});
  w.Body().U32(uint32_t(region.Size())), w.Body().U32(5);
  for (uint8_t b : region.Bytes()) w.Body().U8(b);
  w.End();
  w.Rectangle(0, 0, 100, 100);
  w.IntersectClipRect(10, 10, 90, 90);
  w.ExcludeClipRect(40, 40, 60, 60);
  w.Record(26, {5, 5});  // OFFSETCLIPRGN
  w.Ellipse(0, 0, 100, 100);
  w.Record(75, {0, 5});  // no region: the clip is reset
  w.Begin(71);           // FILLRGN
  Box(w.Body(), 0, 0, 0, 0);
  w.Body().U32(uint32_t(region.Size())), w.Body().U32(1);
  for (uint8_t b : region.Bytes()) w.Body().U8(b);
  w.End();
  w.Begin(72);  // FRAMERGN
  Box(w.Body(), 0, 0, 0, 0);
  w.Body().U32(uint32_t(region.Size())), w.Body().U32(1), w.Body().I32(2), w.Body().I32(3);
  for (uint8_t b : region.Bytes()) w.Body().U8(b);
  w.End();
  for (uint32_t type : {73u, 74u}) {  // INVERTRGN, PAINTRGN
    w.Begin(type);
    Box(w.Body(), 0, 0, 0, 0);
    w.Body().U32(uint32_t(region.Size()));
    for (uint8_t b : region.Bytes()) w.Body().U8(b);
    w.End();
  }
  w.SelectObject(1);
  w.BeginPath();
  w.MoveTo(10, 90);
  w.Poly(5, {{30, 10}, {70, 10}, {90, 90}});  // POLYBEZIERTO
  w.Poly(6, {{50, 50}, {10, 90}});             // POLYLINETO
  w.CloseFigure();
  w.Record(42, {20, 20, 80, 80});
  w.Record(55, {20, 20, 80, 80, 80, 50, 20, 50});
  w.EndPath();
  w.StrokeAndFillPath();
  w.BeginPath();
  w.Rectangle(5, 5, 95, 95);
  w.TextOut(10, 40, u"path");
  w.EndPath();
  w.Record(65, {});  // FLATTENPATH
  w.Record(66, {});  // WIDENPATH
  w.FillPath();
  w.BeginPath();
  w.Begin(56);  // POLYDRAW: move, line, three bezier points closing
  Box(w.Body(), 0, 0, 0, 0);
  w.Body().U32(5);
  for (Pt p : std::vector<Pt>{{10, 10}, {90, 10}, {90, 90}, {10, 90}, {10, 10}}) w.Body().I32(p.x), w.Body().I32(p.y);
  for (uint8_t t : {6, 2, 4, 4, 5}) w.Body().U8(t);
  w.End();
  w.EndPath();
  w.SelectClipPath(1);
  w.Ellipse(0, 0, 100, 100);
  w.BeginPath();
  w.Ellipse(30, 30, 70, 70);
  w.Record(68, {});  // ABORTPATH
  w.StrokePath();
  w.Begin(118);  // GRADIENTFILL: one rectangle between two vertices
  Box(w.Body(), 0, 0, 0, 0);
  w.Body().U32(2), w.Body().U32(1), w.Body().U32(0);
  w.Body().I32(0), w.Body().I32(0), w.Body().U16(0xFF00), w.Body().U16(0), w.Body().U16(0), w.Body().U16(0);
  w.Body().I32(100), w.Body().I32(20), w.Body().U16(0), w.Body().U16(0), w.Body().U16(0xFF00), w.Body().U16(0);
  w.Body().U32(0), w.Body().U32(1);
  w.End();
  return w.Finish({0x00FF0000, 0x0000FF00});
}

// WMF records with a DIB or a region after their words.
void WmfWithBytes(WmfWriter& w, uint16_t function, std::vector<int> words, const std::vector<uint8_t>& tail) {
  for (size_t i = 0; i < tail.size(); i += 2) words.push_back(tail[i] | ((i + 1 < tail.size() ? tail[i + 1] : 0) << 8));
  w.RecordWords(function, words);
}

std::vector<uint8_t> Dib(int width, int height) {
  testsupport::ByteSink b;
  b.U32(40), b.I32(width), b.I32(height), b.U16(1), b.U16(24);
  for (int i = 0; i < 6; ++i) b.U32(0);
  int stride = (width * 3 + 3) / 4 * 4;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < stride; ++x) b.U8(uint8_t(x < width * 3 ? (x * 40 + y * 70) : 0));
  return b.Bytes();
}

std::vector<uint8_t> WmfRegion() {
  // A region object: header words, bounds, then one scan with one run.
  testsupport::ByteSink b;
  b.I16(0), b.I16(6), b.I32(0), b.I16(34), b.I16(2), b.I16(1);
  b.I16(10), b.I16(10), b.I16(200), b.I16(150);
  b.U16(2), b.U16(10), b.U16(80), b.I16(10), b.I16(120), b.U16(2);
  b.U16(2), b.U16(80), b.U16(150), b.I16(60), b.I16(200), b.U16(2);
  return b.Bytes();
}

std::vector<uint8_t> WmfPicture(bool mapped) {
  WmfWriter w(0, 0, 1000, 800, 1440);
  w.SetWindowOrg(0, 0);
  w.SetWindowExt(1000, 800);
  if (mapped) {
    w.SetMapMode(8);
    w.Record(0x020E, {600, 800});  // SETVIEWPORTEXT
    w.Record(0x020D, {20, 10});    // SETVIEWPORTORG
    w.Record(0x0410, {3, 2, 4, 5});  // SCALEWINDOWEXT
  }
  w.CreatePen(0, 30, 0x00402010);
  w.CreateBrush(0, 0x0030A0F0);
  w.SelectObject(0);
  w.SelectObject(1);
  w.Rectangle(20, 20, 480, 380);
  w.Ellipse(520, 20, 980, 380);
  w.Record(0x0817, {400, 980, 400, 520, 780, 980, 420, 520});  // ARC
  w.Record(0x081A, {780, 20, 420, 480, 780, 480, 420, 20});    // PIE
  w.Record(0x0830, {600, 980, 600, 520, 780, 980, 420, 520});  // CHORD
  w.Record(0x061C, {80, 120, 780, 480, 420, 20});              // ROUNDRECT
  w.Polygon({{100, 100}, {900, 150}, {500, 700}});
  w.RecordWords(0x0325, {3, 10, 790, 500, 400, 990, 790});                    // POLYLINE
  w.RecordWords(0x0538, {2, 3, 3, 0, 0, 100, 0, 50, 100, 200, 200, 300, 200, 250, 300});  // POLYPOLYGON
  w.Record(0x001E, {});  // SAVEDC
  w.Record(0x0416, {700, 900, 100, 100});  // INTERSECTCLIPRECT
  w.Record(0x0220, {10, 10});              // OFFSETCLIPRGN
  w.Ellipse(0, 0, 1000, 800);
  w.Record(0x0127, {-1});  // RESTOREDC
  // A font, then plain and extended text.
  std::vector<int> font{-120, 0, 0, 0, 700, 0x0001, 0x0000, 0x0000};
  const char face[] = "Arial\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0";
  for (int i = 0; i < 32; i += 2) font.push_back(uint8_t(face[i]) | (uint8_t(face[i + 1]) << 8));
  w.RecordWords(0x02FB, font);  // CREATEFONTINDIRECT, object 2
  w.CountObject();
  w.SelectObject(2);
  w.Record(0x0209, {0x0080, 0x0000});  // SETTEXTCOLOR
  w.Record(0x012E, {24});              // SETTEXTALIGN baseline
  w.TextOut(40, 500, "Morph");
  WmfWithBytes(w, 0x0A32, {600, 40, 6, 4, 40, 560, 400, 640}, {'c', 'l', 'i', 'p', 'p', 'd', 60, 0, 60, 0, 60, 0, 60, 0,
                                                              60, 0, 60, 0});  // EXTTEXTOUT clipped, with widths
  // Bitmaps: a stretched DIB, a DIB blit and a pattern brush from one.
  const std::vector<uint8_t> dib = Dib(6, 4);
  WmfWithBytes(w, 0x0F43, {0x0020, 0x00CC, 0, 4, 6, 0, 0, 200, 300, 560, 650}, dib);  // STRETCHDIB
  WmfWithBytes(w, 0x0B41, {0x0020, 0x00CC, 4, 6, 0, 0, 100, 150, 660, 800}, dib);     // DIBSTRETCHBLT
  WmfWithBytes(w, 0x0940, {0x0020, 0x00CC, 0, 0, 4, 6, 700, 500}, dib);               // DIBBITBLT
  WmfWithBytes(w, 0x0142, {5, 0}, dib);  // DIBCREATEPATTERNBRUSH, object 3
  w.CountObject();
  w.SelectObject(3);
  w.Rectangle(500, 500, 700, 700);
  // A region: select it as the clip, fill, frame, paint and invert it.
  WmfWithBytes(w, 0x06FF, {}, WmfRegion());  // object 4
  w.CountObject();
  w.Record(0x0228, {4, 1});                  // FILLREGION
  w.Record(0x0429, {4, 0, 3, 3});            // FRAMEREGION
  w.Record(0x012B, {4});                     // PAINTREGION
  w.Record(0x012A, {4});                     // INVERTREGION
  w.Record(0x012C, {4});                     // SELECTCLIPREGION
  w.Record(0x0104, {7});                     // SETROP2 xor
  w.Ellipse(0, 0, 1000, 800);
  w.DeleteObject(4);
  w.DeleteObject(3);
  return w.Finish();
}

int WriteMetafileSeeds(const std::string& folder) {
  bool ok = WriteBytes(folder + "/shapes.emf", EmfShapes());
  ok &= WriteBytes(folder + "/transforms.emf", EmfTransforms());
  ok &= WriteBytes(folder + "/text_bitmaps.emf", EmfTextAndBitmaps());
  ok &= WriteBytes(folder + "/regions_paths.emf", EmfRegionsAndPaths());
  ok &= WriteBytes(folder + "/picture.wmf", WmfPicture(false));
  ok &= WriteBytes(folder + "/mapped.wmf", WmfPicture(true));
  return ok ? 0 : 1;
}

// The pictures they name are made by the tests, not here: a seed's paths
// lead nowhere, or to the named pipe made beside them.
int WriteProjectSeeds(const std::string& folder) {
  const std::string pipe = folder + "/../pipe.bmp";
  mkfifo(pipe.c_str(), 0600);
  bool ok = true;
  for (const pvk::HostileProject& kind :
       pvk::HostileProjects(u"\\no\\such\\picture.bmp", compat::FromHostPath(pipe)))
    ok &= WriteBytes(folder + "/" + kind.name + ".pvk", kind.bytes);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds <target> <folder>\n");
    return 2;
  }
  const std::string target = argv[1], folder = argv[2];
  if (target == "ui_swatch_files") return WriteSwatchSeeds(folder);
  if (target == "platform_settings") return WriteSettingSeeds(folder);
  if (target == "imaging_metafile") return WriteMetafileSeeds(folder);
  if (target == "model_project" || target == "app_editor_open") return WriteProjectSeeds(folder);
  std::fprintf(stderr, "fuzz_seeds: no seeds for %s\n", target.c_str());
  return 2;
}
