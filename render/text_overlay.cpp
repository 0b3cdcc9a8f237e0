// The text layer's named slots.
#include "render/text_overlay.h"

#include <array>
#include <memory>
#include <mutex>

namespace {

// An export renderer may start on its worker thread while the preview's runs.
std::mutex g_slotLock;
std::array<std::unique_ptr<CNamedSlot>, kNamedSlotCount> g_slots;

}  // namespace

void CreateNamedSlots() {
  std::lock_guard<std::mutex> lock(g_slotLock);
  for (auto& slot : g_slots)
    if (!slot) slot = std::make_unique<CNamedSlot>();
}

void DeleteNamedSlots() {
  std::lock_guard<std::mutex> lock(g_slotLock);
  for (auto& slot : g_slots) slot.reset();
}

CNamedSlot* GetNamedSlot(int i) {
  std::lock_guard<std::mutex> lock(g_slotLock);
  return i >= 0 && i < kNamedSlotCount ? g_slots[static_cast<size_t>(i)].get() : nullptr;
}
