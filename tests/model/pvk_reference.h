// An independent reader and writer of the project file and the fill record,
// written from the record tables alone: plain structs, byte vectors, no model
// code. Tests compare what the model writes with what this reads, and feed
// the model files this writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pvk {

struct Point {
  float x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct Gradient {
  std::vector<uint32_t> colors;  // one per stop
  std::vector<float> positions;
  std::vector<float> midpoints;  // one fewer than the stops
  int32_t repeat = 1;
  float angle = 45;
  int32_t repeatMode = 0;
  int32_t style = 0;
  Point control[4];
  uint32_t extra = 0;
  bool operator==(const Gradient&) const = default;
};

struct Fill {
  uint32_t type = 0;
  uint32_t color = 0xFF808080;
  bool hasImage = false;
  float imageValue = 1;
  bool hasTexture = false;
  float textureValue = 1;
  Point p1, p5, p4, p3;
  int32_t n = 0;
  Point p2;
  bool hasPattern = false;
  uint32_t patternKind = 0;
  std::u16string patternPath;     // kind 1
  Gradient first, second;         // kind 4
  bool operator==(const Fill&) const = default;
};

struct Line {
  int32_t closed = 0, mask = 0;
  std::vector<Point> points;
  bool operator==(const Line&) const = default;
};

struct LineSet {
  float scale = 1;
  int32_t originX = 0, originY = 0;
  int32_t rect[4] = {0, 0, 0, 0};
  std::vector<Line> lines;
  bool operator==(const LineSet&) const = default;
};

struct Node {
  int32_t smooth = 0;
  Point point, in, out;
  bool operator==(const Node&) const = default;
};

struct Path {
  int32_t kind = 3;
  std::vector<Node> nodes;
  int32_t offsetX = 0, offsetY = 0;
  int32_t closed = 1;
  int32_t drag[4] = {-1, -1, -1, -1};
  bool operator==(const Path&) const = default;
};

struct Curve {
  std::vector<Point> keys;
  float x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool operator==(const Curve&) const = default;
};

struct Slot {
  uint32_t adjust[6] = {0, 0, 0, 0, 0, 0};
  float zoom = 0.5f;
  LineSet lines;
  int32_t layoutW = 0, layoutH = 0;
  int32_t clip[4] = {0, 0, 0, 0};
  uint32_t adjustAgain[6] = {0, 0, 0, 0, 0, 0};
  Path outline;
  bool operator==(const Slot&) const = default;
};

constexpr uint32_t kWipeEffectId = 1;

struct Effect {
  uint32_t id = 0;                // 0xFFFFFFFF: none
  std::u16string maskPath;        // the Wipe's block starts with its mask path
  std::vector<uint32_t> block;    // the parameter words, as many as the id's block holds
  bool operator==(const Effect&) const = default;
};

struct Pair {
  uint32_t major = 1, minor = 1;
  uint32_t frames = 100, current = 0;
  std::u16string source, target;
  uint32_t warp = 0, maskEdge = 16;
  std::vector<std::pair<uint32_t, uint32_t>> selected;
  uint32_t inFrames = 20, outFrames = 20;
  Effect in, out;
  std::u16string wipePath;
  float wipeEdge = 0.2f;
  uint32_t wipeReverse = 0;
  std::u16string lightPath;
  float lightStrength = 1.0f;
  uint32_t fadeIn = 3, fadeOut = 3;
  std::u16string totalMask;
  Slot source_slot, target_slot;
  Curve curve;
  bool operator==(const Pair&) const = default;
};

struct Project {
  uint32_t editMode = 2, reserved = 1, current = 0;
  int32_t width = 256, height = 256;
  Fill foreground, background;
  std::vector<Pair> pairs;
  bool operator==(const Project&) const = default;
};

// Parameter words of the effects by id, as the effect table gives them
// (the Wipe's after its path); -1 for an id with no known block.
int EffectBlockWords(uint32_t id);

// Writing.
void WriteFill(std::vector<uint8_t>& out, const Fill& f);
std::vector<uint8_t> WriteProject(const Project& p);
// The end offsets of every record in the order written (project fields,
// fills, each pair's fields, slots, curve): where a truncation may cut.
std::vector<size_t> RecordBoundaries(const Project& p);

// Reading; false when the bytes end early or hold an unknown effect id.
bool ReadFill(const std::vector<uint8_t>& in, size_t& pos, Fill& f);
bool ReadProject(const std::vector<uint8_t>& in, Project& p);

// A project of one pair as the model makes it by default.
Project DefaultProject();

}  // namespace pvk
