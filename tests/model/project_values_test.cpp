// What a project file holds after a load is what the next save writes:
// files the model wrote come back byte for byte, a file with more or fewer
// records than its counts say is refused, values no editor could have made
// are refused or held to their ranges, and a save keeps the file's
// permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

#include "compat/afx.h"
#include "compat/host_path.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "project_file_fixture.h"
#include "pvk_reference.h"
#include "support/tool_runner.h"

namespace {

using pvktest::Bytes;
using pvktest::WriteHost;

// A project as varied as an editor session makes them: lines the two sides
// share, curves with rising keys, every setting somewhere in its range.
class RandomProjects {
 public:
  explicit RandomProjects(unsigned seed) : random_(seed) {}

  pvk::Project Make(const std::u16string& picture) {
    pvk::Project p;
    p.current = Int(0, 3);
    p.width = Int(16, 1024);
    p.height = Int(16, 1024);
    MakeFill(p.foreground);
    MakeFill(p.background);
    const int pairs = Int(1, 4);
    for (int i = 0; i < pairs; ++i) p.pairs.push_back(MakePair(picture));
    return p;
  }

 private:
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  float Real(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random_); }
  pvk::Point Point() { return pvk::Point{Real(-50, 900), Real(-50, 700)}; }

  // Parts the record does not hold keep the reader's defaults.
  void MakeFill(pvk::Fill& f) {
    f.type = static_cast<uint32_t>(Int(0, 2));
    f.color = static_cast<uint32_t>(random_());
    f.hasTexture = Int(0, 1) == 1;
    if (f.hasTexture) {
      f.textureValue = Real(0, 1);
      f.p1 = Point();
      f.p3 = Point();
    }
    f.hasPattern = Int(0, 1) == 1;
    if (!f.hasPattern) return;
    f.patternKind = Int(0, 1) == 1 ? 4 : 1;
    if (f.patternKind == 1) {
      f.patternPath = u"\\pictures\\fill.bmp";
      return;
    }
    const int stops = Int(2, 5);
    for (pvk::Gradient* g : {&f.first, &f.second}) {
      for (int s = 0; s < stops; ++s) {
        g->colors.push_back(static_cast<uint32_t>(random_()));
        g->positions.push_back(static_cast<float>(s) / static_cast<float>(stops - 1));
        if (s + 1 < stops) g->midpoints.push_back(Real(0, 1));
      }
      g->repeat = Int(1, 32);
      g->angle = Real(-180, 180);
      g->repeatMode = Int(0, 1);
      g->style = Int(0, 2);
      for (pvk::Point& c : g->control) c = Point();
    }
  }

  pvk::Slot MakeSlot(const std::vector<size_t>& shape) {
    pvk::Slot s;
    for (int i = 0; i < 4; ++i) s.adjust[i] = std::bit_cast<uint32_t>(Real(-100, 100));
    s.adjust[4] = static_cast<uint32_t>(Int(0, 1));
    s.adjust[5] = static_cast<uint32_t>(Int(0, 1));
    std::memcpy(s.adjustAgain, s.adjust, sizeof s.adjust);
    s.zoom = Real(0.1f, 4.0f);
    s.lines.scale = s.zoom;
    for (size_t points : shape) {
      pvk::Line line{Int(0, 1), Int(0, 1), {}};
      for (size_t k = 0; k < points; ++k) line.points.push_back(Point());
      s.lines.lines.push_back(line);
    }
    s.layoutW = Int(1, 4000);
    s.layoutH = Int(1, 3000);
    for (int k = 0, n = Int(0, 5); k < n; ++k)
      s.outline.nodes.push_back(pvk::Node{Int(0, 1), Point(), Point(), Point()});
    s.outline.closed = Int(0, 1);
    return s;
  }

