// Narrow paths and outline node teardown.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/helpers.h"
#include "platform/tree_node.h"

namespace {

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
