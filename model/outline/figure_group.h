// CFigureGroup: closed Bezier outlines gathered into one figure that can be
// measured, moved, transformed and rendered into an 8-bit coverage mask
// through a CShapeOutline of straight and quadratic pieces.
#pragma once

#include <vector>

#include "compat/afx/coll.h"
#include "compat/win32/types.h"
#include "model/outline/bezier_node.h"
#include "model/raster/fill_style.h"
#include "model/geometry/matrix3.h"
#include "model/outline/shape_outline.h"
#include "model/geometry/vector2.h"

class CBezierPath;
struct CMaskBuffer;

// Item kinds: a stroked line whose weight is its width, or a filled figure.
constexpr int kFigureStroked = 0;
constexpr int kFigureFilled = 1;

struct CFigureItem {
  int kind;
  float weight;
  CBezierNodeArray* nodes;  // owned
};
typedef CArray<CFigureItem*, CFigureItem*> CFigureItemArray;

// One record of a flattened cubic: a straight piece to the point (type 1) or
// one point of a quadratic piece, control then end (type 2).
struct CContourPoint {
  CVector2 point;
  int type;
};

bool IsCubicFlat(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3);
// Appends straight and quadratic records for the cubic; returns how many
// pieces it added.
int FlattenCubic(const CVector2& p0, const CVector2& p1, const CVector2& p2, const CVector2& p3,
                 std::vector<CContourPoint>& out);

class CFigureGroup {
 public:
  CFigureGroup() = default;
  virtual ~CFigureGroup();
  CFigureGroup(const CFigureGroup&) = delete;
  CFigureGroup& operator=(const CFigureGroup&) = delete;

  virtual int Create() { return 1; }
  virtual void ComputeBounds(RECT& out);
  virtual void GetBounds(RECT& out) const { out = m_bounds; }

  // Appends an item of weight 1 with a copy of the path's nodes, less the
  // path's offset.
  void AddPath(const CBezierPath& path, int kind);
  // Appends an item with a copy of the nodes; a count below 0 is taken as
  // none.
  void AddNodes(const CBezierNode* nodes, int count, int kind);
  void CopyItemsTo(CFigureItemArray& items) const;
  void RemoveAllItems();
  int GetItemCount() const { return m_items.GetSize(); }
  const CFigureItem* GetItem(int index) const;
  // The owner sets a stroked item's weight (its line width) here.
  CFigureItem* GetItem(int index);
  CFillTransform& GetTransform() { return m_transform; }
  const CFillTransform& GetTransform() const { return m_transform; }

  void Transform(const CMatrix3& m);
  void Offset(float x, float y);

  // Rebuilds the outline (eight units a pixel) from the items.
  void BuildOutline();
  const CShapeOutline* GetOutline() const { return m_outline; }
  // Coverage of the figure grown by grow pixels, moved by whole pixels.
  void DrawMask(CMaskBuffer* mask, float grow, float dx, float dy);
  // Every node array reversed, handles exchanged.
  CFigureGroup* Clone() const;
  // The figure shrunk by grow pixels: the inward bands of the layers.
  void DrawMaskCopy(CMaskBuffer* mask, float grow, float dx, float dy);
  // Builds the outline in pixels and lists, for every pixel of the bounds
  // grown by reach, the outline pieces within reach of it. The pieces' ids
  // are those of GetOutline()->SegmentDistance.
  void RenderMask(CNearSegmentGrid& lists, int reach);

 protected:
  // Derived figures that know their bounds without measuring set them.
  void SetBounds(const RECT& r) { m_bounds = r; }

 private:
  void DrawMaskImpl(CMaskBuffer* mask, float grow, float dx, float dy, bool inward);

  CFigureItemArray m_items;
  CFillTransform m_transform;  // offsets 0, scale 1 until the owner places it
  RECT m_bounds = {0, 0, 0, 0};
  CShapeOutline* m_outline = nullptr;
};

// A contour of straight and quadratic pieces as Bezier nodes; appended to
// the item's node array.
void ContourToNodes(const BYTE* contour, CFigureItem& item);
