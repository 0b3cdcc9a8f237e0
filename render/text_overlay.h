// CTextOverlay: a text item with the texture it is shown from, kept by the
// mesh renderer; and the text layer's 32 named slots, made by the renderer's
// Init and deleted by its Release.
#pragma once

#include "model/outline/text_item.h"
#include "render/texture_holder.h"

class CTextOverlay : public CTextItem {
 public:
  CTextureHolder m_texture;
};

// One named record of the text layer: its name and the overlay it shows.
struct CNamedSlot {
  CString name;
  CTextOverlay overlay;
};

constexpr int kNamedSlotCount = 32;

// Makes the slots when they do not exist yet.
void CreateNamedSlots();
void DeleteNamedSlots();
// Null when the slots are not made or i is out of range.
CNamedSlot* GetNamedSlot(int i);