  pvk::Pair MakePair(const std::u16string& picture) {
    pvk::Pair pair;
    pair.frames = static_cast<uint32_t>(Int(2, 300));
    pair.current = static_cast<uint32_t>(Int(0, static_cast<int>(pair.frames) - 1));
    pair.source = Int(0, 1) ? picture : u"";
    pair.target = Int(0, 1) ? picture : u"";
    pair.warp = static_cast<uint32_t>(Int(0, 4));
    pair.maskEdge = static_cast<uint32_t>(Int(0, 64));
    pair.inFrames = static_cast<uint32_t>(Int(0, 40));
    pair.outFrames = static_cast<uint32_t>(Int(0, 40));
    pair.in.id = Int(0, 1) ? 0 : 0xFFFFFFFF;
    pair.out.id = Int(0, 1) ? 0 : 0xFFFFFFFF;
    pair.wipeEdge = Real(0, 1);
    pair.wipeReverse = static_cast<uint32_t>(Int(0, 1));
    pair.lightStrength = Real(0, 1);
    pair.fadeIn = static_cast<uint32_t>(Int(0, 10));
    pair.fadeOut = static_cast<uint32_t>(Int(0, 10));
    pair.totalMask = Int(0, 1) ? u"\\masks\\gone.bmp" : u"";
    std::vector<size_t> shape(static_cast<size_t>(Int(0, 6)));
    for (size_t& n : shape) n = static_cast<size_t>(Int(1, 30));
    pair.source_slot = MakeSlot(shape);
    pair.target_slot = MakeSlot(shape);
    if (!shape.empty()) pair.selected = {{0, 0}};
    const float last = static_cast<float>(pair.frames - 1);
    pair.curve.keys = {{0, 0}};
    for (int k = 0, n = Int(0, 6); k < n; ++k) pair.curve.keys.push_back({Real(0, last), Real(0, 256)});
    pair.curve.keys.push_back({last, 256});
    std::sort(pair.curve.keys.begin(), pair.curve.keys.end(),
              [](const pvk::Point& a, const pvk::Point& b) { return a.x < b.x; });
    pair.curve.x1 = last;
    pair.curve.y1 = 256;
    return pair;
  }

  std::mt19937 random_;
};

// Every value the saved file holds is one the editor could have made.
void ExpectEveryValueInRange(const pvk::Project& p) {
  for (const pvk::Fill* f : {&p.foreground, &p.background}) {
    for (const pvk::Gradient* g : {&f->first, &f->second}) {
      EXPECT_TRUE(std::isfinite(g->angle));
      EXPECT_GE(g->style, 0);
      EXPECT_LE(g->style, 2);
      EXPECT_GE(g->repeat, 1);
      for (float v : g->positions) EXPECT_TRUE(v >= 0 && v <= 1);
    }
  }
  for (const pvk::Pair& pair : p.pairs) {
    EXPECT_LE(pair.warp, 4u);
    EXPECT_TRUE(pair.wipeEdge >= 0 && pair.wipeEdge <= 1);
    EXPECT_TRUE(pair.lightStrength >= 0 && pair.lightStrength <= 1);
    EXPECT_LE(pair.wipeReverse, 1u);
    for (const pvk::Slot* s : {&pair.source_slot, &pair.target_slot}) {
      for (int i = 0; i < 4; ++i) EXPECT_TRUE(std::fabs(std::bit_cast<float>(s->adjust[i])) <= 100) << i;
      EXPECT_LE(s->adjust[4], 1u);
      EXPECT_LE(s->adjust[5], 1u);
      for (const pvk::Line& line : s->lines.lines) {
        EXPECT_LE(line.closed, 1);
        EXPECT_LE(line.mask, 1);
      }
      for (const pvk::Node& node : s->outline.nodes) EXPECT_LE(node.smooth, 1);
      EXPECT_LE(s->outline.closed, 1);
    }
    ASSERT_GE(pair.curve.keys.size(), 2u);
    for (size_t k = 1; k < pair.curve.keys.size(); ++k) EXPECT_LE(pair.curve.keys[k - 1].x, pair.curve.keys[k].x);
  }
}

class ProjectValues : public pvktest::ProjectFileTest {};

}  // namespace

TEST_F(ProjectValues, FilesTheModelWroteLoadAndSaveBackByteForByte) {
  // A file that exists but is no picture: the path is kept, nothing loads.
  const std::string notPicture = dir.File("not_a_picture.bmp");
  WriteHost(notPicture, Bytes{'x', 'y', 'z'});
  RandomProjects projects(20261207);
  for (int round = 0; round < 50; ++round) {
    pvk::Project made = projects.Make(compat::FromHostPath(round % 2 ? notPicture : "/no/such/picture.bmp"));
    ASSERT_TRUE(Load(pvk::WriteProject(made))) << round;
    const Bytes first = Save("first.pvk");
    ASSERT_TRUE(project().LoadProjectFile(Program("first.pvk").c_str())) << round;
    ASSERT_EQ(Save("second.pvk"), first) << round;

    // The first save already equals the file, but for what the Part leaves
    // to the loader: the editor's own mode, the current index held to the
    // pairs and paths of pictures found nowhere.
    pvk::Project expected = made;
    expected.editMode = 2;
    expected.current = std::min<uint32_t>(made.current, static_cast<uint32_t>(made.pairs.size() - 1));
    for (pvk::Pair& pair : expected.pairs)
      for (std::u16string* path : {&pair.source, &pair.target})
        if (*path != compat::FromHostPath(notPicture)) path->clear();
    pvk::Project saved;
    ASSERT_TRUE(pvk::ReadProject(first, saved));
    EXPECT_TRUE(saved.foreground == expected.foreground) << round;
    EXPECT_TRUE(saved.background == expected.background) << round;
    ASSERT_EQ(saved.pairs.size(), expected.pairs.size());
    for (size_t i = 0; i < saved.pairs.size(); ++i) {
      const pvk::Pair &a = saved.pairs[i], &b = expected.pairs[i];
      EXPECT_TRUE(a.source_slot == b.source_slot) << round << " pair " << i;
      EXPECT_TRUE(a.target_slot == b.target_slot) << round << " pair " << i;
      EXPECT_TRUE(a.curve == b.curve) << round << " pair " << i;
      EXPECT_TRUE(a.source == b.source && a.target == b.target) << round << " pair " << i;
      EXPECT_TRUE(a.selected == b.selected) << round << " pair " << i;
    }
    ASSERT_TRUE(saved == expected) << round;
  }
}

