// Writes the sample projects of the "Sample" folder through the project's own
// writer: pairs of the program folder's pictures with feature lines, timing
// curves, fades, lights, transition pictures and in and out effects.
//
// The pictures are loaded from this program's own folders, so that each slot
// records its real picture size, and stored under the folder an installed
// program lives in. That folder does not exist here, so the reader finds
// every picture again by its name in the data folders beside whichever
// program opens the sample.
//
// Usage: calvetta_samples <folder>...          writes every sample into each folder
//        calvetta_samples --check <project>... opens each project as the editor does
//            and prints every picture it found ("picture <path>") or missed
//            ("missing ..."); exits 1 when anything is missing.
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32.h"
#include "effects/fly_effect.h"
#include "effects/page_curl_effect.h"
#include "effects/wipe_effect.h"
#include "imaging/image_file.h"
#include "model/outline/curve_keys.h"
#include "model/project/effect.h"
#include "model/raster/fill_style.h"
#include "model/project/line_set.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "platform/program_folder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Where the samples were made: an installed program's folder.
constexpr const char16_t* kInstalledFolder = u"C:\\Program Files\\Calvetta";

using Points = std::vector<CVector2>;

// Effect ids of the registry.
enum EffectId {
  kWipe = 1, kFly = 2, kScaleRotate = 3, kWave = 4, kScrew = 5, kUnderWater = 7, kCircleWave = 8,
  kPageCurl = 10, kTile = 20, kScale = 21, kSpecialWave = 22, kSphereForm = 23
};

CString Installed(const char16_t* folder, const char16_t* name) {
  return CString(kInstalledFolder) + u"\\" + folder + u"\\" + name;
}

// One line on each side, in output pixels; the sets hold points at their zoom.
void AddLinePair(CMorphPair* pair, const Points& source, const Points& target, bool closed) {
  for (auto [set, points] : {std::pair{pair->GetSourceLines(), &source}, std::pair{pair->GetTargetLines(), &target}}) {
    auto* line = new CFeatureLine;
    for (const CVector2& p : *points) line->AddPoint(p * set->GetScale());
    line->closed = closed ? 1 : 0;
    set->GetLines().Add(line);
  }
}

// `count` points round an ellipse, starting at twelve o'clock, clockwise.
Points Ellipse(double cx, double cy, double rx, double ry, int count) {
  Points points;
  for (int i = 0; i < count; ++i) {
    const double a = 2.0 * kPi * i / count;
    points.emplace_back(static_cast<float>(cx + rx * std::sin(a)), static_cast<float>(cy - ry * std::cos(a)));
  }
  return points;
}

// The tips and notches of a five-pointed star, in the same order.
Points StarPoints(double cx, double cy, double outer, double inner) {
  Points points;
  for (int i = 0; i < 10; ++i) {
    const double a = 2.0 * kPi * i / 10.0, r = i % 2 ? inner : outer;
    points.emplace_back(static_cast<float>(cx + r * std::sin(a)), static_cast<float>(cy - r * std::cos(a)));
  }
  return points;
}

// Ten points round a square's border, matching the star's order.
Points SquarePoints(double cx, double cy, double half) {
  Points points;
  for (int i = 0; i < 10; ++i) {
    const double a = 2.0 * kPi * i / 10.0;
    const double dx = std::sin(a), dy = -std::cos(a);
    const double s = half / std::max(std::fabs(dx), std::fabs(dy));
    points.emplace_back(static_cast<float>(cx + dx * s), static_cast<float>(cy + dy * s));
  }
  return points;
}

// The hills' edge of the two landscape pictures.
Points HorizonPoints() {
  Points points;
  for (int i = 0; i <= 6; ++i) {
    const double x = kWidth * (0.04 + 0.92 * i / 6.0);
    points.emplace_back(static_cast<float>(x),
                        static_cast<float>(kHeight * 0.72 - kHeight * 0.08 * std::sin(x / kWidth * kPi * 1.5 + 0.4)));
  }
  return points;
}

// A timing curve through the given (frame fraction, blend fraction) keys.
void SetCurve(CMorphPair* pair, std::initializer_list<CVector2> fractions) {
  const float last = static_cast<float>(pair->GetFrameCount() - 1);
  CCurveKeys keys;
  keys.SetRangeValues(0.0f, last, 0.0f, 256.0f);
  std::vector<CVector2> points;
  for (const CVector2& f : fractions) points.emplace_back(f.x * last, f.y * 256.0f);
  keys.SetPoints(points.data(), static_cast<int>(points.size()));
  pair->SetTimingCurve(keys);
}

CEffect* MakeEffect(int id) {
  CEffect* effect = GetEffectRegistry().Create(id);
  if (auto* wipe = dynamic_cast<CWipeEffect*>(effect)) wipe->m_maskPath = Installed(u"Wipe", u"Wipe5.png");
  return effect;
}

