// CThumbItem: a figure with its overlay layers on a background fill, cut by
// a soft clip outline and rendered in software into a 32-bit picture.
#pragma once

#include "compat/afx/string.h"
#include "compat/win32/types.h"
#include "model/outline/bezier_path.h"
#include "model/raster/fill_style.h"

class CFigureGroup;
class CLayerList;
struct CMaskBuffer;
struct CPixelBuffer;

struct CClipRecord {
  int featherRadius = 20;
  int reserved = 0;
  CString name;
  CBezierPath outline;
};

class CThumbItem {
 public:
  CThumbItem();
  virtual ~CThumbItem();
  CThumbItem(const CThumbItem&) = delete;
  CThumbItem& operator=(const CThumbItem&) = delete;

  virtual CThumbItem& operator=(const CClipRecord& clip);
  virtual void SetClipPath(const CBezierPath& path);
  // The skip value when it is set, else 0.
  virtual int Render();

  void RenderLayers();
  void ComputeLayerBounds(RECT& out);

  CFigureGroup* figure = nullptr;  // owned
  int skip = 0;
  CFillStyle fill;
  CLayerList* layers;  // owned
  CClipRecord clip;
  CPixelBuffer* result = nullptr;  // owned
};

// The clip outline's coverage on the area, feathered by radius; null when
// the outline has no nodes.
CMaskBuffer* MakeFeatheredMask(const CBezierPath& path, const RECT& area, int radius);