// Bytes after the last pair the count names are not read: the file opens
// with the pairs counted, and a save writes those pairs alone.
TEST_F(ProjectValues, BytesAfterTheLastPairAreIgnoredAndNotWrittenBack) {
  RandomProjects projects(7);
  pvk::Project two = projects.Make(u"");
  while (two.pairs.size() < 2) two.pairs.push_back(two.pairs[0]);
  two.pairs.resize(2);
  const Bytes whole = pvk::WriteProject(two);
  pvk::Project one = two;
  one.pairs.resize(1);
  one.current = 0;  // held to the one pair
  Bytes trailing = whole;
  trailing.push_back(0);
  Bytes shortCount = whole;
  shortCount[0] = 1;  // one pair fewer than the file holds
  Bytes longFile = whole;
  longFile.resize(whole.size() + 5000, 0xAB);  // past the archive's first buffer

  const struct {
    const Bytes& bytes;
    int pairs;
  } cases[] = {{trailing, 2}, {shortCount, 1}, {longFile, 2}};
  for (const auto& c : cases) {
    project().ResetProject();
    project().InsertPair();
    project().InsertPair();
    ASSERT_TRUE(Load(c.bytes));
    EXPECT_EQ(project().GetPairCount(), c.pairs);
    EXPECT_EQ(Save(), c.pairs == 2 ? whole : pvk::WriteProject(one));
  }
}

TEST_F(ProjectValues, NumbersThatAreNotFiniteAndUnusablePathsRefuseTheFile) {
  RandomProjects projects(99);
  pvk::Project good = projects.Make(u"");
  good.pairs[0].source_slot.lines.lines = {pvk::Line{0, 0, {{1, 2}}}};
  good.pairs[0].target_slot.lines.lines = good.pairs[0].source_slot.lines.lines;
  good.pairs[0].source_slot.outline.nodes = {pvk::Node{}};
  good.foreground.hasPattern = true;
  good.foreground.patternKind = 4;
  good.foreground.first.colors = {0xFF000000, 0xFFFFFFFF};
  good.foreground.first.positions = {0, 1};
  good.foreground.first.midpoints = {0.5f};
  good.foreground.second = good.foreground.first;
  good.background.hasTexture = true;
  ASSERT_TRUE(Load(pvk::WriteProject(good)));
  const float nan = std::nanf(""), inf = INFINITY;
  using Change = void (*)(pvk::Project&, float);
  const std::pair<const char*, Change> changes[] = {
      {"transition edge", [](pvk::Project& p, float v) { p.pairs[0].wipeEdge = v; }},
      {"light strength", [](pvk::Project& p, float v) { p.pairs[0].lightStrength = v; }},
      {"colour adjustment", [](pvk::Project& p, float v) { p.pairs[0].target_slot.adjustAgain[2] = std::bit_cast<uint32_t>(v); }},
      {"feature point", [](pvk::Project& p, float v) { p.pairs[0].source_slot.lines.lines[0].points[0].y = v; }},
      {"outline node", [](pvk::Project& p, float v) { p.pairs[0].source_slot.outline.nodes[0].in.x = v; }},
      {"curve key", [](pvk::Project& p, float v) { p.pairs[0].curve.keys[0].y = v; }},
      {"curve range", [](pvk::Project& p, float v) { p.pairs[0].curve.y1 = v; }},
      {"gradient angle", [](pvk::Project& p, float v) { p.foreground.first.angle = v; }},
      {"gradient position", [](pvk::Project& p, float v) { p.foreground.second.positions[1] = v; }},
      {"texture placement", [](pvk::Project& p, float v) { p.background.p4.x = v; }},
  };
  for (const auto& [what, change] : changes) {
    for (float wild : {nan, inf, -inf}) {
      pvk::Project p = good;
      change(p, wild);
      EXPECT_FALSE(Load(pvk::WriteProject(p))) << what << " " << wild;
    }
  }
  for (const std::u16string& path : {std::u16string(u"a\0b.bmp", 7), std::u16string(u"a\xD800.bmp"),
                                     std::u16string(u"\xDC00")}) {
    pvk::Project p = good;
    p.pairs[0].totalMask = path;
    EXPECT_FALSE(Load(pvk::WriteProject(p)));
    p = good;
    p.pairs[0].source = path;
    EXPECT_FALSE(Load(pvk::WriteProject(p)));
  }
  // A pair of surrogates is a character like any other.
  pvk::Project p = good;
  p.pairs[0].totalMask = u"\\masks\\\xD83D\xDE00.bmp";
  EXPECT_TRUE(Load(pvk::WriteProject(p)));
}

