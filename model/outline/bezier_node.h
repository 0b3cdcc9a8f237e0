// CBezierNode: one node of a Bezier outline or a smooth key-point curve:
// the point, its in-handle and out-handle (absolute positions) and a flag
// saying whether the two handles turn together. 28 bytes.
#pragma once

#include "compat/afx/coll.h"
#include "model/geometry/vector2.h"

struct CBezierNode {
  CVector2 point;
  CVector2 handle[2];  // 0 towards the previous node, 1 towards the next
  int smooth;
};

static_assert(sizeof(CBezierNode) == 28);

typedef CArray<CBezierNode, const CBezierNode&> CBezierNodeArray;
