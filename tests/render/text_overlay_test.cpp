// The text layer's named slots live from the renderer's Init to its Release;
// repeated starts and stops leave nothing behind (the leak checker sees it).
#include <gtest/gtest.h>

#include "render/d3d_renderer.h"
#include "render/text_overlay.h"

namespace {

TEST(TextOverlay, NamedSlotsFollowTheRendererInitAndRelease) {
  EXPECT_EQ(GetNamedSlot(0), nullptr);
  for (int round = 0; round < 3; ++round) {
    CD3DMeshRenderer renderer;
    ASSERT_EQ(renderer.Init(nullptr), 0);
    for (int i = 0; i < kNamedSlotCount; ++i) ASSERT_NE(GetNamedSlot(i), nullptr) << i;
    EXPECT_EQ(GetNamedSlot(kNamedSlotCount), nullptr);
    EXPECT_EQ(GetNamedSlot(-1), nullptr);
    CNamedSlot* first = GetNamedSlot(0);
    first->name = u"caption";
    ASSERT_NE(first->overlay.m_texture.Create(renderer.m_device, 0, 0, 40, 20, FALSE), nullptr);
    // A second Init starts afresh: the old slots go with the old device.
    ASSERT_EQ(renderer.Init(nullptr), 0);
    ASSERT_NE(GetNamedSlot(0), nullptr);
    EXPECT_TRUE(GetNamedSlot(0)->name.IsEmpty());
    EXPECT_EQ(GetNamedSlot(0)->overlay.m_texture.m_texture, nullptr);
    renderer.Release();
    EXPECT_EQ(GetNamedSlot(0), nullptr);
  }
  {
    CD3DMeshRenderer renderer;
    ASSERT_EQ(renderer.Init(nullptr), 0);
    EXPECT_EQ(renderer.m_textOverlay.m_texture.m_texture, nullptr);
  }  // the destructor releases
  EXPECT_EQ(GetNamedSlot(0), nullptr);
}

}  // namespace