struct PairPlan {
  const char16_t* source;
  const char16_t* target;
  int frames;
  int inEffect, inFrames;
  int outEffect, outFrames;
  int fadeIn, fadeOut;
};

// The pair's pictures and timing; lines, light and transition are the caller's.
CMorphPair* NewPair(CMorphProject& project, bool first, const PairPlan& plan) {
  if (!first) project.InsertPair();
  CMorphPair* pair = project.CurrentPair();
  pair->GetSourceLines()->DeleteAllLines();
  pair->GetTargetLines()->DeleteAllLines();
  pair->GetSelection().RemoveAll();
  pair->GetSourceSlot()->SetZoom(1.0f);
  pair->GetTargetSlot()->SetZoom(1.0f);
  const CString here = GetProgramFolder() + u"\\Image\\";
  pair->SetSourceImage(here + plan.source);
  pair->SetTargetImage(here + plan.target);
  pair->m_sourcePath = pair->GetSourceSlot()->m_path = Installed(u"Image", plan.source);
  pair->m_targetPath = pair->GetTargetSlot()->m_path = Installed(u"Image", plan.target);
  pair->SetFrameCount(plan.frames);
  // Opened half-way, where both pictures show, rather than on a faded frame.
  pair->SetCurrentFrame(plan.frames / 2);
  delete pair->m_inEffect;
  delete pair->m_outEffect;
  pair->m_inEffect = MakeEffect(plan.inEffect);
  pair->m_outEffect = MakeEffect(plan.outEffect);
  pair->m_inFrames = plan.inFrames;
  pair->m_outFrames = plan.outFrames;
  pair->m_fadeIn = plan.fadeIn;
  pair->m_fadeOut = plan.fadeOut;
  return pair;
}

void SetLight(CMorphPair* pair, const char16_t* name, float strength) {
  pair->GetLight()->path = Installed(u"Light", name);
  pair->GetLight()->strength = strength;
}

void SetTransition(CMorphPair* pair, const char16_t* name, float edge, int reverse) {
  CPairTransitionPicture* transition = pair->GetTransitionPicture();
  transition->path = Installed(u"Wipe", name);
  transition->edge = edge;
  transition->reverse = reverse;
}

// Sunrise to night and back: the hills and the sun become the moon.
void DayAndNight(CMorphProject& project) {
  CMorphPair* day = NewPair(project, true, {u"Sunrise.jpg", u"Night.jpg", 40, kFly, 12, kWipe, 12, 8, 0});
  AddLinePair(day, HorizonPoints(), HorizonPoints(), false);
  AddLinePair(day, Ellipse(160, 149, 38, 38, 8), Ellipse(160, 149, 34, 34, 8), true);
  SetCurve(day, {{0.0f, 0.0f}, {0.35f, 0.15f}, {0.65f, 0.85f}, {1.0f, 1.0f}});
  SetLight(day, u"Warm.tga", 1.0f);
  if (auto* fly = dynamic_cast<CFlyEffect*>(day->m_inEffect)) fly->m_style = 3;
  if (auto* wipe = dynamic_cast<CWipeEffect*>(day->m_outEffect)) wipe->m_maskPath = Installed(u"Wipe", u"Wipe10.png");

  CMorphPair* night = NewPair(project, false, {u"Night.jpg", u"Sunrise.jpg", 30, kPageCurl, 10, kCircleWave, 10, 0, 8});
  AddLinePair(night, HorizonPoints(), HorizonPoints(), false);
  AddLinePair(night, Ellipse(160, 149, 34, 34, 8), Ellipse(160, 149, 38, 38, 8), true);
  SetCurve(night, {{0.0f, 0.0f}, {0.5f, 0.3f}, {1.0f, 1.0f}});
  SetTransition(night, u"Wipe13.png", 0.3f, 0);
  if (auto* curl = dynamic_cast<CPageCurlEffect*>(night->m_inEffect)) curl->m_direction = 135.0f;
}

// A ball turns into a star, the star into a square and the square back.
void Shapes(CMorphProject& project) {
  const Points ball = Ellipse(160, 120, 86, 86, 10), star = StarPoints(160, 125, 101, 41),
               square = SquarePoints(160, 120, 81);
  CMorphPair* first = NewPair(project, true, {u"Sphere.png", u"Star.png", 30, kScale, 8, kTile, 8, 4, 0});
  AddLinePair(first, ball, star, true);
  SetCurve(first, {{0.0f, 0.0f}, {0.6f, 0.2f}, {1.0f, 1.0f}});
  SetLight(first, u"Spot.png", 1.0f);

  CMorphPair* second = NewPair(project, false, {u"Star.png", u"Square.bmp", 30, kScrew, 8, kSphereForm, 8, 0, 0});
  AddLinePair(second, star, square, true);
  SetCurve(second, {{0.0f, 0.0f}, {0.3f, 0.5f}, {0.7f, 0.5f}, {1.0f, 1.0f}});
  SetTransition(second, u"Wipe14.png", 0.2f, 0);

  CMorphPair* third = NewPair(project, false, {u"Square.bmp", u"Sphere.png", 30, kWave, 8, kWipe, 10, 0, 6});
  AddLinePair(third, square, ball, true);
  SetLight(third, u"Sweep.png", 0.9f);
  if (auto* wipe = dynamic_cast<CWipeEffect*>(third->m_outEffect)) {
    wipe->m_maskPath = Installed(u"Wipe", u"Wipe11.png");
    wipe->m_reverse = 0;
  }
}

