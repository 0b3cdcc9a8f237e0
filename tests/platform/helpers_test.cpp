// The strict point-in-triangle test, narrow paths and outline node teardown.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/helpers.h"
#include "platform/tree_node.h"

namespace {

struct Pt {
  float x, y;
};

BOOL Inside(Pt a, Pt b, Pt c, Pt p) { return PointInTriangle(a, b, c, p); }

TEST(PointInTriangle, SameAnswerForBothWindingsAndEdgesAreOutside) {
  Pt a{0, 0}, b{10, 0}, c{0, 10};
  for (Pt p : {Pt{1, 1}, Pt{4.9f, 4.9f}, Pt{0.001f, 5}}) {
    EXPECT_TRUE(Inside(a, b, c, p));
    EXPECT_TRUE(Inside(a, c, b, p));
    EXPECT_TRUE(Inside(c, a, b, p));
  }
  for (Pt p : {Pt{0, 0}, Pt{10, 0}, Pt{5, 0}, Pt{0, 5}, Pt{5, 5}, Pt{6, 6}, Pt{-1, 1}, Pt{20, 20}}) {
    EXPECT_FALSE(Inside(a, b, c, p)) << p.x << "," << p.y;
    EXPECT_FALSE(Inside(b, a, c, p)) << p.x << "," << p.y;
  }
}

TEST(PointInTriangle, ToleranceAndDegenerateTriangles) {
  // Cross products at or below 1e-6 count as on the edge.
  Pt a{0, 0}, b{1e-3f, 0}, c{0, 1e-3f};
  EXPECT_FALSE(Inside(a, b, c, Pt{2e-4f, 2e-4f}));  // d1 = 2e-7, below 1e-6
  EXPECT_TRUE(Inside(Pt{0, 0}, Pt{1, 0}, Pt{0, 1}, Pt{0.01f, 0.01f}));
  EXPECT_FALSE(Inside(Pt{0, 0}, Pt{1, 1}, Pt{2, 2}, Pt{1, 1}));  // a line
  EXPECT_FALSE(Inside(Pt{3, 3}, Pt{3, 3}, Pt{3, 3}, Pt{3, 3}));
}

TEST(WideToAnsi, ConvertsToUtf8AndReturnsTheLength) {
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(WideToAnsi(buffer, u"C:\\a.bmp"), 8);
  EXPECT_STREQ(buffer, "C:\\a.bmp");
  EXPECT_EQ(WideToAnsi(buffer, u"é日"), 5);
  EXPECT_STREQ(buffer, "\xc3\xa9\xe6\x97\xa5");
  EXPECT_EQ(WideToAnsi(buffer, nullptr), 0);
  EXPECT_STREQ(buffer, "");
  // The documented buffer rule holds for the widest characters.
  const char16_t wide[] = u"日本語";
  char sized[3 * kAnsiBytesPerWideChar + 1];
  EXPECT_EQ(WideToAnsi(sized, wide), 9);
}

TEST(CTreeNode, FreeChildrenReleasesTheWholeSubtree) {
  CTreeNode root;
  root.m_pBuffer = new BYTE[24];
  root.m_nCount = 3;
  for (int i = 0; i < 3; ++i) {
    CTreeNode* child = new CTreeNode;
    child->m_pBuffer = new BYTE[8];
    CTreeNode* grandchild = new CTreeNode;
    grandchild->m_pBuffer = new BYTE[16];
    child->m_children.Add(grandchild);
    root.m_children.Add(child);
  }
  root.m_children.Add(nullptr);
  root.FreeChildren();  // the leak checker proves every block went
  EXPECT_EQ(root.m_pBuffer, nullptr);
  EXPECT_EQ(root.m_children.GetSize(), 0);
  root.FreeChildren();  // twice is harmless
  CTreeNode dropped;  // the destructor frees what is left
  dropped.m_children.Add(new CTreeNode);
}

}  // namespace
