// The hostile project files, written with the reference writer.
#include "hostile_projects.h"

#include <random>

#include "pvk_reference.h"

namespace pvk {

namespace {

constexpr int32_t kSmallOutputSide = 64;

// Keys in rising x across the pair's frames whose heights are anywhere
// within +-1e30.
void WildKeys(Pair& pair, int keys, std::mt19937& random) {
  std::uniform_real_distribution<float> height(-1e30f, 1e30f);
  const float last = static_cast<float>(pair.frames - 1);
  pair.curve.keys.clear();
  for (int k = 0; k < keys; ++k)
    pair.curve.keys.push_back(Point{last * static_cast<float>(k) / static_cast<float>(keys - 1), height(random)});
}

Line OnePointLine(int i) {
  return Line{0, 0, {Point{static_cast<float>(i % 251), static_cast<float>(i / 251 % 251)}}};
}

}  // namespace

std::vector<HostileProject> HostileProjects(const std::u16string& picture, const std::u16string& pipe) {
  std::mt19937 random(69);
  std::vector<HostileProject> out;

  Project p = DefaultProject();
  WildKeys(p.pairs[0], 512, random);
  out.push_back({"wild_timing_keys", WriteProject(p), false});

  p = DefaultProject();
  for (int i = 0; i < 1000; ++i) {
    Pair pair = DefaultProject().pairs[0];
    WildKeys(pair, 64, random);
    p.pairs.push_back(pair);
  }
  p.pairs.erase(p.pairs.begin());
  out.push_back({"many_pairs_wild_keys", WriteProject(p), false});

  p = DefaultProject();
  p.width = p.height = 8192;
  out.push_back({"huge_output", WriteProject(p), false});

  // Stale entries (no such line) between entries of the one point there is.
  p = DefaultProject();
  p.pairs[0].source_slot.lines.lines = p.pairs[0].target_slot.lines.lines = {OnePointLine(0)};
  for (int i = 0; i < 1 << 11; ++i) p.pairs[0].selected.push_back(i % 2 ? std::pair{0u, 0u} : std::pair{5u, 7u});
  out.push_back({"stale_selection", WriteProject(p), true});

  for (int i = 1 << 11; i < 1 << 18; ++i) p.pairs[0].selected.push_back(i % 2 ? std::pair{0u, 0u} : std::pair{5u, 7u});
  out.push_back({"long_selection", WriteProject(p), false});

  p = DefaultProject();
  p.pairs[0].source = pipe;
  p.pairs[0].target = picture;
  out.push_back({"picture_pipe", WriteProject(p), true});

  p = DefaultProject();
  p.pairs[0].source = p.pairs[0].target = picture;
  for (int i = 0; i < 65536; ++i) p.pairs[0].source_slot.lines.lines.push_back(OnePointLine(i));
  p.pairs[0].target_slot.lines.lines = p.pairs[0].source_slot.lines.lines;
  out.push_back({"many_feature_points", WriteProject(p), false});

  for (Slot* slot : {&p.pairs[0].source_slot, &p.pairs[0].target_slot}) slot->lines.lines.resize(1 << 11);
  out.push_back({"feature_points_at_limit", WriteProject(p), true});

  p = DefaultProject();
  for (int i = 0; i < 300; ++i) {
    Pair pair = DefaultProject().pairs[0];
    pair.source = pair.target = picture;
    p.pairs.push_back(pair);
  }
  p.pairs.erase(p.pairs.begin());
  out.push_back({"shared_picture", WriteProject(p), true});

  const std::u16string folder = pipe.substr(0, pipe.rfind(u'\\') + 1);
  p = DefaultProject();
  p.pairs[0].source = folder + u"unreadable.bmp";
  p.pairs[0].target = picture;
  out.push_back({"picture_read_error", WriteProject(p), true});

  p.pairs[0].source = folder + u"loop.bmp";
  out.push_back({"picture_link_loop", WriteProject(p), true});
  return out;
}

HostileProject ManyPairs(const std::u16string& picture, int pairs, int points, bool wipe) {
  Pair pair = DefaultProject().pairs[0];
  pair.source = pair.target = picture;
  for (int i = 0; i < points; ++i) pair.source_slot.lines.lines.push_back(OnePointLine(i));
  pair.target_slot.lines.lines = pair.source_slot.lines.lines;
  if (wipe) {
    pair.in.id = kWipeEffectId;
    pair.in.maskPath = picture;
    pair.in.block = {0x3E4CCCCD, 0};  // edge 0.2, not reversed
  }
  Project p = DefaultProject();
  // A small output, as for small pictures: what each pair prepares at the
  // output size stays small.
  p.width = p.height = kSmallOutputSide;
  p.pairs.assign(static_cast<size_t>(pairs), pair);
  std::string name = (picture.empty() ? "plain_pairs_" : "pairs_") + std::to_string(pairs);
  if (points > 0) name += "_points_" + std::to_string(points);
  if (wipe) name += "_wipe";
  return {name, WriteProject(p), true};
}

HostileProject ManyKeys(int pairs, int keys) {
  Pair pair = DefaultProject().pairs[0];
  // Rising in x across the frames, in y along the range: a curve the
  // editor could hold.
  const float last = static_cast<float>(pair.frames - 1);
  pair.curve.keys.clear();
  for (int k = 0; k < keys; ++k) {
    const float at = static_cast<float>(k) / static_cast<float>(keys - 1);
    pair.curve.keys.push_back(Point{last * at, 256.0f * at});
  }
  Project p = DefaultProject();
  p.pairs.assign(static_cast<size_t>(pairs), pair);
  return {"pairs_" + std::to_string(pairs) + "_keys_" + std::to_string(keys), WriteProject(p), true};
}

HostileProject EmptyLines(int pairs, int lines) {
  Pair pair = DefaultProject().pairs[0];
  pair.source_slot.lines.lines.assign(static_cast<size_t>(lines), Line{});
  pair.target_slot.lines.lines = pair.source_slot.lines.lines;
  Project p = DefaultProject();
  p.pairs.assign(static_cast<size_t>(pairs), pair);
  return {"pairs_" + std::to_string(pairs) + "_empty_lines_" + std::to_string(lines), WriteProject(p), false};
}

}  // namespace pvk