TEST_F(ProjectValues, ValuesOutsideTheirRangesAreHeldToThemAndSavedValid) {
  RandomProjects projects(5);
  pvk::Project p = projects.Make(u"");
  p.pairs.resize(1);
  pvk::Pair& pair = p.pairs[0];
  pair.warp = 9;
  pair.wipeEdge = 3.5f;
  pair.wipeReverse = 7;
  pair.lightStrength = -2.0f;
  pair.source_slot.adjust[0] = pair.source_slot.adjustAgain[0] = std::bit_cast<uint32_t>(450.0f);
  pair.source_slot.adjustAgain[3] = std::bit_cast<uint32_t>(-1000.0f);
  pair.target_slot.adjustAgain[4] = 5;
  pair.target_slot.adjustAgain[5] = 0xFFFFFFFF;
  pair.source_slot.lines.lines = {pvk::Line{3, -1, {{1, 2}, {3, 4}}}};
  pair.target_slot.lines.lines = pair.source_slot.lines.lines;
  pair.selected.clear();
  pair.target_slot.outline.nodes = {pvk::Node{4, {1, 1}, {1, 1}, {1, 1}}};
  pair.target_slot.outline.closed = 9;
  p.foreground.hasPattern = true;
  p.foreground.patternKind = 4;
  p.foreground.first.colors = {0xFF000000, 0xFFFFFFFF};
  p.foreground.first.positions = {0, 1};
  p.foreground.first.midpoints = {0.5f};
  p.foreground.second = p.foreground.first;
  p.foreground.first.style = 17;
  p.foreground.first.repeat = 0;
  p.foreground.first.repeatMode = 3;
  p.foreground.first.positions[0] = -0.5f;
  ASSERT_TRUE(Load(pvk::WriteProject(p)));

  pvk::Project saved;
  ASSERT_TRUE(pvk::ReadProject(Save(), saved));
  ExpectEveryValueInRange(saved);
  const pvk::Pair& back = saved.pairs[0];
  EXPECT_EQ(back.warp, 4u);
  EXPECT_EQ(back.wipeEdge, 1.0f);
  EXPECT_EQ(back.wipeReverse, 1u);
  EXPECT_EQ(back.lightStrength, 0.0f);
  EXPECT_EQ(std::bit_cast<float>(back.source_slot.adjust[0]), 100.0f);
  EXPECT_EQ(std::bit_cast<float>(back.source_slot.adjust[3]), -100.0f);
  EXPECT_EQ(back.target_slot.adjust[4], 1u);
  EXPECT_EQ(back.source_slot.lines.lines[0].closed, 1);
  EXPECT_EQ(back.source_slot.lines.lines[0].mask, 1);
  EXPECT_EQ(saved.foreground.first.style, 2);
  EXPECT_EQ(saved.foreground.first.positions[0], 0.0f);
}

TEST_F(ProjectValues, CurvesThatCannotGiveAValuePerFrameBecomeTheDefault) {
  pvk::Project p = pvk::DefaultProject();
  p.pairs[0].frames = 50;
  const std::vector<pvk::Point> unusable[] = {
      {},
      {{10, 100}},
      {{0, 0}, {30, 100}, {20, 150}, {49, 256}},  // x falls
  };
  for (const std::vector<pvk::Point>& keys : unusable) {
    p.pairs[0].curve.keys = keys;
    ASSERT_TRUE(Load(pvk::WriteProject(p)));
    pvk::Project saved;
    ASSERT_TRUE(pvk::ReadProject(Save(), saved));
    const pvk::Curve& c = saved.pairs[0].curve;
    ASSERT_EQ(c.keys.size(), 2u);
    EXPECT_TRUE(c.keys[0] == (pvk::Point{0, 0}));
    EXPECT_TRUE(c.keys[1] == (pvk::Point{49, 256}));
    EXPECT_EQ(c.x1, 49.0f);
    EXPECT_EQ(project().CurrentPair()->GetTimingCurve()->Evaluate(49.0f), 256.0f);
  }
}

TEST_F(ProjectValues, ASaveKeepsTheFilesPermissions) {
  const std::string path = dir.File("private.pvk");
  Save("private.pvk");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  project().CurrentPair()->SetFrameCount(12);
  Save("private.pvk");
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  Save("private.pvk");
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}
