// CTextItem: a thumbnail item whose figure is the text model built from its
// text parameters.
#pragma once

#include "model/outline/text_model.h"
#include "model/raster/thumb_item.h"

class CTextItem : public CThumbItem {
 public:
  // Replaces the model; returns what the model's Create returned.
  int BuildModel(const CTextParams& params);

  CTextParams params;
};