// Textures melting into each other.
void Textures(CMorphProject& project) {
  const Points cross = {{40, 40}, {160, 120}, {280, 200}}, turned = {{60, 200}, {160, 120}, {260, 40}};
  CMorphPair* first = NewPair(project, true, {u"Marble.jpg", u"Wood.tga", 30, kScaleRotate, 10, kSpecialWave, 8, 6, 0});
  AddLinePair(first, cross, turned, false);
  SetLight(first, u"Window.jpg", 1.0f);

  CMorphPair* second = NewPair(project, false, {u"Checker.tga", u"Bricks.bmp", 24, kUnderWater, 8, kTile, 8, 0, 0});
  AddLinePair(second, Ellipse(160, 120, 60, 45, 6), Ellipse(160, 120, 90, 70, 6), true);
  SetCurve(second, {{0.0f, 0.0f}, {1.0f, 1.0f}});
  SetTransition(second, u"Wipe12.png", 0.25f, 1);

  CMorphPair* third = NewPair(project, false, {u"Rainbow.png", u"Marble.jpg", 24, kPageCurl, 8, kScale, 8, 0, 6});
  AddLinePair(third, {{20, 120}, {300, 120}}, {{20, 60}, {300, 180}}, false);
}

struct Sample {
  const char* name;
  void (*make)(CMorphProject&);
};

const Sample kSamples[] = {
    {"Day and Night.pvk", DayAndNight},
    {"Shapes.pvk", Shapes},
    {"Textures.pvk", Textures},
};

int Write(int count, char** folders) {
  CMorphProject& project = *GetMorphProject();
  for (const Sample& sample : kSamples) {
    project.ResetProject();
    project.SetOutputSize(kWidth, kHeight);
    // A dark stage under the pictures where fades and effects uncover it.
    CFillStyle stage;
    stage.color = 0xFF10101C;
    project.SetBackground(stage);
    sample.make(project);
    project.SelectPair(0);
    for (int i = 0; i < count; ++i) {
      const std::string path = std::string(folders[i]) + "/" + sample.name;
      if (!project.SaveProjectFile(compat::FromHostPath(path).c_str())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return 0;
}

// A picture named by the project: found, and readable as a picture.
bool Report(const char* what, int pair, const CString& path) {
  CImageFile file;
  LONG w = 0, h = 0;
  if (path.IsEmpty() || !file.Open(path) || !file.GetSize(&w, &h) || w < 1 || h < 1) {
    std::printf("missing %s of pair %d\n", what, pair + 1);
    return false;
  }
  std::printf("picture %s\n", compat::ToHostPath(path.GetString()).c_str());
  return true;
}

CString WipeMask(CEffect* effect) {
  auto* wipe = dynamic_cast<CWipeEffect*>(effect);
  return wipe ? wipe->m_maskPath : CString();
}

int Check(int count, char** projects) {
  CMorphProject& project = *GetMorphProject();
  bool ok = true;
  for (int i = 0; i < count; ++i) {
    if (!project.LoadProjectFile(compat::FromHostPath(projects[i]).c_str())) {
      std::printf("unreadable %s\n", projects[i]);
      ok = false;
      continue;
    }
    std::printf("project %s: %d pairs\n", projects[i], project.GetPairCount());
    for (int p = 0; p < project.GetPairCount(); ++p) {
      CMorphPair* pair = project.PairAt(p);
      ok &= Report("source", p, pair->m_sourcePath) && pair->GetSourceSlot()->HasPicture();
      ok &= Report("target", p, pair->m_targetPath) && pair->GetTargetSlot()->HasPicture();
      // The optional pictures: an empty one was not named or not found,
      // which the caller tells apart from the stored names.
      for (auto [what, path] : {std::pair{"light", pair->GetLight()->path},
                                std::pair{"transition picture", pair->GetTransitionPicture()->path},
                                std::pair{"in wipe", WipeMask(pair->m_inEffect)},
                                std::pair{"out wipe", WipeMask(pair->m_outEffect)}})
        if (!path.IsEmpty()) ok &= Report(what, p, path);
    }
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 2;
  if (argc >= 3 && std::string(argv[1]) == "--check")
    status = Check(argc - 2, argv + 2);
  else if (argc >= 2 && argv[1][0] != '-')
    status = Write(argc - 1, argv + 1);
  else
    std::fprintf(stderr, "usage: %s <folder>... | --check <project>...\n", argv[0]);
  DestroyMorphProject();
  return status;
}
